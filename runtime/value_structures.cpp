#include "runtime/value_structures.h"

#include <initializer_list>

#include "runtime/serial_stream.h"
#include "runtime/wide_string.h"

namespace {

void SaveFields(SerialStream& stream, std::initializer_list<int32_t> fields) {
  for (int32_t field : fields) {
    if (!stream.WriteInt32(field)) return;
  }
}

void LoadFields(SerialStream& stream, std::initializer_list<int32_t*> fields) {
  for (int32_t* field : fields) {
    if (!stream.ReadInt32(*field)) return;
  }
}

}  // namespace

void CVolRect::ToText(CWString& out, int) const {
  out.AddFormat(L"{ 左边: %d; 顶边: %d, 右边: %d, 底边: %d }", left, top, right, bottom);
}

void CVolRect::Load(SerialStream& stream) {
  LoadFields(stream, {&left, &top, &right, &bottom});
}

void CVolRect::Save(SerialStream& stream) const {
  SaveFields(stream, {left, top, right, bottom});
}

void CVolPoint::ToText(CWString& out, int) const {
  out.AddFormat(L"{ 横向位置: %d; 纵向位置: %d }", x, y);
}

void CVolPoint::Load(SerialStream& stream) {
  LoadFields(stream, {&x, &y});
}

void CVolPoint::Save(SerialStream& stream) const {
  SaveFields(stream, {x, y});
}

void CVolSize::ToText(CWString& out, int) const {
  out.AddFormat(L"{ 宽度: %d; 高度: %d }", width, height);
}

void CVolSize::Load(SerialStream& stream) {
  LoadFields(stream, {&width, &height});
}

void CVolSize::Save(SerialStream& stream) const {
  SaveFields(stream, {width, height});
}
