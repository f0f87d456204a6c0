// The plain row kernels and the run-time choice between them and the
// vector versions of kernels_avx2.cpp.
#include "kernels.h"

#include <atomic>

#include "store.h"

namespace raster {

const RowKernels* Avx2KernelTable();  // kernels_avx2.cpp

namespace {

void BlendPlain(uint32_t* dst, const uint32_t* src, int n) {
  for (int i = 0; i < n; ++i) dst[i] = Blend(src[i], dst[i]);
}

void BlurBlendPlain(uint32_t* dst, const uint32_t* const* rows, int kCount, uint32_t step,
                    int full) {
  for (int x = 0; x < full; ++x) {
    uint32_t d = dst[x];
    uint32_t sub = 0;
    for (int k = 1; k <= kCount; ++k) {
      sub += step;
      d = Blend(rows[k - 1][x + k] - sub, d);
    }
    dst[x] = d;
  }
}

void Brus4Plain(uint32_t* p, int n, uint32_t counter) {
  for (int i = 0; i < n; ++i) {
    uint32_t r = NoiseHash(counter + static_cast<uint32_t>(i));
    uint32_t v = p[i];
    p[i] = (((v & 0xFF) * (r & 0xFF)) >> 8) | ((((v >> 8) & 0xFF) * ((r >> 8) & 0xFF)) & 0xFF00) |
           (((((v >> 16) & 0xFF) * ((r >> 16) & 0xFF)) << 8) & 0xFF0000);
  }
}

const RowKernels kPlain = {BlendPlain, BlurBlendPlain, Brus4Plain};

std::atomic<bool> forcePlain{false};

}  // namespace

const RowKernels& PlainKernels() {
  return kPlain;
}

const RowKernels* Avx2Kernels() {
  static const RowKernels* table = __builtin_cpu_supports("avx2") ? Avx2KernelTable() : nullptr;
  return table;
}

const RowKernels& Kernels() {
  const RowKernels* wide = Avx2Kernels();
  if (wide != nullptr && !forcePlain.load(std::memory_order_relaxed)) return *wide;
  return kPlain;
}

void UsePlainKernels(bool plain) {
  forcePlain.store(plain, std::memory_order_relaxed);
}

}  // namespace raster
