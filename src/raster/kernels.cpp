// The plain row kernels and the run-time choice between them and the vector
// versions of kernels_sse2.cpp, kernels_avx2.cpp and kernels_simd128.cpp.
#include "kernels.h"

#include "store.h"

namespace raster {

const RowKernels* Sse2KernelTable();     // kernels_sse2.cpp
const RowKernels* Avx2KernelTable();     // kernels_avx2.cpp
const RowKernels* Simd128KernelTable();  // kernels_simd128.cpp (WebAssembly)

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

cpu::KernelChoice<RowKernels>& Choice() {
  static cpu::KernelChoice<RowKernels> choice(&kPlain, Sse2KernelTable(), Avx2KernelTable(),
                                              Simd128KernelTable());
  return choice;
}

}  // namespace

const RowKernels* KernelTable(KernelSet set) {
  return Choice().Get(set);
}

const RowKernels& Kernels() {
  return Choice().Current();
}

bool UseKernels(KernelSet set) {
  return Choice().Use(set);
}

}  // namespace raster
