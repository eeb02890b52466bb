// Where the installer window's drawn controls lie, and which of them a point hits. The window has no native
// buttons: the close button, install button, licence checkbox, licence link and custom-location link are
// pictures and texts found again by these rectangles.
#pragma once

#include <cstdint>

struct HotRect {
  int32_t x = 0, y = 0, width = 0, height = 0;
  // Both ends count as inside.
  bool Contains(int32_t px, int32_t py) const { return px >= x && px <= x + width && py >= y && py <= y + height; }
};

enum class HotArea { None, Close, Button, Location, Checkbox, LicenceLink };

struct WindowLayout {
  int32_t width = 0, height = 0;
  int32_t bottomBand = 0;  // (4 * height) / 5: the line the checkbox row hangs from
  HotRect closeRect, buttonRect, locationRect, checkboxRect, licenceLinkRect;
};

// The layout of a window of the given size (600 x 400 for the installer).
WindowLayout LayoutFor(int32_t width, int32_t height);

// The first area containing the point, in the order close, button, location, checkbox, licence link.
HotArea HitTest(const WindowLayout& layout, int32_t x, int32_t y);

// The slide index after a slide-show tick over a list of `count` pictures: 0 for an empty list, 1 after the
// last picture (or from any index beyond the list), otherwise the next one.
int32_t NextSlideIndex(int32_t current, int64_t count);
