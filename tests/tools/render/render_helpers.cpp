// Test helpers for the renderer.
#include "render_helpers.h"

#include <png.h>

#include <sstream>

#include "demo/sync.h"

std::string Renderer() {
  return "./veldraflimmer-render";
}

void WriteRaw(const std::string& path, int w, int h,
              const std::function<uint32_t(int, int)>& pixel) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t p = pixel(x, y);
      bytes.push_back(static_cast<char>(p >> 16));
      bytes.push_back(static_cast<char>(p >> 8));
      bytes.push_back(static_cast<char>(p));
      bytes.push_back(static_cast<char>(p >> 24));
    }
  }
  WriteFile(path, bytes);
}

void WriteTestPictures(const std::string& folder) {
  using namespace test_colour;
  auto solid = [](uint32_t rgb) { return [rgb](int, int) { return 0xFF000000u | rgb; }; };
  auto square = [](uint32_t rgb, int x0) {
    return [rgb, x0](int x, int y) {
      return x >= x0 && x < x0 + 40 && y >= 60 && y < 100 ? 0xFF000000u | rgb : 0u;
    };
  };
  WriteRaw(folder + "/tecken.raw", 500, 25, solid(kTecken));
  WriteRaw(folder + "/greet.raw", 500, 240,
           [](int x, int) { return x < 100 ? 0xFF000000u | kGreet : 0u; });
  WriteRaw(folder + "/kludd.raw", 320, 240, solid(kKludd));
  WriteRaw(folder + "/sidolinjer1.raw", 50, 250, solid(kSidolinjer));
  WriteRaw(folder + "/linje1.raw", 50, 250, solid(kLinje));
  WriteRaw(folder + "/linje2.raw", 50, 250, solid(kLinje));
  WriteRaw(folder + "/veldra.raw", 320, 240, square(kVeldra, 60));
  WriteRaw(folder + "/link.raw", 320, 240, square(kLink, 220));
  WriteRaw(folder + "/kollademos.raw", 320, 240, solid(kKollademos));
  WriteRaw(folder + "/link2.raw", 320, 240, solid(kLink2));
  WriteRaw(folder + "/blabak.raw", 320, 240, solid(kBlabak));
  WriteRaw(folder + "/grabak1.raw", 320, 240, solid(kGrabak1));
  WriteRaw(folder + "/grabak2.raw", 320, 240, solid(kGrabak2));
  WriteRaw(folder + "/grabak3.raw", 320, 240, solid(kGrabak3));
}

uint32_t Opaque(uint32_t rgb) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8)
    out |= ((((rgb >> shift) & 0xFF) * 255) >> 8) << shift;
  return out;
}

double Frame::Share(int x0, int y0, int x1, int y1, uint32_t colour) const {
  long hits = 0, all = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      hits += At(x, y) == colour;
      ++all;
    }
  }
  return all > 0 ? static_cast<double>(hits) / all : 0.0;
}

Frame ReadPng(const std::string& path) {
  Frame frame;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return frame;
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> bytes(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) return frame;
  frame.width = static_cast<int>(image.width);
  frame.height = static_cast<int>(image.height);
  frame.rgb.resize(static_cast<size_t>(frame.width) * frame.height);
  for (size_t i = 0; i < frame.rgb.size(); ++i) {
    frame.rgb[i] = static_cast<uint32_t>(bytes[3 * i]) << 16 |
                   static_cast<uint32_t>(bytes[3 * i + 1]) << 8 | bytes[3 * i + 2];
  }
  return frame;
}

std::vector<Event> ParseEvents(const std::string& text) {
  std::vector<Event> events;
  std::istringstream in(text);
  Event e;
  while (in >> e.frame >> e.songMs >> e.order >> e.row >> e.command) events.push_back(e);
  return events;
}

std::map<std::string, int> ShotTimes(const std::vector<Event>& events) {
  std::map<std::string, int> times;
  int scenes = 0, links = 0, flashes = 0;
  for (const Event& e : events) {
    if (e.command == kSyncNextScene) times["scene" + std::to_string(++scenes)] = e.songMs;
    if (e.command == kSyncLink) times["link" + std::to_string(++links)] = e.songMs;
    if (e.command == kSyncFlash) times["flash" + std::to_string(++flashes)] = e.songMs;
  }
  return {
      {"start", 19},
      {"scene0", 2000},
      {"scene1", times["scene1"] + 500},
      {"overlays", times["link4"] + 300},
      {"flash", times["flash1"] + 21},
      {"scene2", times["scene2"] + 600},
      {"scene3a", times["scene3"] + 1000},
      {"scene3b", times["scene3"] + 2000},
      {"scene4", times["scene4"] + 30},
      {"scene5", times["scene5"] + 30},
      {"scene6", times["scene6"] + 30},
      {"scene7", times["scene7"] + 30},
      {"scene8", times["scene8"] + 30},
      {"fixed5000", 5000},
      {"fixed25000", 25000},
      {"fixed40000", 40000},
  };
}

std::string ShotList(const std::map<std::string, int>& shots) {
  std::string list;
  for (const auto& [name, ms] : shots) {
    if (!list.empty()) list += ',';
    list += std::to_string(ms);
  }
  return list;
}
