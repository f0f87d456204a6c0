// Image32: the 32-bit software surface every effect draws into, with the
// global drawing state its operations read.
//
// Contract: an Image32 owns the pixel buffer it allocated itself (sized
// constructor, Init, GenH, LoadRaw) and releases it once. Used by the show's
// frame loop, the renderer and the tools, on one thread at a time: the drawing
// state below is plain unsynchronised global data.
//
// Pixel layout (written down here once for the whole system): a pixel is the
// word 0xWWRRGGBB, blue in bits 0-7, green 8-15, red 16-23 and the weight byte
// in bits 24-31 (255 = fully the source colour when blending, 0 = fully the
// destination). Pixel (x, y) is pixels[y * width + x]: rows top to bottom, no
// padding between rows.
//
// Ownership rule (written down here once): each buffer has exactly one owner,
// the surface that allocated it. Copying a surface yields a non-owning view of
// the same buffer (drawing through either changes both); a view never releases
// the buffer, so the owner must outlive every view that is still used. Moving
// a surface hands the ownership to the target. Borrow() drops the own buffer
// and draws into somebody else's. A caller that stores a foreign pointer into
// `pixels` directly does not make it owned either: only the buffer recorded at
// allocation is ever released.
#pragma once

#include <cstdint>

// Drawing state, shared by all surfaces and 0 at start-up.
//   color    - drawing colour as a pixel word; its weight byte is the blend weight
//   lineSize - LineAA thickness in pixels (0 counts as 1 and is stored back as 1)
//   alpha    - store mode: 0 replace, 1 blend, anything else writes nothing
//   AA       - non-zero: the 3D renderer draws its edges antialiased
extern uint32_t color;
extern uint8_t lineSize, alpha, AA;

// A triangle: three vertices in order, each x then y.
struct tri {
  int x1, y1;
  int x2, y2;
  int x3, y3;
};

class Image32 {
 public:
  uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;

  Image32() = default;
  // Allocates w x h words, not cleared. A negative size counts as 0.
  Image32(int w, int h);
  ~Image32();

  // A copy is a non-owning view of the same buffer (see the ownership rule).
  Image32(const Image32& other);
  Image32& operator=(const Image32& other);
  // A move hands the ownership of `other`'s buffer (if it had it) to this.
  Image32(Image32&& other) noexcept;
  Image32& operator=(Image32&& other) noexcept;

  // True when this surface allocated the buffer that `pixels` points at.
  bool OwnsPixels() const { return owned_ != nullptr && owned_ == pixels; }

  // Releases the own buffer (if any) and draws into `foreign` from now on,
  // keeping width and height; the buffer stays its owner's to release.
  void Borrow(uint32_t* foreign);

  // Releases the current own buffer and allocates w x h words (not cleared).
  void Init(int w, int h);

  // Copies all of src's words when both surfaces have the same size;
  // otherwise does nothing.
  void Set(Image32& src);

  // Writes `color` at (x, y) by the pixel store rule; nothing outside.
  void Put(int x, int y);
  // The word at (x, y); 0 outside the surface.
  uint32_t Get(int x, int y);
  // Sets every word to v, all 32 bits, whatever the drawing state.
  void Fill(uint32_t v);

  // Copies the w x h rectangle at (sx, sy) of this surface to (dx, dy) of dst
  // through the pixel store rule. w or h of 0 means the source's full size;
  // source pixels outside this surface read as 0, destination pixels outside
  // dst are skipped. Leaves `color` holding the last source word read.
  void Blit(Image32& dst, int sx, int sy, int dx, int dy, int w, int h);
  // The same with each source weight byte scaled by k/256 (rounded down).
  void Blit(Image32& dst, int sx, int sy, int dx, int dy, int w, int h, unsigned char k);

  // Resizes to w x h and reads a headerless picture of bpp bytes per pixel
  // (red, green, blue, weight for bpp = 4). Returns false when the file is
  // missing or shorter than w * h * bpp bytes; pixels not read are then 0.
  bool LoadRaw(const char* name, int w, int h, int bpp);

  // Filters (filters.cpp).
  // Resizes to w x h and expands a 1-bit picture (bits MSB first, running on
  // across rows): set bits become weight 255, clear bits weight 0, both with
  // the colour's low 24 bits.
  void GenH(const uint32_t* bits, int w, int h, int colour);
  // Diagonal trail of length n towards the upper left; n < 1 does nothing.
  void Blur(int n);
  // Noise in mode 0..4; any other mode does nothing.
  void Brus(int mode);

  // Primitives (primitives.cpp, lines.cpp). Span primitives store `color`
  // directly; point primitives go through the pixel store rule.
  void HLine(int y, int x1, int x2);
  void VLine(int x, int y1, int y2);
  void Line(int x0, int y0, int x1, int y1);
  void LineAA(int x0, int y0, int x1, int y1);
  void Circle(int cx, int cy, int r);
  void CircleFill(int cx, int cy, int r);
  void RectFill(int x1, int y1, int x2, int y2);
  void RoundRectFill(int x1, int y1, int x2, int y2, int r);
  // Part of the drawing interface, drawing nothing.
  void Arc(int, int, float, float, float) {}
  void Rect(int, int, int, int) {}
  void TriFill(tri) {}

 private:
  void ReleaseOwn();
  // Points at (p, w, h); `incoming` is a buffer whose ownership comes along.
  void Adopt(uint32_t* p, int w, int h, uint32_t* incoming);

  uint32_t* owned_ = nullptr;  // the buffer this surface allocated, or null
};
