#include "runtime/object_array.h"

#include <cstring>
#include <utility>

#include "runtime/listing_dump.h"
#include "runtime/wide_string.h"

CVolObjectArray::CVolObjectArray(const CVolObjectArray& other) : CVolObject(other) {
  m_items.SetGrowthStep(kPointerGrowthStep);
  for (int64_t i = 0; i < other.GetCount(); ++i) AddClone(*other.GetAt(i));
}

CVolObjectArray& CVolObjectArray::operator=(const CVolObjectArray& other) {
  if (this == &other) return *this;
  // Cloned before clearing: `other` may be one of this array's own elements.
  CVolObjectArray copy(other);
  Clear();
  CVolObject::operator=(copy);
  m_items = std::move(copy.m_items);
  return *this;
}

bool CVolObjectArray::operator==(const CVolObjectArray& o) const {
  if (!HeaderEquals(o) || GetCount() != o.GetCount()) return false;
  for (int64_t i = 0; i < GetCount(); ++i) {
    if (!GetAt(i)->IsEqual(*o.GetAt(i))) return false;
  }
  return true;
}

CVolObject* CVolObjectArray::GetAt(int64_t index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  CVolObject* item = nullptr;
  std::memcpy(&item, m_items.Bytes() + index * 8, 8);
  return item;
}

int64_t CVolObjectArray::AddClone(const CVolObject& object) {
  const int64_t index = GetCount();
  CVolObject* copy = object.Clone();
  m_items.AppendBytes(&copy, 8);
  return index;
}

void CVolObjectArray::Clear() {
  const int64_t count = GetCount();
  for (int64_t i = 0; i < count; ++i) ReleaseObject(GetAt(i));
  m_items.SetSize(0);
}

void CVolObjectArray::ToText(CWString& out, int limit) const {
  CWString text;
  const int64_t shown = StartListingDump(text, GetCount(), limit, kDefaultDumpLimit, L"<数组> 总共 %d 个成员:",
                                         L"<数组> 总共 %d 个成员,输出了 %d 个,还有 %d 个未被输出.");
  for (int64_t i = 0; i < shown; ++i) {
    const CVolObject* item = GetAt(i);
    CWString className;
    className.AddUtf8(item->GetClassRecord()->name);
    text.AddFormat(L"\r\n%d. 对象输出类名: \"%s\", 地址: 0x%I64X", static_cast<int>(i + 1), className.GetText(),
                   static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(item)));
    if (item->IsNullObject()) text.AddText(L", 为空对象");
    text.AddText(L", 内容:\r\n");
    item->ToText(text);
  }
  out.AddText(text.GetText());
}
