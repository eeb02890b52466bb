// CWString: UTF-16 text. The text is either a borrowed zero-terminated constant (normally a literal,
// never written or freed) or an owned buffer of code units followed by one zero unit. Every mutation first
// copies a constant into the buffer (MakeWritable). Reading never yields a null pointer.
// CWConstString wraps a literal without copying it. Not synchronised.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "runtime/byte_buffer.h"
#include "runtime/object.h"

// The shared empty text returned for empty strings.
extern const wchar_t kEmptyText[];

class CWString : public CVolObject {
  VOL_CLASS_IDENTITY(CWString, CVolObject, "CWString")
 public:
  static constexpr int64_t kGrowthStep = 254;

  CWString() { m_buffer.SetGrowthStep(kGrowthStep); }
  // An owned copy of a zero-terminated text (null gives an empty string).
  explicit CWString(const wchar_t* text);
  explicit CWString(int32_t value);
  explicit CWString(int64_t value);
  explicit CWString(double value);
  CWString(const CWString& other);
  CWString(CWString&& other) noexcept;
  CWString& operator=(const CWString& other);
  CWString& operator=(CWString&& other) noexcept;
  ~CWString() override = default;

  CVolObject* Clone() const override { return new CWString(*this); }
  bool Assign(const CVolObject& source) override;
  void Assign(const CWString& other) { *this = other; }
  void Reset() override;
  bool IsEqual(const CVolObject& other) const override;
  bool operator==(const CWString& o) const { return HeaderEquals(o) && !IsDifferent(o); }

  const wchar_t* GetText() const;
  int64_t GetLength() const;
  bool IsEmpty() const;
  bool HasConstantText() const { return m_constText != nullptr; }
  const CVolMem& Buffer() const { return m_buffer; }

  CVolMem& MakeWritable();
  CWString& AddText(const wchar_t* p);
  CWString& AddText(const CWString& s) { return AddText(s.GetText()); }
  CWString& AddChar(wchar_t ch);
  CWString& AddUtf8(const char* p);
  // "0" near zero, otherwise "%.15G".
  CWString& AddDouble(double x);
  // Nothing near zero, otherwise "%.8G".
  CWString& AddFloat(float x);
  // Platform wide printf conventions: "%s" takes a UTF-16 text, "%I64X" a 64-bit value.
  CWString& Format(const wchar_t* format, ...);
  CWString& FormatV(const wchar_t* format, va_list args);
  CWString& AddFormat(const wchar_t* format, ...);
  // Stores `count` units from p (zeros when p is null); count < 1 leaves the string empty.
  void SetText(const wchar_t* p, int64_t count);
  void SetText(const wchar_t* p);
  // Returns -1 when n already is the length; pads with spaces.
  int64_t SetLength(int64_t n);
  CWString Left(int64_t n) const;
  CWString Right(int64_t n) const;
  static CWString Concat(const CWString& a, const CWString& b);
  static CWString Concat(const CWString& a, const wchar_t* p);
  // Unit-by-unit comparison up to the first zero unit; case sensitive.
  bool IsDifferent(const CWString& other) const { return IsDifferent(other.GetText()); }
  bool IsDifferent(const wchar_t* p) const;
  bool StartsWithNoCase(const wchar_t* p) const;
  void Clear();
  // UTF-8 bytes of the text; an invalid UTF-16 text gives an empty buffer.
  CVolMem ToUtf8Bytes() const;
  // Replaces the text by the UTF-8 decoding of `bytes`; invalid input leaves it empty. Returns the units.
  int64_t FromUtf8Bytes(const CVolMem& bytes);

  void ToText(CWString& out, int limit = 0) const override;
  void Load(SerialStream& stream) override;
  void Save(SerialStream& stream) const override;

 protected:
  const wchar_t* m_constText = nullptr;
  CVolMem m_buffer;
};

class CWConstString : public CWString {
 public:
  explicit CWConstString(const wchar_t* literal) { m_constText = literal; }
};
