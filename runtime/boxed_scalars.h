// Boxed scalars: runtime objects holding one number or character after the object header, so plain values
// can live in object arrays and be compared, cloned, dumped and saved like any object. Equality compares
// the class, the header words and the value; the stream form is the raw little-endian value in the size of
// its type. The "Alt" classes behave like their namesakes and differ only in class identity.
#pragma once

#include <cstdint>
#include <type_traits>

#include "runtime/object.h"

class CVolBaseDataType : public CVolObject {
  VOL_VALUE_CLASS(CVolBaseDataType, CVolObject, "CVolBaseDataType")
 public:
  bool operator==(const CVolBaseDataType& o) const { return HeaderEquals(o); }
};

// The text form of each boxed type: decimal for integers, the character itself, and the runtime's float
// and double texts.
void AppendBoxedText(CWString& out, int32_t value);
void AppendBoxedText(CWString& out, int64_t value);
void AppendBoxedText(CWString& out, wchar_t value);
void AppendBoxedText(CWString& out, float value);
void AppendBoxedText(CWString& out, double value);
// Raw little-endian bytes of a value of `size` bytes.
void SaveBoxedBytes(SerialStream& stream, const void* value, int size);
void LoadBoxedBytes(SerialStream& stream, void* value, int size);

template <typename T>
class CVolBoxedValue : public CVolBaseDataType {
 public:
  using ValueType = T;

  CVolBoxedValue() = default;
  explicit CVolBoxedValue(T value) : m_boxed(value) {}

  T Value() const { return m_boxed; }
  void SetValue(T value) { m_boxed = value; }
  bool operator==(const CVolBoxedValue& o) const { return HeaderEquals(o) && m_boxed == o.m_boxed; }

  void ToText(CWString& out, int = 0) const override { AppendBoxedText(out, Widened()); }
  void Load(SerialStream& stream) override { LoadBoxedBytes(stream, &m_boxed, sizeof(T)); }
  void Save(SerialStream& stream) const override { SaveBoxedBytes(stream, &m_boxed, sizeof(T)); }

 private:
  // 8- and 16-bit integers print through the 32-bit form.
  auto Widened() const {
    if constexpr (sizeof(T) < 4 && !std::is_same_v<T, wchar_t>) {
      return static_cast<int32_t>(m_boxed);
    } else {
      return m_boxed;
    }
  }

  T m_boxed{};
};

#define VOL_BOXED_SCALAR(Class, Type)                          \
  class Class : public CVolBoxedValue<Type> {                  \
    VOL_VALUE_CLASS(Class, CVolBaseDataType, #Class)           \
   public:                                                     \
    Class() = default;                                         \
    explicit Class(Type value) : CVolBoxedValue<Type>(value) {} \
  };

VOL_BOXED_SCALAR(CVolBoxedInt8, int8_t)
VOL_BOXED_SCALAR(CVolBoxedInt16, int16_t)
VOL_BOXED_SCALAR(CVolBoxedChar, wchar_t)
VOL_BOXED_SCALAR(CVolBoxedInt32, int32_t)
VOL_BOXED_SCALAR(CVolBoxedInt32Alt, int32_t)
VOL_BOXED_SCALAR(CVolBoxedInt64, int64_t)
VOL_BOXED_SCALAR(CVolBoxedInt64Alt, int64_t)
VOL_BOXED_SCALAR(CVolBoxedFloat, float)
VOL_BOXED_SCALAR(CVolBoxedDouble, double)

#undef VOL_BOXED_SCALAR
