// Decoding pictures into DIB sections: pixel formats, premultiplied alpha, palettes, row order, failures
// that keep the old picture, and the installer's embedded pictures.
#include "ui/picture.h"

#include <gtest/gtest.h>

#include <array>
#include <thread>
#include <vector>

#include "resources/resource_ids.h"
#include "ui/gdiplus_session.h"
#include "ui/png_test_image.h"

namespace {

std::array<uint8_t, 4> PixelAt(const CVolPicture& picture, int x, int y) {
  const uint8_t* p = picture.Row(y) + x * 4;
  return {p[0], p[1], p[2], p[3]};  // B, G, R, A
}

bool Load(CVolPicture& picture, const std::string& bytes) {
  return picture.LoadPictureFromMemory(bytes.data(), bytes.size());
}

TEST(PictureDecodeTest, AlphaPicturesBecomePremultiplied32BitRowsTopDown) {
  png_test::Image image;
  image.width = 4;
  image.height = 2;
  image.colorType = png_test::kRgba;
  image.samples = {
      200, 100, 50, 0,    10, 20, 30, 255,    200, 100, 50, 128,    255, 255, 255, 1,    // top row
      1,   2,   3,  255,  0,  0,  0,  0,      0,   0,   0,  0,      0,   0,   0,   0,    // bottom row
  };
  CVolPicture picture;
  ASSERT_TRUE(Load(picture, png_test::Encode(image)));
  EXPECT_EQ(picture.Width(), 4);
  EXPECT_EQ(picture.Height(), 2);
  ASSERT_EQ(picture.BitsPerPixel(), 32);
  EXPECT_TRUE(picture.HasAlphaPixels());

  using Px = std::array<uint8_t, 4>;
  EXPECT_EQ(PixelAt(picture, 0, 0), (Px{0, 0, 0, 0})) << "alpha 0 clears the colour";
  EXPECT_EQ(PixelAt(picture, 1, 0), (Px{30, 20, 10, 255})) << "opaque pixels are unchanged";
  EXPECT_EQ(PixelAt(picture, 2, 0), (Px{25, 50, 100, 128}));
  EXPECT_EQ(PixelAt(picture, 3, 0), (Px{1, 1, 1, 1}));
  EXPECT_EQ(PixelAt(picture, 0, 1), (Px{3, 2, 1, 255})) << "row 1 is the picture's second row from the top";
}

TEST(PictureDecodeTest, OpaquePicturesBecome24BitWithPaddedRows) {
  png_test::Image image;
  image.width = 3;
  image.height = 2;
  image.colorType = png_test::kRgb;
  image.samples = {255, 0, 0,  0, 255, 0,  0, 0, 255,  9, 8, 7,  6, 5, 4,  3, 2, 1};
  CVolPicture picture;
  ASSERT_TRUE(Load(picture, png_test::Encode(image)));
  ASSERT_EQ(picture.BitsPerPixel(), 24);
  EXPECT_FALSE(picture.HasAlphaPixels());
  // Rows padded to four bytes; the DIB is stored bottom-up, presented top-down.
  EXPECT_EQ(picture.RowBytes(), 12u);
  EXPECT_EQ(picture.Stride(), -12);
  const uint8_t* top = picture.Row(0);
  EXPECT_EQ(std::vector<uint8_t>(top, top + 9), (std::vector<uint8_t>{0, 0, 255, 0, 255, 0, 255, 0, 0}));
  const uint8_t* bottom = picture.Row(1);
  EXPECT_EQ(std::vector<uint8_t>(bottom, bottom + 9), (std::vector<uint8_t>{7, 8, 9, 4, 5, 6, 1, 2, 3}));
}

// A 32-bit BMP without alpha has no DIB twin among the target formats: GDI+ converts it to 24 bits while
// drawing it into the DIB.
TEST(PictureDecodeTest, OtherFormatsAreConvertedByDrawing) {
  // 2 x 2, bottom-up, B G R X per pixel.
  const uint8_t bottomUp[] = {0xFF, 0, 0, 0x11,  0x30, 0x20, 0x10, 0x22,    // bottom row
                              0, 0, 0xFF, 0x33,  0, 0x80, 0, 0x44};       // top row
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = 2;
  info.biHeight = 2;
  info.biPlanes = 1;
  info.biBitCount = 32;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + sizeof(bottomUp);
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
  bytes.append(reinterpret_cast<const char*>(bottomUp), sizeof(bottomUp));

  CVolPicture picture;
  ASSERT_TRUE(Load(picture, bytes));
  ASSERT_EQ(picture.BitsPerPixel(), 24);
  const uint8_t* top = picture.Row(0);
  const uint8_t* bottom = picture.Row(1);
  EXPECT_EQ(std::vector<uint8_t>(top, top + 6), (std::vector<uint8_t>{0, 0, 0xFF, 0, 0x80, 0}));
  EXPECT_EQ(std::vector<uint8_t>(bottom, bottom + 6), (std::vector<uint8_t>{0xFF, 0, 0, 0x30, 0x20, 0x10}));
}

TEST(PictureDecodeTest, IndexedPicturesKeepTheirPalette) {
  png_test::Image image;
  image.width = 3;
  image.height = 1;
  image.colorType = png_test::kPalette;
  image.palette = {10, 20, 30,  40, 50, 60,  70, 80, 90};
  image.samples = {2, 0, 1};
  CVolPicture picture;
  ASSERT_TRUE(Load(picture, png_test::Encode(image)));
  ASSERT_EQ(picture.BitsPerPixel(), 8);
  EXPECT_EQ(std::vector<uint8_t>(picture.Row(0), picture.Row(0) + 3), (std::vector<uint8_t>{2, 0, 1}));
  RGBQUAD table[256];
  UINT count = 0;
  ASSERT_TRUE(picture.ReadColorTable(table, 0, 3, &count));
  ASSERT_EQ(count, 3u);
  EXPECT_EQ(table[2].rgbRed, 70);
  EXPECT_EQ(table[2].rgbGreen, 80);
  EXPECT_EQ(table[2].rgbBlue, 90);
}

TEST(PictureDecodeTest, IndexedPicturesWithTransparentEntriesDrawWithAlpha) {
  png_test::Image image;
  image.width = 2;
  image.height = 1;
  image.colorType = png_test::kPalette;
  image.palette = {200, 100, 50,  10, 20, 30};
  image.paletteAlpha = {0, 255};
  image.samples = {0, 1};
  CVolPicture picture;
  ASSERT_TRUE(Load(picture, png_test::Encode(image)));
  ASSERT_EQ(picture.BitsPerPixel(), 32);
  using Px = std::array<uint8_t, 4>;
  EXPECT_EQ(PixelAt(picture, 0, 0), (Px{0, 0, 0, 0}));
  EXPECT_EQ(PixelAt(picture, 1, 0), (Px{30, 20, 10, 255}));
}

TEST(PictureDecodeTest, UnreadableDataGivesNoPictureAndKeepsTheOldOne) {
  png_test::Image image;
  image.width = 5;
  image.height = 7;
  image.colorType = png_test::kRgb;
  image.samples.assign(5 * 7 * 3, 0x80);
  std::string good = png_test::Encode(image);

  CVolPicture fresh;
  EXPECT_FALSE(fresh.LoadPictureFromMemory(nullptr, 0));
  EXPECT_FALSE(fresh.IsValid());

  CVolPicture picture;
  ASSERT_TRUE(Load(picture, good));
  HBITMAP before = picture.Bitmap();
  const std::string bad[] = {
      std::string(),
      std::string("not a picture at all, just some text"),
      good.substr(0, 20),                  // cut inside the header
      std::string(64, '\0'),
  };
  for (const std::string& bytes : bad) {
    EXPECT_FALSE(picture.LoadPictureFromMemory(bytes.data(), bytes.size())) << bytes.size() << " bytes";
    EXPECT_EQ(picture.Bitmap(), before);
    EXPECT_EQ(picture.Width(), 5);
    EXPECT_EQ(picture.Height(), 7);
    EXPECT_EQ(GetObjectType(before), static_cast<DWORD>(OBJ_BITMAP));
  }
}

TEST(PictureDibTest, MakeDibReplacesThePreviousSectionAndRejectsUnusableShapes) {
  CVolPicture picture;
  ASSERT_TRUE(picture.MakeDib(3, 2, 24));
  HBITMAP first = picture.Bitmap();
  EXPECT_EQ(picture.RowBytes(), 12u);
  ASSERT_TRUE(picture.MakeDib(5, 1, 32));
  EXPECT_EQ(GetObjectType(first), 0u) << "the previous DIB section is deleted";
  EXPECT_EQ(picture.RowBytes(), 20u);
  ASSERT_TRUE(picture.MakeDib(9, 1, 1));
  EXPECT_EQ(picture.RowBytes(), 4u);

  const int shapes[][3] = {{0, 1, 32}, {1, 0, 32}, {-4, 4, 32}, {4, 4, 7}, {4, 4, 0}, {100000, 100000, 32}};
  for (const auto& s : shapes) {
    EXPECT_FALSE(picture.MakeDib(s[0], s[1], s[2])) << s[0] << " x " << s[1] << " x " << s[2];
    EXPECT_FALSE(picture.IsValid());
  }
}

TEST(PictureDibTest, CopiesOwnTheirPixels) {
  CVolPicture original;
  ASSERT_TRUE(original.MakeDib(2, 2, 32));
  original.Row(1)[4] = 77;
  CVolPicture copy(original);
  EXPECT_NE(copy.Bitmap(), original.Bitmap());
  EXPECT_TRUE(copy.IsEqual(original));
  copy.Row(1)[4] = 78;
  EXPECT_FALSE(copy.IsEqual(original));
  EXPECT_EQ(original.Row(1)[4], 77);

  CVolPicture empty;
  EXPECT_FALSE(empty.IsEqual(original));
  ASSERT_TRUE(empty.Assign(original));
  EXPECT_TRUE(empty.IsEqual(original));
  empty.Reset();
  EXPECT_FALSE(empty.IsValid());
}

TEST(PictureGdiplusTest, StartsOnceForConcurrentDecodesAndAgainAfterShutdown) {
  png_test::Image image;
  image.width = 2;
  image.height = 2;
  image.samples.assign(16, 0xFF);
  const std::string bytes = png_test::Encode(image);

  ShutdownGdiplus();
  EXPECT_FALSE(IsGdiplusStarted());
  std::vector<std::thread> threads;
  std::array<int, 4> decoded{};
  for (size_t t = 0; t < decoded.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 10; ++i) {
        CVolPicture picture;
        if (Load(picture, bytes)) ++decoded[t];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int n : decoded) EXPECT_EQ(n, 10);
  EXPECT_TRUE(IsGdiplusStarted());
}

TEST(PictureResourceTest, InstallerPicturesLoadWithTheirSizes) {
  struct Expected {
    int id, width, height, bitsPerPixel;
  };
  const Expected pictures[] = {
      {IDR_PICTURE_CLOSE_NORMAL, 39, 20, 32},    {IDR_PICTURE_CLOSE_HOVER, 39, 20, 32},
      {IDR_PICTURE_CLOSE_PRESSED, 39, 20, 32},   {IDR_PICTURE_INSTALL_NORMAL, 142, 38, 32},
      {IDR_PICTURE_INSTALL_HOVER, 142, 38, 32},  {IDR_PICTURE_DOWNLOADING, 142, 38, 32},
      {IDR_PICTURE_INSTALLING, 142, 38, 32},     {IDR_PICTURE_LAUNCH, 142, 38, 32},
      {IDR_PICTURE_PROGRESS_FILL, 580, 12, 32},  {IDR_PICTURE_PROGRESS_TRACK, 580, 12, 32},
      {IDR_PICTURE_BACKGROUND, 600, 400, 24},    {IDR_PICTURE_CHECKBOX_OFF, 18, 18, 32},
      {IDR_PICTURE_CHECKBOX_ON, 18, 18, 32},
  };
  for (const Expected& e : pictures) {
    CVolPicture picture;
    ASSERT_TRUE(picture.LoadPictureFromResource(e.id)) << e.id;
    EXPECT_EQ(picture.Width(), e.width) << e.id;
    EXPECT_EQ(picture.Height(), e.height) << e.id;
    EXPECT_EQ(picture.BitsPerPixel(), e.bitsPerPixel) << e.id;
  }

  CVolPicture missing;
  EXPECT_FALSE(missing.LoadPictureFromResource(499));
  EXPECT_FALSE(missing.IsValid());
}

TEST(PictureResourceTest, CloseButtonHasTransparentRoundedCornersAndSmoothEdges) {
  for (int id : {IDR_PICTURE_CLOSE_NORMAL, IDR_PICTURE_CLOSE_HOVER, IDR_PICTURE_CLOSE_PRESSED}) {
    CVolPicture picture;
    ASSERT_TRUE(picture.LoadPictureFromResource(id));
    using Px = std::array<uint8_t, 4>;
    for (auto corner : {std::pair<int, int>{0, 0}, {38, 0}, {0, 19}, {38, 19}}) {
      EXPECT_EQ(PixelAt(picture, corner.first, corner.second), (Px{0, 0, 0, 0})) << id;
    }
    int partial = 0;
    for (int x = 0; x < 6; ++x) {
      uint8_t alpha = PixelAt(picture, x, 0)[3];
      if (alpha > 0 && alpha < PixelAt(picture, 19, 10)[3]) ++partial;
    }
    EXPECT_GT(partial, 0) << id << ": the rounded edge is anti-aliased";
  }
  CVolPicture hover;
  ASSERT_TRUE(hover.LoadPictureFromResource(IDR_PICTURE_CLOSE_HOVER));
  EXPECT_EQ(PixelAt(hover, 5, 10)[3], 255) << "the hover plate is opaque";
}

}  // namespace
