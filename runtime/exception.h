// CVolException: the runtime's one exception type, an error code and a message. Constructed from a
// message alone its code is -1. Only the external-function binder throws it.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/wide_string.h"

class CVolException : public CVolObject {
  VOL_VALUE_CLASS(CVolException, CVolObject, "CVolException")
 public:
  CVolException() = default;
  explicit CVolException(const CWString& message) : m_code(-1), m_message(message) {}
  CVolException(int32_t code, const CWString& message) : m_code(code), m_message(message) {}

  bool operator==(const CVolException& o) const {
    return HeaderEquals(o) && m_code == o.m_code && !m_message.IsDifferent(o.m_message);
  }

  int32_t Code() const { return m_code; }
  const CWString& Message() const { return m_message; }

  void ToText(CWString& out, int limit = 0) const override;
  void Load(SerialStream& stream) override;
  void Save(SerialStream& stream) const override;

 private:
  int32_t m_code = 0;
  CWString m_message;
};
