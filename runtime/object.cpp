#include "runtime/object.h"

#include <cstdint>

#include "runtime/wide_string.h"

const CVolClassInfo* CVolObject::ClassInfo() {
  static const CVolClassInfo info = MakeClassInfo("CVolObject", []() -> CVolObject* { return new CVolObject(); });
  return &info;
}

bool CVolObject::IsEqual(const CVolObject& other) const {
  return IsSameClass(GetClassRecord(), other.GetClassRecord()) && HeaderEquals(other);
}

CVolObject* CVolObject::NewInstance() const {
  return new CVolObject();
}

CVolObject* CVolObject::Clone() const {
  return new CVolObject(*this);
}

bool CVolObject::Assign(const CVolObject& source) {
  if (!source.IsKindOf(ClassInfo())) return false;
  OnChange();
  m_flags = source.m_flags;
  m_value = source.m_value;
  return true;
}

void CVolObject::Reset() {
  OnChange();
  ResetHeader();
}

void CVolObject::ToText(CWString& out, int) const {
  CWString className;
  className.AddUtf8(GetClassRecord()->name);
  CWString text;
  text.Format(L"无法解析的对象数据,其输出类名为: \"%s\", 地址为: 0x%I64X", className.GetText(),
              static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(this)));
  if (IsNullObject()) text.AddText(L", 为空对象");
  out.AddText(text.GetText());
}

void CVolObject::Load(SerialStream&) {}

void CVolObject::Save(SerialStream&) const {}
