#include "runtime/string_array.h"

#include <cstdarg>
#include <cstring>
#include <cwchar>

#include "runtime/serial_stream.h"
#include "runtime/wide_string.h"

CMStringArray& CMStringArray::operator=(const CMStringArray& other) {
  if (this == &other) return *this;
  Clear();
  Copy(other);
  return *this;
}

wchar_t* CMStringArray::RawItem(int64_t index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  wchar_t* item = nullptr;
  std::memcpy(&item, m_pointers.Bytes() + index * 8, 8);
  return item;
}

const wchar_t* CMStringArray::GetItemText(int64_t index) const {
  const wchar_t* item = RawItem(index);
  return item ? item : kEmptyText;
}

wchar_t* CMStringArray::CopyText(const wchar_t* p, int64_t length) {
  if (!p) return nullptr;
  if (length < 0) length = static_cast<int64_t>(wcslen(p));
  if (length == 0) return nullptr;
  wchar_t* copy = static_cast<wchar_t*>(AllocOrExit(static_cast<size_t>(length + 1) * sizeof(wchar_t)));
  std::memcpy(copy, p, static_cast<size_t>(length) * sizeof(wchar_t));
  copy[length] = 0;
  return copy;
}

int64_t CMStringArray::Append(const wchar_t* p, int64_t length) {
  const int64_t index = GetCount();
  wchar_t* copy = CopyText(p, length);
  m_pointers.AppendBytes(&copy, 8);
  return index;
}

int64_t CMStringArray::Append(const CWString& text) {
  return Append(text.GetText(), text.GetLength());
}

int64_t CMStringArray::AppendStrings(int count, ...) {
  const int64_t first = GetCount();
  va_list args;
  va_start(args, count);
  for (int i = 0; i < count; ++i) Append(va_arg(args, const wchar_t*));
  va_end(args);
  return first;
}

void CMStringArray::Copy(const CMStringArray& other) {
  if (this == &other) return;
  const int64_t count = other.GetCount();
  for (int64_t i = 0; i < count; ++i) Append(other.RawItem(i));
}

void CMStringArray::RemoveAt(int64_t index) {
  if (index < 0 || index >= GetCount()) return;
  Free(RawItem(index));
  m_pointers.RemoveRange(index * 8, 8);
}

void CMStringArray::Clear() {
  const int64_t count = GetCount();
  for (int64_t i = 0; i < count; ++i) Free(RawItem(i));
  m_pointers.SetSize(0);
}

void CMStringArray::Load(SerialStream& stream) {
  Clear();
  int32_t count = 0;
  if (!stream.ReadInt32(count)) return;
  if (count < 0) {
    stream.SetError(SerialStream::kReadError);
    return;
  }
  for (int32_t i = 0; i < count && stream.Good(); ++i) {
    CWString text;
    text.Load(stream);
    if (!stream.Good()) break;
    Append(text);
  }
}

void CMStringArray::Save(SerialStream& stream) const {
  const int64_t count = GetCount();
  if (!stream.WriteInt32(static_cast<int32_t>(count))) return;
  for (int64_t i = 0; i < count && stream.Good(); ++i) {
    CWString text(GetItemText(i));
    text.Save(stream);
  }
}
