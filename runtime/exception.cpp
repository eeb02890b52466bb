#include "runtime/exception.h"

#include "runtime/serial_stream.h"

void CVolException::ToText(CWString& out, int) const {
  CWString text;
  text.Format(L"%d: %s", m_code, m_message.GetText());
  out.AddText(text.GetText());
}

void CVolException::Load(SerialStream& stream) {
  int32_t code = 0;
  if (!stream.ReadInt32(code)) return;
  m_code = code;
  m_message.Load(stream);
}

void CVolException::Save(SerialStream& stream) const {
  if (!stream.WriteInt32(m_code)) return;
  m_message.Save(stream);
}
