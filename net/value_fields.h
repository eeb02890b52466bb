// Field-by-field persistence and label dumps shared by the network value classes: texts are stored as
// CWString, 32-bit integers as 4 bytes, in the order given. A stream error stops the sequence.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "runtime/serial_stream.h"
#include "runtime/wide_string.h"

inline void SaveField(SerialStream& stream, const CWString& text) {
  text.Save(stream);
}
inline void SaveField(SerialStream& stream, int32_t value) {
  stream.WriteInt32(value);
}
inline void LoadField(SerialStream& stream, CWString& text) {
  text.Load(stream);
}
inline void LoadField(SerialStream& stream, int32_t& value) {
  stream.ReadInt32(value);
}

template <typename... Fields>
void SaveFields(SerialStream& stream, const Fields&... fields) {
  ((stream.Good() ? SaveField(stream, fields) : void()), ...);
}

template <typename... Fields>
void LoadFields(SerialStream& stream, Fields&... fields) {
  ((stream.Good() ? LoadField(stream, fields) : void()), ...);
}

// Replaces `out` with `header` followed by each label and CR LF.
inline void WriteLabelDump(CWString& out, const wchar_t* header,
                           std::initializer_list<const wchar_t*> labels) {
  out.SetText(header);
  for (const wchar_t* label : labels) {
    out.AddText(label);
    out.AddText(L"\r\n");
  }
}
