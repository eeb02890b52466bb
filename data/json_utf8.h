// UTF-16 to UTF-8 conversion for JSON paths and parse input. Unlike the strict conversion of CWString, it
// never rejects a text: a surrogate that does not begin a valid pair is dropped together with the unit
// after it, and a surrogate as the last unit ends the text.
#pragma once

#include <cstddef>
#include <cstdlib>

// Bytes that always suffice for the conversion of `length` units (four per surrogate unit).
size_t JsonUtf8Capacity(const wchar_t* text, size_t length);

// Writes the UTF-8 form of `length` units into `out` (at least JsonUtf8Capacity bytes) and returns the
// number of bytes written. No terminator is added.
size_t JsonUtf8FromUtf16(const wchar_t* text, size_t length, char* out);

// The UTF-8 form of a text in a local buffer of `LocalBytes` when it fits (with a terminating zero), on the
// heap otherwise. Convert() returns false only when the heap buffer cannot be had.
template <size_t LocalBytes>
class JsonUtf8Text {
 public:
  JsonUtf8Text() = default;
  JsonUtf8Text(const JsonUtf8Text&) = delete;
  JsonUtf8Text& operator=(const JsonUtf8Text&) = delete;
  ~JsonUtf8Text() { std::free(m_heap); }

  bool Convert(const wchar_t* text, size_t length) {
    const size_t capacity = JsonUtf8Capacity(text, length);
    char* out = m_local;
    if (capacity >= LocalBytes) {
      m_heap = static_cast<char*>(std::malloc(capacity + 1));
      if (!m_heap) return false;
      out = m_heap;
    }
    m_size = JsonUtf8FromUtf16(text, length, out);
    out[m_size] = 0;
    m_data = out;
    return true;
  }

  char* Data() const { return m_data; }
  size_t Size() const { return m_size; }

 private:
  char m_local[LocalBytes];
  char* m_heap = nullptr;
  char* m_data = m_local;
  size_t m_size = 0;
};
