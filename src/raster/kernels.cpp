// The plain row kernels and the run-time choice between them and the vector
// versions of kernels_sse2.cpp, kernels_avx2.cpp and kernels_simd128.cpp.
#include "kernels.h"

#include <atomic>

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

bool HasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

std::atomic<const RowKernels*> selected{nullptr};  // null: the best available

}  // namespace

const RowKernels* KernelTable(KernelSet set) {
  static const RowKernels* avx2 = HasAvx2() ? Avx2KernelTable() : nullptr;
  static const RowKernels* sse2 = Sse2KernelTable();
  static const RowKernels* simd128 = Simd128KernelTable();
  switch (set) {
    case KernelSet::kPlain:
      return &kPlain;
    case KernelSet::kSse2:
      return sse2;
    case KernelSet::kAvx2:
      return avx2;
    case KernelSet::kSimd128:
      return simd128;
    case KernelSet::kBest:
      break;
  }
  if (avx2 != nullptr) return avx2;
  if (sse2 != nullptr) return sse2;
  return simd128 != nullptr ? simd128 : &kPlain;
}

const char* KernelSetName(KernelSet set) {
  switch (set) {
    case KernelSet::kPlain:
      return "Plain";
    case KernelSet::kSse2:
      return "Sse2";
    case KernelSet::kAvx2:
      return "Avx2";
    case KernelSet::kSimd128:
      return "Simd128";
    case KernelSet::kBest:
      break;
  }
  return "Best";
}

const RowKernels& Kernels() {
  const RowKernels* chosen = selected.load(std::memory_order_relaxed);
  return chosen != nullptr ? *chosen : *KernelTable(KernelSet::kBest);
}

bool UseKernels(KernelSet set) {
  const RowKernels* table = KernelTable(set);
  if (table == nullptr) return false;
  selected.store(set == KernelSet::kBest ? nullptr : table, std::memory_order_relaxed);
  return true;
}

}  // namespace raster
