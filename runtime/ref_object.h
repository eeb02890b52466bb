// Intrusively reference-counted objects (CRefObject), the value-object handle to one (CVolRefObject),
// and the counted owner of an operating-system GDI/icon/cursor/image-list handle (CGDIObjectHandle).
// Counts change only atomically, so counted objects may be shared between threads.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "runtime/object.h"

class CRefObject : public CVolCommonBaseWithMemManager {
 public:
  CRefObject() = default;
  CRefObject(const CRefObject&) = delete;
  CRefObject& operator=(const CRefObject&) = delete;
  ~CRefObject() override = default;

  static const CVolClassInfo* ClassInfo();
  virtual const CVolClassInfo* GetClassRecord() const { return ClassInfo(); }
  virtual bool IsKindOf(const CVolClassInfo* record) const { return IsSameClass(record, ClassInfo()); }
  // Drops one reference; at zero runs the pre-destroy hook, destroys and frees the object, returns true.
  virtual bool Release();
  virtual void PreDestroy() {}

  void AddRef() { m_refCount.fetch_add(1, std::memory_order_relaxed); }
  int64_t RefCount() const { return m_refCount.load(std::memory_order_relaxed); }

 private:
  std::atomic<int64_t> m_refCount{1};
};

// Adds a reference to a possibly null object and returns it.
template <typename T>
T* AddRefTo(T* object) {
  if (object) object->AddRef();
  return object;
}

// Holds one counted reference the caller already took (may be null) and drops it when the scope ends.
template <typename T>
class RefHeld {
 public:
  explicit RefHeld(T* adopted) : m_object(adopted) {}
  ~RefHeld() {
    if (m_object) m_object->Release();
  }
  RefHeld(const RefHeld&) = delete;
  RefHeld& operator=(const RefHeld&) = delete;

  T* Get() const { return m_object; }

 private:
  T* m_object;
};

// One counted reference to a CRefObject target (may be null).
class CVolRefObject : public CVolObject {
  VOL_CLASS_IDENTITY(CVolRefObject, CVolObject, "CVolRefObject")
 public:
  CVolRefObject() = default;
  // Takes over the creator's reference.
  explicit CVolRefObject(CRefObject* adoptedTarget) : m_target(adoptedTarget) {}
  CVolRefObject(const CVolRefObject& other);
  CVolRefObject& operator=(const CVolRefObject& other);
  ~CVolRefObject() override;

  CVolObject* Clone() const override { return new CVolRefObject(*this); }
  bool Assign(const CVolObject& source) override;
  void Reset() override;
  bool IsEqual(const CVolObject& other) const override;

  CRefObject* GetTarget() const { return m_target; }
  // Replaces the target with one whose reference the caller hands over.
  void AdoptTarget(CRefObject* target);

 protected:
  CRefObject* m_target = nullptr;
};

// Handle kinds: 1 GDI object (DeleteObject), 2 icon, 3 cursor, 4 image list; others release nothing.
class CGDIObjectHandle : public CRefObject {
 public:
  enum Kind : int32_t { kGdiObject = 1, kIcon = 2, kCursor = 3, kImageList = 4 };

  CGDIObjectHandle(void* handle, int32_t kind) : m_handle(handle), m_kind(kind) {}
  ~CGDIObjectHandle() override;

  static const CVolClassInfo* ClassInfo();
  const CVolClassInfo* GetClassRecord() const override { return ClassInfo(); }
  bool IsKindOf(const CVolClassInfo* record) const override {
    return IsSameClass(record, ClassInfo()) || CRefObject::IsKindOf(record);
  }

  void* Handle() const { return m_handle; }
  int32_t Kind() const { return m_kind; }

 private:
  void* m_handle;
  int32_t m_kind;
};
