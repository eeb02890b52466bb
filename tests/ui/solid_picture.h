// A picture of one colour, for drawing tests that look for exact pixels.
#pragma once

#include <windows.h>

#include "ui/picture.h"

// A 24-bit picture filled with `color`; empty when the DIB cannot be made.
inline CVolPicture SolidPicture(int width, int height, COLORREF color) {
  CVolPicture picture;
  if (!picture.MakeDib(width, height, 24)) return picture;
  for (int y = 0; y < height; ++y) {
    uint8_t* p = picture.Row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      p[0] = GetBValue(color);
      p[1] = GetGValue(color);
      p[2] = GetRValue(color);
    }
  }
  return picture;
}
