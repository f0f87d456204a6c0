// Image32 construction, ownership, single-pixel access, fills, whole-surface
// copy and the raw picture loader; the drawing-state globals live here.
#include "image32.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "store.h"

uint32_t color = 0;
uint8_t lineSize = 0;
uint8_t alpha = 0;
uint8_t AA = 0;

namespace {

size_t PixelCount(const Image32& img) {
  if (img.pixels == nullptr || img.width <= 0 || img.height <= 0) return 0;
  return static_cast<size_t>(img.width) * static_cast<size_t>(img.height);
}

}  // namespace

Image32::Image32(int w, int h) {
  Init(w, h);
}

Image32::~Image32() {
  ReleaseOwn();
  pixels = nullptr;
}

Image32::Image32(const Image32& other)
    : pixels(other.pixels), width(other.width), height(other.height) {}

// Assignment keeps this surface's own buffer only if the result still points
// at it; otherwise the buffer is released. A copy never brings ownership.
Image32& Image32::operator=(const Image32& other) {
  if (this != &other) Adopt(other.pixels, other.width, other.height, nullptr);
  return *this;
}

Image32::Image32(Image32&& other) noexcept
    : pixels(other.pixels), width(other.width), height(other.height), owned_(other.owned_) {
  other.owned_ = nullptr;
}

Image32& Image32::operator=(Image32&& other) noexcept {
  if (this != &other) {
    uint32_t* incoming = other.owned_;
    other.owned_ = nullptr;
    Adopt(other.pixels, other.width, other.height, incoming);
  }
  return *this;
}

void Image32::Adopt(uint32_t* p, int w, int h, uint32_t* incoming) {
  uint32_t* keep = incoming != nullptr ? incoming : (owned_ == p ? owned_ : nullptr);
  if (owned_ != nullptr && owned_ != keep) delete[] owned_;
  owned_ = keep;
  pixels = p;
  width = w;
  height = h;
}

void Image32::ReleaseOwn() {
  if (owned_ == nullptr) return;
  if (pixels == owned_) pixels = nullptr;
  delete[] owned_;
  owned_ = nullptr;
}

void Image32::Borrow(uint32_t* foreign) {
  if (foreign != owned_) ReleaseOwn();
  pixels = foreign;
}

void Image32::Init(int w, int h) {
  ReleaseOwn();
  pixels = nullptr;
  width = std::max(w, 0);
  height = std::max(h, 0);
  size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (n > 0) {
    owned_ = new uint32_t[n];
    pixels = owned_;
  }
}

void Image32::Set(Image32& src) {
  if (src.width != width || src.height != height) return;
  size_t n = PixelCount(*this);
  if (n == 0 || src.pixels == nullptr || src.pixels == pixels) return;
  std::memmove(pixels, src.pixels, n * sizeof(uint32_t));
}

void Image32::Put(int x, int y) {
  if (pixels == nullptr || !raster::Inside(*this, x, y)) return;
  raster::Store(&pixels[static_cast<size_t>(y) * width + x], color, alpha);
}

uint32_t Image32::Get(int x, int y) {
  if (pixels == nullptr || !raster::Inside(*this, x, y)) return 0;
  return pixels[static_cast<size_t>(y) * width + x];
}

void Image32::Fill(uint32_t v) {
  std::fill_n(pixels, PixelCount(*this), v);
}

bool Image32::LoadRaw(const char* name, int w, int h, int bpp) {
  Init(w, h);
  size_t count = PixelCount(*this);
  std::fill_n(pixels, count, 0u);
  FILE* f = name != nullptr ? std::fopen(name, "rb") : nullptr;
  if (f == nullptr) return false;

  size_t per = static_cast<size_t>(std::max(bpp, 0));
  bool complete = true;
  // One holder for the whole load: a pixel of fewer than four bytes keeps the
  // bytes that the previous pixel left in it. Bytes past the fourth are read
  // and dropped.
  uint8_t holder[4] = {0, 0, 0, 0};
  std::vector<uint8_t> chunk(per * 4096);
  size_t done = 0;
  while (done < count) {
    size_t want = std::min<size_t>(4096, count - done);
    size_t got = per == 0 ? want : std::fread(chunk.data(), 1, per * want, f) / per;
    for (size_t i = 0; i < got; ++i) {
      const uint8_t* src = chunk.data() + i * per;
      for (size_t b = 0; b < per && b < 4; ++b) holder[b] = src[b];
      std::swap(holder[0], holder[2]);
      pixels[done + i] =
          holder[0] | holder[1] << 8 | holder[2] << 16 | static_cast<uint32_t>(holder[3]) << 24;
    }
    done += got;
    if (got < want) {
      complete = false;
      break;
    }
  }
  std::fclose(f);
  return complete;
}
