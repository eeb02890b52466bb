#include "runtime/ref_object.h"

#include <commctrl.h>

const CVolClassInfo* CRefObject::ClassInfo() {
  static const CVolClassInfo info = MakeClassInfo("CRefObject", nullptr);
  return &info;
}

bool CRefObject::Release() {
  if (m_refCount.fetch_sub(1, std::memory_order_acq_rel) - 1 != 0) return false;
  PreDestroy();
  delete this;
  return true;
}

CVolRefObject::CVolRefObject(const CVolRefObject& other) : CVolObject(other), m_target(AddRefTo(other.m_target)) {}

CVolRefObject& CVolRefObject::operator=(const CVolRefObject& other) {
  // The new reference is taken before the old one goes, so self-assignment is safe.
  CRefObject* newTarget = AddRefTo(other.m_target);
  CVolObject::operator=(other);
  CRefObject* old = m_target;
  m_target = newTarget;
  if (old) old->Release();
  return *this;
}

CVolRefObject::~CVolRefObject() {
  if (m_target) m_target->Release();
}

bool CVolRefObject::Assign(const CVolObject& source) {
  if (!source.IsKindOf(ClassInfo())) return false;
  OnChange();
  *this = static_cast<const CVolRefObject&>(source);
  return true;
}

void CVolRefObject::Reset() {
  OnChange();
  ResetHeader();
  AdoptTarget(nullptr);
}

bool CVolRefObject::IsEqual(const CVolObject& other) const {
  if (!IsSameClass(GetClassRecord(), other.GetClassRecord())) return false;
  const auto& o = static_cast<const CVolRefObject&>(other);
  return HeaderEquals(o) && m_target == o.m_target;
}

void CVolRefObject::AdoptTarget(CRefObject* target) {
  CRefObject* old = m_target;
  m_target = target;
  if (old) old->Release();
}

const CVolClassInfo* CGDIObjectHandle::ClassInfo() {
  static const CVolClassInfo info = MakeClassInfo("CGDIObjectHandle", nullptr);
  return &info;
}

CGDIObjectHandle::~CGDIObjectHandle() {
  if (!m_handle) return;
  switch (m_kind) {
    case kGdiObject: DeleteObject(static_cast<HGDIOBJ>(m_handle)); break;
    case kIcon: DestroyIcon(static_cast<HICON>(m_handle)); break;
    case kCursor: DestroyCursor(static_cast<HCURSOR>(m_handle)); break;
    case kImageList: ImageList_Destroy(static_cast<HIMAGELIST>(m_handle)); break;
    default: break;
  }
}
