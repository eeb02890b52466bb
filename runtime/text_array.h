// CVolTextArray: a value object wrapping one string array (pointer buffer step 256). Assignment and reset
// deep-copy; equality compares the texts one by one, a null entry comparing as the empty text.
#pragma once

#include "runtime/string_array.h"
#include "runtime/value_structures.h"

class CVolTextArray : public CVolStructBase {
  VOL_VALUE_CLASS(CVolTextArray, CVolStructBase, "CVolTextArray")
 public:
  CVolTextArray() { m_array.SetGrowthStep(256); }
  CVolTextArray(const CVolTextArray& other) : CVolStructBase(other) {
    m_array.SetGrowthStep(256);
    m_array.Copy(other.m_array);
  }
  CVolTextArray& operator=(const CVolTextArray& other);
  ~CVolTextArray() override = default;

  bool operator==(const CVolTextArray& o) const;

  CMStringArray& Array() { return m_array; }
  const CMStringArray& Array() const { return m_array; }
  int64_t GetCount() const { return m_array.GetCount(); }
  const wchar_t* GetItemText(int64_t index) const { return m_array.GetItemText(index); }
  int64_t Append(const wchar_t* text) { return m_array.Append(text); }
  int64_t Append(const CWString& text) { return m_array.Append(text); }
  void Clear() { m_array.Clear(); }

  void Load(SerialStream& stream) override { m_array.Load(stream); }
  void Save(SerialStream& stream) const override { m_array.Save(stream); }

 private:
  CMStringArray m_array;
};
