// The object model's roots. Every runtime class allocates through the block pool; value objects
// (CVolObject and its descendants) carry a flags word (bit 0: the null-object mark) and a value word,
// and share one fixed set of virtual operations, declared here in their slot order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include "runtime/block_pool.h"
#include "runtime/class_info.h"

class CWString;
class SerialStream;

class CVolCommonBase {
 public:
  virtual ~CVolCommonBase() = default;
};

class CVolCommonBaseWithMemManager : public CVolCommonBase {
 public:
  virtual void* AllocOrExit(size_t n) { return CPoolMem::Instance().AllocOrExit(n); }
  virtual void* Alloc(size_t n) { return CPoolMem::Instance().Alloc(n); }
  virtual void* ReallocOrExit(void* p, size_t n) { return CPoolMem::Instance().ReallocOrExit(p, n); }
  virtual void Free(void* p) { CPoolMem::Instance().Free(p); }
  virtual CPoolMem* GetMemManager() const { return &CPoolMem::Instance(); }

  // Dynamically created runtime objects come from the pool too.
  static void* operator new(size_t n) { return CPoolMem::Instance().AllocOrExit(n); }
  static void* operator new(size_t, void* where) noexcept { return where; }
  static void operator delete(void* p) { CPoolMem::Instance().Free(p); }
  static void operator delete(void*, void*) noexcept {}
};

class CVolObject : public CVolCommonBaseWithMemManager {
 public:
  static constexpr int64_t kNullObjectFlag = 1;
  // Set while a receiving object is being destroyed (events to it are dropped).
  static constexpr int64_t kDestroyingFlag = 2;

  CVolObject() = default;
  CVolObject(const CVolObject&) = default;
  CVolObject& operator=(const CVolObject&) = default;
  ~CVolObject() override = default;

  static const CVolClassInfo* ClassInfo();

  virtual const CVolClassInfo* GetClassRecord() const { return ClassInfo(); }
  // Same class and equal contents (null mark, value word and every field).
  virtual bool IsEqual(const CVolObject& other) const;
  virtual CVolObject* NewInstance() const;
  virtual CVolObject* Clone() const;
  // Succeeds only when `source` is of this class or derived from it; otherwise nothing changes.
  virtual bool Assign(const CVolObject& source);
  virtual void Reset();
  // Destroys and frees a heap object. ReleaseObject() accepts null.
  virtual void Release() { delete this; }
  virtual bool IsKindOf(const CVolClassInfo* record) const { return IsSameClass(record, ClassInfo()); }
  // Appends the object's text dump to `out`. limit: negative = everything, 0 = the class's default.
  virtual void ToText(CWString& out, int limit = 0) const;
  virtual void Load(SerialStream& stream);
  virtual void Save(SerialStream& stream) const;
  // Runs before assignment and reset.
  virtual void OnChange() {}

  bool IsNullObject() const { return (m_flags & kNullObjectFlag) != 0; }
  CVolObject& SetNull() {
    m_flags |= kNullObjectFlag;
    return *this;
  }
  int64_t Flags() const { return m_flags; }
  void SetFlags(int64_t flags) { m_flags = flags; }
  int64_t ValueWord() const { return m_value; }
  void SetValueWord(int64_t value) { m_value = value; }

 protected:
  // The header part of equality: the null marks and the value words.
  bool HeaderEquals(const CVolObject& other) const {
    return (m_flags & kNullObjectFlag) == (other.m_flags & kNullObjectFlag) && m_value == other.m_value;
  }
  void ResetHeader() {
    m_flags = 0;
    m_value = 0;
  }

  int64_t m_flags = 0;
  int64_t m_value = 0;
};

inline void ReleaseObject(CVolObject* object) {
  if (object) object->Release();
}

// The shared glue bodies of a class whose assignment is its C++ copy: Assign takes any object of the class
// (or of `record`'s kind), and IsEqual compares through the class's operator==.
template <typename Class>
bool AssignByCopy(Class& self, const CVolObject& source, const CVolClassInfo* record = Class::ClassInfo()) {
  if (!source.IsKindOf(record)) return false;
  if (&source == &self) return true;
  self.OnChange();
  self = static_cast<const Class&>(source);
  return true;
}

template <typename Class>
bool IsEqualByValue(const Class& self, const CVolObject& other) {
  return IsSameClass(Class::ClassInfo(), other.GetClassRecord()) && self == static_cast<const Class&>(other);
}

// The generated glue of one class: its record, identity, creation and kind-of chain.
// Use inside the class body: VOL_CLASS_IDENTITY(CMyClass, CBase, "CMyClass").
#define VOL_CLASS_IDENTITY(Class, Base, Name)                                                  \
 public:                                                                                       \
  static const CVolClassInfo* ClassInfo() {                                                    \
    static const CVolClassInfo info = MakeClassInfo(Name, &Class::CreateDefaultInstance);     \
    return &info;                                                                              \
  }                                                                                            \
  static CVolObject* CreateDefaultInstance() { return new Class(); }                          \
  const CVolClassInfo* GetClassRecord() const override { return ClassInfo(); }                  \
  bool IsKindOf(const CVolClassInfo* record) const override {                                 \
    return IsSameClass(record, ClassInfo()) || Base::IsKindOf(record);                         \
  }                                                                                            \
  CVolObject* NewInstance() const override { return new Class(); }

// Value semantics from the class's C++ copy, default construction and operator==.
#define VOL_VALUE_CLASS(Class, Base, Name)                                                      \
  VOL_CLASS_IDENTITY(Class, Base, Name)                                                        \
  CVolObject* Clone() const override { return new Class(*this); }                              \
  bool Assign(const CVolObject& source) override { return AssignByCopy(*this, source); }      \
  void Reset() override {                                                                      \
    OnChange();                                                                                \
    *this = Class();                                                                           \
  }                                                                                            \
  bool IsEqual(const CVolObject& other) const override { return IsEqualByValue(*this, other); }
