// Helpers for driving veldraflimmer-render from tests: test pictures in
// distinct solid colours, reading its PNG and event output. Folders, files and
// processes come from the shared test support.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "test_files.h"
#include "test_process.h"

// The renderer in the working directory (the tests run in <build>/bin).
std::string Renderer();

// Writes a raw picture (red, green, blue, weight per pixel) from `pixel`,
// which returns 0xWWRRGGBB for (x, y).
void WriteRaw(const std::string& path, int w, int h,
              const std::function<uint32_t(int, int)>& pixel);

// Colours of the test pictures (rgb, all opaque unless said otherwise).
namespace test_colour {
constexpr uint32_t kKollademos = 0xFF0000;
constexpr uint32_t kLink2 = 0x00FF00;
constexpr uint32_t kKludd = 0x0000FF;
constexpr uint32_t kBlabak = 0xFFFF00;
constexpr uint32_t kGreet = 0xFF00FF;  // columns 0-99 only; the rest weight 0
constexpr uint32_t kGrabak1 = 0x00FFFF;
constexpr uint32_t kGrabak2 = 0x8000FF;
constexpr uint32_t kGrabak3 = 0x808000;
constexpr uint32_t kTecken = 0xFF0080;
constexpr uint32_t kSidolinjer = 0x000080;
constexpr uint32_t kLinje = 0x804000;
constexpr uint32_t kVeldra = 0xFFFFFF;  // a square at columns 60-99, rows 60-99
constexpr uint32_t kLink = 0xFFFF80;    // a square at columns 220-259, rows 60-99
}  // namespace test_colour

// Writes the fourteen test pictures into `folder`.
void WriteTestPictures(const std::string& folder);

// An opaque colour after one blended copy: each channel (c * 255) >> 8.
uint32_t Opaque(uint32_t rgb);

// A PNG as 0xRRGGBB words; width 0 when it cannot be read.
struct Frame {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb;
  uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
  // Share of the pixels of the rectangle that equal `colour`.
  double Share(int x0, int y0, int x1, int y1, uint32_t colour) const;
};
Frame ReadPng(const std::string& path);

// One line of --events.
struct Event {
  long frame = 0;
  int songMs = 0, order = 0, row = 0, command = 0;
};
std::vector<Event> ParseEvents(const std::string& text);

// The show rendered once per test run by render_once (a CTest fixture) into
// RENDER_ONCE_DIR: the events of a --null run (events.txt), the test pictures
// (pictures/), and one run with those pictures that writes the sound (s.wav)
// and the frames at ShotTimes (at-T.png).
// Named song times to look at, from the event times: the first frames of the
// scenes and overlays and later ones, and three fixed times.
std::map<std::string, int> ShotTimes(const std::vector<Event>& events);
// The --png-at list of all shot times.
std::string ShotList(const std::map<std::string, int>& shots);
