#include "runtime/text_array.h"

#include <cwchar>

CVolTextArray& CVolTextArray::operator=(const CVolTextArray& other) {
  if (this == &other) return *this;
  CVolStructBase::operator=(other);
  m_array.Clear();
  m_array.Copy(other.m_array);
  return *this;
}

bool CVolTextArray::operator==(const CVolTextArray& o) const {
  if (!HeaderEquals(o) || GetCount() != o.GetCount()) return false;
  for (int64_t i = 0; i < GetCount(); ++i) {
    if (wcscmp(GetItemText(i), o.GetItemText(i)) != 0) return false;
  }
  return true;
}
