// CVolMem: a growable byte buffer whose block comes from the object's own allocation operations (the
// block pool up to 256 bytes, the process heap beyond). Capacity is always the smallest multiple of the
// growth step strictly greater than the requested size; a resize reallocates only when the capacity is
// too small or exceeds the size by more than one step. Not synchronised.
#pragma once

#include <cstdint>

#include "runtime/object.h"

class CWString;

class CVolMem : public CVolObject {
  VOL_VALUE_CLASS(CVolMem, CVolObject, "CVolMem")
 public:
  static constexpr int64_t kDefaultGrowthStep = 64;

  CVolMem() = default;
  CVolMem(const void* data, int64_t size) { AppendBytes(data, size); }
  CVolMem(const CVolMem& other) : CVolObject() { Assign(other); }
  CVolMem(CVolMem&& other) noexcept;
  CVolMem& operator=(const CVolMem& other) {
    if (this != &other) Assign(other);
    return *this;
  }
  CVolMem& operator=(CVolMem&& other) noexcept;
  ~CVolMem() override;

  // The UTF-8 encoding of a string (no terminator counted; the byte after the data is 0).
  static CVolMem FromUtf16(const CWString& text);

  bool operator==(const CVolMem& o) const;

  // Null when the size is 0.
  void* GetData() const { return m_size ? m_data : nullptr; }
  uint8_t* Bytes() const { return static_cast<uint8_t*>(GetData()); }
  int64_t GetSize() const { return m_size; }
  int64_t GetCapacity() const { return m_capacity; }
  int64_t GetGrowthStep() const { return m_growthStep; }
  // Values below 1 are used as 64.
  void SetGrowthStep(int64_t step) { m_growthStep = step; }

  // Returns the (possibly moved) data; 0 frees the block. New bytes are not initialised.
  void* SetSize(int64_t n);
  // Copies n bytes from p, or appends n zero bytes when p is null.
  void AppendBytes(const void* p, int64_t n);
  // Appends the text with its zero unit; null or empty appends one zero unit.
  void AppendWText(const wchar_t* p);
  void AppendWTextNoNul(const wchar_t* p);
  void AppendBackslash();
  // pos < 0 cuts n bytes off the end.
  void RemoveRange(int64_t pos, int64_t n);
  // Header words and a copy of the other's bytes.
  void Assign(const CVolMem& other);
  using CVolObject::Assign;
  void Clear() { SetSize(0); }
  // Two upper-case hexadecimal digits per byte into `out` (replaced).
  void ToHexText(CWString& out) const;

  void ToText(CWString& out, int limit = 0) const override;
  void Load(SerialStream& stream) override;
  void Save(SerialStream& stream) const override;

 private:
  int64_t EffectiveStep() const { return m_growthStep < 1 ? kDefaultGrowthStep : m_growthStep; }
  int64_t CapacityFor(int64_t n) const {
    const int64_t step = EffectiveStep();
    return n + step - (n % step);
  }

  uint8_t* m_data = nullptr;
  int64_t m_capacity = 0;
  int64_t m_size = 0;
  int64_t m_growthStep = kDefaultGrowthStep;
};
