// Writes small PNG files with exactly the pixels a test asks for (stored, uncompressed zlib blocks), so
// decoding tests can check every byte that comes out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace png_test {

enum ColorType : uint8_t { kRgb = 2, kPalette = 3, kRgba = 6 };

struct Image {
  int width = 0;
  int height = 0;
  ColorType colorType = kRgba;
  // Rows top to bottom, 8 bits per sample: RGBA, RGB, or one palette index per pixel.
  std::vector<uint8_t> samples;
  // For kPalette: RGB triples, and optional alpha per entry (tRNS).
  std::vector<uint8_t> palette;
  std::vector<uint8_t> paletteAlpha;
};

inline uint32_t Crc32(const std::string& bytes, size_t from) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = from; i < bytes.size(); ++i) {
    crc ^= static_cast<uint8_t>(bytes[i]);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

inline void PutBigEndian(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

inline void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  std::string body(type, 4);
  body += data;
  out += body;
  PutBigEndian(out, Crc32(body, 0));
}

// A zlib stream of stored blocks.
inline std::string ZlibStored(const std::string& raw) {
  std::string out("\x78\x01", 2);
  size_t pos = 0;
  do {
    size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
    bool last = pos + n == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<char>(n & 0xFF));
    out.push_back(static_cast<char>(n >> 8));
    out.push_back(static_cast<char>(~n & 0xFF));
    out.push_back(static_cast<char>((~n >> 8) & 0xFF));
    out.append(raw, pos, n);
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(out, (b << 16) | a);
  return out;
}

inline std::string Encode(const Image& image) {
  int channels = image.colorType == kRgba ? 4 : image.colorType == kRgb ? 3 : 1;
  std::string out("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  PutBigEndian(header, static_cast<uint32_t>(image.width));
  PutBigEndian(header, static_cast<uint32_t>(image.height));
  header += std::string{8, static_cast<char>(image.colorType), 0, 0, 0};
  PutChunk(out, "IHDR", header);
  if (image.colorType == kPalette) {
    PutChunk(out, "PLTE", std::string(image.palette.begin(), image.palette.end()));
    if (!image.paletteAlpha.empty()) {
      PutChunk(out, "tRNS", std::string(image.paletteAlpha.begin(), image.paletteAlpha.end()));
    }
  }
  std::string raw;
  size_t rowBytes = static_cast<size_t>(image.width) * channels;
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);  // filter: none
    raw.append(reinterpret_cast<const char*>(image.samples.data()) + y * rowBytes, rowBytes);
  }
  PutChunk(out, "IDAT", ZlibStored(raw));
  PutChunk(out, "IEND", "");
  return out;
}

// An RGB PNG of one colour.
inline std::string SolidRgb(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
  Image image;
  image.width = width;
  image.height = height;
  image.colorType = kRgb;
  image.samples.resize(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < image.samples.size(); i += 3) {
    image.samples[i] = red;
    image.samples[i + 1] = green;
    image.samples[i + 2] = blue;
  }
  return Encode(image);
}

}  // namespace png_test
