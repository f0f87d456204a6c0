// Picture files: raw pictures through stdio, PNG through libpng's simplified interface.
#include "picture_io.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string SystemError(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

bool WriteRaw(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    error = SystemError("cannot create", path);
    return false;
  }
  const bool written =
      bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed) {
    error = SystemError("cannot write", path);
    return false;
  }
  return true;
}

bool ReadRaw(const std::string& path, int width, int height, RgbaImage& out, std::string& error) {
  if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
    error = "picture size must be 1.." + std::to_string(kMaxPictureSide) + " on each side";
    return false;
  }
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    error = SystemError("cannot open", path);
    return false;
  }
  const size_t expected = static_cast<size_t>(width) * height * 4;
  std::vector<uint8_t> bytes(expected + 1);
  const size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  const bool read_error = std::ferror(f) != 0;
  std::fclose(f);
  if (read_error) {
    error = SystemError("cannot read", path);
    return false;
  }
  if (got != expected) {
    error = path + " is " + (got < expected ? "shorter" : "longer") + " than " +
            std::to_string(width) + "x" + std::to_string(height) + " pixels of 4 bytes (" +
            std::to_string(expected) + " bytes)";
    return false;
  }
  bytes.resize(expected);
  out.width = width;
  out.height = height;
  out.bytes = std::move(bytes);
  return true;
}

bool ReadPng(const std::string& path, RgbaImage& out, std::string& error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    error = path + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  if (image.width == 0 || image.height == 0 || image.width > kMaxPictureSide ||
      image.height > kMaxPictureSide) {
    error = path + ": picture of " + std::to_string(image.width) + "x" +
            std::to_string(image.height) + " pixels is outside 1.." +
            std::to_string(kMaxPictureSide);
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> bytes(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) {
    error = path + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.bytes = std::move(bytes);
  return true;
}

bool WritePng(const std::string& path, const RgbaImage& picture, std::string& error, bool alpha) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> rgb;
  const uint8_t* bytes = picture.bytes.data();
  if (!alpha) {
    image.format = PNG_FORMAT_RGB;
    rgb.reserve(picture.bytes.size() / 4 * 3);
    for (size_t i = 0; i + 3 < picture.bytes.size(); i += 4)
      rgb.insert(rgb.end(), picture.bytes.begin() + i, picture.bytes.begin() + i + 3);
    bytes = rgb.data();
  }
  if (!png_image_write_to_file(&image, path.c_str(), 0, bytes, 0, nullptr)) {
    error = path + ": " + image.message;
    return false;
  }
  return true;
}

RgbaImage FromPixelWords(const uint32_t* pixels, int width, int height) {
  RgbaImage image{width, height, {}};
  const size_t count = static_cast<size_t>(width) * height;
  image.bytes.resize(count * 4);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t p = pixels[i];
    image.bytes[4 * i] = static_cast<uint8_t>(p >> 16);
    image.bytes[4 * i + 1] = static_cast<uint8_t>(p >> 8);
    image.bytes[4 * i + 2] = static_cast<uint8_t>(p);
    image.bytes[4 * i + 3] = static_cast<uint8_t>(p >> 24);
  }
  return image;
}
