// PNG output through libpng.
#include "png_writer.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace {
// libpng's own handlers print to stderr; a failure is reported by the caller
// in one line of its own, so these only end the write.
void QuietError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void QuietWarning(png_structp, png_const_charp) {}
}  // namespace

bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, &QuietError, &QuietWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  // libpng reports errors by longjmp; the row buffer lives outside that scope
  // so nothing with a destructor is skipped.
  std::vector<png_byte> row(static_cast<size_t>(width) * 3);
  if (png != nullptr && info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
      const uint32_t* src = pixels + static_cast<size_t>(y) * width;
      for (int x = 0; x < width; ++x) {
        row[3 * x] = static_cast<png_byte>(src[x] >> 16);
        row[3 * x + 1] = static_cast<png_byte>(src[x] >> 8);
        row[3 * x + 2] = static_cast<png_byte>(src[x]);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(&png, &info);
  ok = (std::fclose(file) == 0) && ok;
  return ok;
}
