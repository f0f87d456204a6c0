// The eight row converters and the chooser. Every loop reads and writes
// through memcpy so that rows of any byte alignment are fine; compilers turn
// those into plain loads and stores, so the loops stay free of calls.
#include "convert.h"

#include <cstdint>
#include <cstring>

namespace {

uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void Store32(uint8_t* p, uint32_t v) {
  std::memcpy(p, &v, 4);
}

void Store16(uint8_t* p, uint32_t v) {
  const uint16_t w = static_cast<uint16_t>(v);
  std::memcpy(p, &w, 2);
}

// Shared walk of the 16-bit converters: `pack` maps a source word to the
// output word with masks and shifts only.
template <typename Pack>
void ConvertTo16(const void* src, void* dst, int count, Pack pack) {
  const auto* s = static_cast<const uint8_t*>(src);
  auto* d = static_cast<uint8_t*>(dst);
  for (int i = 0; i < count; ++i, s += 4, d += 2) Store16(d, pack(Load32(s)));
}

struct ConverterRow {
  int bits;
  unsigned long r, g, b;
  ptc_converter convert;
};

// Searched in order; the first exact match wins.
constexpr ConverterRow kConverters[] = {
    {32, 0xFF0000, 0xFF00, 0xFF, ptc_convert_32_to_32_rgb888},
    {32, 0xFF, 0xFF00, 0xFF0000, ptc_convert_32_to_32_bgr888},
    {24, 0xFF0000, 0xFF00, 0xFF, ptc_convert_32_to_24_rgb888},
    {24, 0xFF, 0xFF00, 0xFF0000, ptc_convert_32_to_24_bgr888},
    {16, 0xF800, 0x07E0, 0x001F, ptc_convert_32_to_16_rgb565},
    {16, 0x001F, 0x07E0, 0xF800, ptc_convert_32_to_16_bgr565},
    {16, 0x7C00, 0x03E0, 0x001F, ptc_convert_32_to_16_rgb555},
    {16, 0x001F, 0x03E0, 0x7C00, ptc_convert_32_to_16_bgr555},
};

}  // namespace

void ptc_convert_32_to_32_rgb888(const void* src, void* dst, int count) {
  if (count > 0) std::memcpy(dst, src, static_cast<size_t>(count) * 4);
}

void ptc_convert_32_to_32_bgr888(const void* src, void* dst, int count) {
  const auto* s = static_cast<const uint8_t*>(src);
  auto* d = static_cast<uint8_t*>(dst);
  for (int i = 0; i < count; ++i, s += 4, d += 4) {
    const uint32_t v = Load32(s);
    Store32(d, ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
  }
}

void ptc_convert_32_to_24_rgb888(const void* src, void* dst, int count) {
  const auto* s = static_cast<const uint8_t*>(src);
  auto* d = static_cast<uint8_t*>(dst);
  for (int i = 0; i < count; ++i, s += 4, d += 3) {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
  }
}

void ptc_convert_32_to_24_bgr888(const void* src, void* dst, int count) {
  const auto* s = static_cast<const uint8_t*>(src);
  auto* d = static_cast<uint8_t*>(dst);
  for (int i = 0; i < count; ++i, s += 4, d += 3) {
    d[0] = s[2];
    d[1] = s[1];
    d[2] = s[0];
  }
}

void ptc_convert_32_to_16_rgb565(const void* src, void* dst, int count) {
  ConvertTo16(src, dst, count, [](uint32_t v) {
    return ((v & 0xF80000) >> 8) | ((v & 0xFC00) >> 5) | ((v & 0xF8) >> 3);
  });
}

void ptc_convert_32_to_16_bgr565(const void* src, void* dst, int count) {
  ConvertTo16(src, dst, count, [](uint32_t v) {
    return ((v & 0xF8) << 8) | ((v & 0xFC00) >> 5) | ((v & 0xF80000) >> 19);
  });
}

void ptc_convert_32_to_16_rgb555(const void* src, void* dst, int count) {
  ConvertTo16(src, dst, count, [](uint32_t v) {
    return ((v & 0xF80000) >> 9) | ((v & 0xF800) >> 6) | ((v & 0xF8) >> 3);
  });
}

void ptc_convert_32_to_16_bgr555(const void* src, void* dst, int count) {
  ConvertTo16(src, dst, count, [](uint32_t v) {
    return ((v & 0xF8) << 7) | ((v & 0xF800) >> 6) | ((v & 0xF80000) >> 19);
  });
}

ptc_converter ptc_request_converter(int bits, unsigned long r, unsigned long g, unsigned long b) {
  for (const ConverterRow& row : kConverters) {
    if (row.bits == bits && row.r == r && row.g == g && row.b == b) return row.convert;
  }
  return nullptr;
}
