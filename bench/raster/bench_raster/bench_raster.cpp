// Speed of the raster operations the show runs every frame, and of one whole
// frame of the heaviest scene composed the way the show composes it.
// The argument picks the row kernels: 0 the widest this processor has,
// 1 the plain ones, 2 the 128-bit ones every x86-64 processor has.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "3d/tdmotor.h"
#include "demo/figure.h"
#include "raster/image32.h"
#include "raster/kernels.h"

namespace {

// A picture with runs of opaque, transparent and partly covering pixels, like
// the show's pictures and masks.
void MakePicture(Image32& img, int w, int h, uint32_t seed) {
  img.Init(w, h);
  std::mt19937 rng(seed);
  for (int i = 0; i < w * h; ++i) {
    uint32_t rgb = rng() & 0xFFFFFF;
    int band = (i / 37 + static_cast<int>(seed)) % 3;
    uint32_t weight = band == 0 ? 0 : band == 1 ? 255 : rng() & 0xFF;
    img.pixels[i] = weight << 24 | rgb;
  }
}

struct Kernels {
  explicit Kernels(benchmark::State& state) {
    const raster::KernelSet sets[] = {raster::KernelSet::kBest, raster::KernelSet::kPlain,
                                      raster::KernelSet::kSse2};
    if (!raster::UseKernels(sets[state.range(0)])) state.SkipWithError("kernels not available");
  }
  ~Kernels() { raster::UseKernels(raster::KernelSet::kBest); }
};

void BM_Blit(benchmark::State& state) {
  Kernels k(state);
  Image32 screen(340, 260), pic;
  screen.Fill(0xFFAAAAAA);
  MakePicture(pic, 320, 240, 1);
  alpha = 1;
  for (auto _ : state) {
    pic.Blit(screen, 0, 0, 0, 0, 320, 240);
    benchmark::DoNotOptimize(screen.pixels);
  }
  state.SetItemsProcessed(state.iterations() * 320 * 240);
}
BENCHMARK(BM_Blit)->Arg(0)->Arg(1)->Arg(2);

void BM_BlitWeighted(benchmark::State& state) {
  Image32 screen(340, 260), out(320, 240);
  MakePicture(screen, 340, 260, 2);
  alpha = 0;
  for (auto _ : state) {
    screen.Blit(out, 0, 0, 0, 0, 320, 240, 0x22);
    benchmark::DoNotOptimize(out.pixels);
  }
  state.SetItemsProcessed(state.iterations() * 320 * 240);
}
BENCHMARK(BM_BlitWeighted);

void BM_Brus(benchmark::State& state) {
  Kernels k(state);
  Image32 screen;
  MakePicture(screen, 340, 260, 3);
  for (auto _ : state) {
    screen.Brus(4);
    benchmark::DoNotOptimize(screen.pixels);
  }
  state.SetItemsProcessed(state.iterations() * 340 * 260);
}
BENCHMARK(BM_Brus)->Arg(0)->Arg(1)->Arg(2);

void BM_Blur(benchmark::State& state) {
  Kernels k(state);
  Image32 screen;
  MakePicture(screen, 340, 260, 4);
  alpha = 1;
  for (auto _ : state) {
    screen.Blur(4);
    benchmark::DoNotOptimize(screen.pixels);
  }
  state.SetItemsProcessed(state.iterations() * 340 * 260);
}
BENCHMARK(BM_Blur)->Arg(0)->Arg(1)->Arg(2);

// 50 blended antialiased segments of thickness 3, the figure's workload.
void BM_LineAA(benchmark::State& state) {
  Image32 screen(340, 260);
  screen.Fill(0xFFAAAAAA);
  std::mt19937 rng(5);
  std::vector<int> ends(200);
  for (size_t i = 0; i < ends.size(); ++i) ends[i] = 20 + rng() % (i % 2 ? 220 : 300);
  alpha = 1;
  lineSize = 3;
  for (auto _ : state) {
    for (int s = 0; s < 50; ++s) {
      color = 0xFFCC6600;
      screen.LineAA(ends[4 * s], ends[4 * s + 1], ends[4 * s + 2], ends[4 * s + 3]);
    }
    benchmark::DoNotOptimize(screen.pixels);
  }
  state.SetItemsProcessed(state.iterations() * 50);
}
BENCHMARK(BM_LineAA);

// One frame of the heaviest scene: the renderer's clear and the grey fill,
// noise, blur, ten blended picture copies, the figure, the final copy.
void BM_Frame(benchmark::State& state) {
  Kernels k(state);
  Image32 screen(340, 260), out(320, 240);
  TDMotor motor(screen.width, screen.height);
  motor.Borrow(screen.pixels);
  std::vector<Image32> pictures(10);
  for (int i = 0; i < 10; ++i) MakePicture(pictures[i], 320, 240, 10 + i);
  std::unique_ptr<int[]> edges(MakeEdges());
  float angle = 0, polar = 1, azimuth = 1;
  for (auto _ : state) {
    motor.Clear();
    screen.Fill(0xFFAAAAAA);
    alpha = 1;
    AA = 1;
    screen.Brus(4);
    screen.Blur(4);
    for (Image32& pic : pictures) pic.Blit(screen, 0, 0, 0, 0, 320, 240);
    motor.transform = Matrix();
    motor.transform.Translate(0, 0, 15);
    motor.transform.Rotate(angle, 0, 1, 0);
    motor.transform.Rotate(angle, 1, 0, 0);
    color = 0xFFCC6600;
    lineSize = 3;
    std::unique_ptr<Vector[]> vertices(gen(polar, azimuth));
    motor.DrawModel(reinterpret_cast<float*>(vertices.get()), edges.get(), 100);
    out.Fill(0);
    alpha = 0;
    screen.Blit(out, 0, 0, 0, 0, 320, 240, 0x22);
    benchmark::DoNotOptimize(out.pixels);
    angle += 4;
    polar += 0.008f;
    azimuth += 0.04f;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Frame)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
