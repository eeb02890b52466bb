// CVolObjectArray: an owned list of runtime objects. A pointer buffer (growth step 256) holds one 8-byte
// pointer per element; every element is a clone the array owns and releases. Copies are deep (each
// element cloned). Not synchronised.
#pragma once

#include <cstdint>

#include "runtime/byte_buffer.h"
#include "runtime/object.h"

class CVolObjectArray : public CVolObject {
  VOL_VALUE_CLASS(CVolObjectArray, CVolObject, "CVolObjectArray")
 public:
  static constexpr int64_t kPointerGrowthStep = 256;
  // Elements listed by the text dump when no limit is given.
  static constexpr int kDefaultDumpLimit = 64;

  CVolObjectArray() { m_items.SetGrowthStep(kPointerGrowthStep); }
  CVolObjectArray(const CVolObjectArray& other);
  CVolObjectArray& operator=(const CVolObjectArray& other);
  ~CVolObjectArray() override { Clear(); }

  // Same header words and count, and pairwise equal elements.
  bool operator==(const CVolObjectArray& o) const;

  int64_t GetCount() const { return m_items.GetSize() / 8; }
  // The element at `index`, owned by the array; null out of range.
  CVolObject* GetAt(int64_t index) const;
  // Appends a clone of `object`; returns the new element's index.
  int64_t AddClone(const CVolObject& object);
  // Releases every element and frees the pointer buffer.
  void Clear();

  // Header, then each element's number, class, address and own dump. limit: negative = all, 0 = 64.
  void ToText(CWString& out, int limit = 0) const override;

 private:
  CVolMem m_items;
};
