#include "app/window_layout.h"

WindowLayout LayoutFor(int32_t width, int32_t height) {
  WindowLayout layout;
  layout.width = width;
  layout.height = height;
  const int32_t band = (4 * height) / 5;
  layout.bottomBand = band;
  layout.closeRect = {width - 49, 10, 39, 20};
  layout.buttonRect = {(width - 142) / 2, band - 60, 142, 38};
  layout.locationRect = {width - 120, band + 20, 100, 12};
  layout.checkboxRect = {20, band + 20, 18, 18};
  layout.licenceLinkRect = {70, band + 20, 100, 18};
  return layout;
}

HotArea HitTest(const WindowLayout& layout, int32_t x, int32_t y) {
  if (layout.closeRect.Contains(x, y)) return HotArea::Close;
  if (layout.buttonRect.Contains(x, y)) return HotArea::Button;
  if (layout.locationRect.Contains(x, y)) return HotArea::Location;
  if (layout.checkboxRect.Contains(x, y)) return HotArea::Checkbox;
  if (layout.licenceLinkRect.Contains(x, y)) return HotArea::LicenceLink;
  return HotArea::None;
}

int32_t NextSlideIndex(int32_t current, int64_t count) {
  if (count <= 0) return 0;
  return current >= count ? 1 : current + 1;
}
