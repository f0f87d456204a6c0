// Cost of presenting one 320×240 frame through the display layer into the
// headless back end, per screen format: the pump, the lock, 240 converter
// calls into the back buffer and the flip (a copy of the whole buffer into the
// front buffer, standing in for the upload). A second set times the converter
// alone over the same rows.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "display/convert.h"
#include "display/display_headless.h"
#include "display/ptc.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

const DisplayPixelFormat kFormats[] = {
    {true, 32, 0xFF0000, 0xFF00, 0xFF}, {true, 32, 0xFF, 0xFF00, 0xFF0000},
    {true, 24, 0xFF0000, 0xFF00, 0xFF}, {true, 24, 0xFF, 0xFF00, 0xFF0000},
    {true, 16, 0xF800, 0x07E0, 0x001F}, {true, 16, 0x001F, 0x07E0, 0xF800},
    {true, 16, 0x7C00, 0x03E0, 0x001F}, {true, 16, 0x001F, 0x03E0, 0x7C00},
};
const char* const kNames[] = {"32_rgb888", "32_bgr888", "24_rgb888", "24_bgr888",
                              "16_rgb565", "16_bgr565", "16_rgb555", "16_bgr555"};

std::vector<uint32_t> Frame() {
  std::vector<uint32_t> frame(kWidth * kHeight);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint32_t>(i * 2654435761u);
  return frame;
}

void BM_PresentFrame(benchmark::State& state) {
  const DisplayPixelFormat& format = kFormats[state.range(0)];
  state.SetLabel(kNames[state.range(0)]);
  HeadlessDisplay screen;
  screen.SetFormatForMode(32, format);
  ptc_use_platform(&screen);
  if (ptc_open("BENCH", kWidth, kHeight) != 1) {
    state.SkipWithError("ptc_open failed");
    return;
  }
  screen.PostActivate(true);
  auto frame = Frame();
  for (auto _ : state) {
    benchmark::DoNotOptimize(ptc_update(frame.data()));
    screen.ClearLog();  // keeps the call log from growing over millions of frames
  }
  benchmark::DoNotOptimize(screen.Presented());
  ptc_close();
  ptc_use_platform(nullptr);
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_PresentFrame)->DenseRange(0, 7)->Unit(benchmark::kMicrosecond);

void BM_ConvertFrame(benchmark::State& state) {
  const DisplayPixelFormat& f = kFormats[state.range(0)];
  state.SetLabel(kNames[state.range(0)]);
  const ptc_converter convert = ptc_request_converter(f.bits, f.r, f.g, f.b);
  const auto frame = Frame();
  const size_t pitch = static_cast<size_t>(kWidth * f.bits / 8);
  std::vector<uint8_t> out(pitch * kHeight);
  for (auto _ : state) {
    for (int y = 0; y < kHeight; ++y) {
      convert(&frame[static_cast<size_t>(y) * kWidth], &out[y * pitch], kWidth);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_ConvertFrame)->DenseRange(0, 7)->Unit(benchmark::kMicrosecond);

}  // namespace
