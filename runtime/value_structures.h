// Small value structures of signed 32-bit fields: rectangle, point and size.
#pragma once

#include <cstdint>

#include "runtime/object.h"

class CVolStructBase : public CVolObject {
  VOL_VALUE_CLASS(CVolStructBase, CVolObject, "CVolStructBase")
 public:
  bool operator==(const CVolStructBase& o) const { return HeaderEquals(o); }
};

class CVolRect : public CVolStructBase {
  VOL_VALUE_CLASS(CVolRect, CVolStructBase, "CVolRect")
 public:
  CVolRect() = default;
  CVolRect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}
  bool operator==(const CVolRect& o) const {
    return HeaderEquals(o) && left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  void ToText(CWString& out, int limit = 0) const override;
  void Load(SerialStream& stream) override;
  void Save(SerialStream& stream) const override;

  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

class CVolPoint : public CVolStructBase {
  VOL_VALUE_CLASS(CVolPoint, CVolStructBase, "CVolPoint")
 public:
  CVolPoint() = default;
  CVolPoint(int32_t px, int32_t py) : x(px), y(py) {}
  bool operator==(const CVolPoint& o) const { return HeaderEquals(o) && x == o.x && y == o.y; }
  void ToText(CWString& out, int limit = 0) const override;
  void Load(SerialStream& stream) override;
  void Save(SerialStream& stream) const override;

  int32_t x = 0, y = 0;
};

class CVolSize : public CVolStructBase {
  VOL_VALUE_CLASS(CVolSize, CVolStructBase, "CVolSize")
 public:
  CVolSize() = default;
  CVolSize(int32_t w, int32_t h) : width(w), height(h) {}
  bool operator==(const CVolSize& o) const { return HeaderEquals(o) && width == o.width && height == o.height; }
  void ToText(CWString& out, int limit = 0) const override;
  void Load(SerialStream& stream) override;
  void Save(SerialStream& stream) const override;

  int32_t width = 0, height = 0;
};
