// The installer window's stream form: its three rectangles travel between the base form's and the
// members' parts, and a stream that ends inside them is marked with error -3.
#include <gtest/gtest.h>

#include <cstring>

#include "app/installer_form.h"
#include "runtime/serial_stream.h"

namespace {

TEST(InstallerFormStream, RectanglesTravelAndAShortStreamIsMarked) {
  InstallerState state;
  InstallerForm original(state, CWString(L"http://127.0.0.1:1/down/x.json"));
  MemorySerialStream saved;
  original.Save(saved);
  CVolMem bytes = saved.Data();
  ASSERT_GE(bytes.GetSize(), 48);
  // The base form, the painter and the timers keep nothing in the stream: the rectangles come first.
  for (int32_t i = 0; i < 12; ++i) {
    const int32_t value = 100 + i;
    std::memcpy(bytes.Bytes() + 4 * i, &value, 4);
  }
  MemorySerialStream reader(bytes);
  InstallerForm loaded(state, CWString(L"http://127.0.0.1:1/down/x.json"));
  loaded.Load(reader);
  EXPECT_TRUE(reader.Good());
  const WindowLayout& l = loaded.Layout();
  EXPECT_EQ(l.closeRect.x, 100);
  EXPECT_EQ(l.closeRect.height, 103);
  EXPECT_EQ(l.buttonRect.x, 104);
  EXPECT_EQ(l.locationRect.x, 108);
  EXPECT_EQ(l.locationRect.height, 111);

  MemorySerialStream shortReader(CVolMem(bytes.GetData(), 10));
  InstallerForm cut(state, CWString(L"http://127.0.0.1:1/down/x.json"));
  cut.Load(shortReader);
  EXPECT_EQ(shortReader.ErrorCode(), -3);
}

}  // namespace
