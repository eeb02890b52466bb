// CMStringArray: an owned list of UTF-16 texts. A pointer buffer holds one 8-byte pointer per entry;
// each text is its own pool block owned by the array; an empty or missing text is a null entry, which
// reads back as the empty text. Copies are deep. Not synchronised.
#pragma once

#include <cstdint>

#include "runtime/byte_buffer.h"
#include "runtime/object.h"

class CWString;
class SerialStream;

class CMStringArray : public CVolCommonBaseWithMemManager {
 public:
  CMStringArray() = default;
  CMStringArray(const CMStringArray& other) : CVolCommonBaseWithMemManager() {
    m_pointers.SetGrowthStep(other.m_pointers.GetGrowthStep());
    Copy(other);
  }
  CMStringArray& operator=(const CMStringArray& other);
  ~CMStringArray() override { Clear(); }

  int64_t GetCount() const { return m_pointers.GetSize() / 8; }
  // The entry's text; null entries and indices out of range read as the empty text.
  const wchar_t* GetItemText(int64_t index) const;
  bool IsNullEntry(int64_t index) const { return RawItem(index) == nullptr; }
  // Appends copies of `count` texts given as further arguments (const wchar_t*); returns the first index.
  int64_t AppendStrings(int count, ...);
  // Appends a copy of `length` units of p (a negative length measures p); empty gives a null entry.
  int64_t Append(const wchar_t* p, int64_t length = -1);
  int64_t Append(const CWString& text);
  // Appends deep copies of all the other array's texts; copying onto itself does nothing.
  void Copy(const CMStringArray& other);
  void RemoveAt(int64_t index);
  void Clear();
  void SetGrowthStep(int64_t step) { m_pointers.SetGrowthStep(step); }
  int64_t GetGrowthStep() const { return m_pointers.GetGrowthStep(); }

  // Entry count, then every entry as a CWString (null entries as empty strings).
  void Load(SerialStream& stream);
  void Save(SerialStream& stream) const;

 private:
  wchar_t* RawItem(int64_t index) const;
  wchar_t* CopyText(const wchar_t* p, int64_t length);

  CVolMem m_pointers;
};
