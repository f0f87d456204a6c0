// The kernel sets: versions of a library's inner loops for the vector
// instructions a processor may have, and the one choice among them that both
// the raster's row kernels and the mixer's kernels follow (the same names,
// the same order of preference, the same run-time test of the processor).
// Every set of a library gives bit-identical results; only speed differs.
//
// Contract: a library builds one KernelChoice from its tables (null for a set
// this build or processor lacks). The choice is read by the threads that run
// the kernels and changed only by tests and benchmarks while none runs.
#pragma once
#include <atomic>
#include <initializer_list>

namespace cpu {

enum class KernelSet { kBest, kPlain, kSse2, kAvx2, kSimd128 };

// Every specific set, plain first: what tests and benchmarks try in turn.
inline constexpr KernelSet kKernelSets[] = {KernelSet::kPlain, KernelSet::kSse2,
                                            KernelSet::kAvx2, KernelSet::kSimd128};

// "plain", "sse2", "avx2", "simd128", or "best".
constexpr const char* KernelSetName(KernelSet set) {
  switch (set) {
    case KernelSet::kPlain:
      return "plain";
    case KernelSet::kSse2:
      return "sse2";
    case KernelSet::kAvx2:
      return "avx2";
    case KernelSet::kSimd128:
      return "simd128";
    case KernelSet::kBest:
      break;
  }
  return "best";
}

// True when this processor runs the instructions of `set`. SSE2 is part of
// every x86-64 processor and the WebAssembly vectors of every current browser,
// so a build that has those tables can always use them; AVX2 is asked for.
inline bool ProcessorRuns(KernelSet set) {
#if defined(__x86_64__) || defined(__i386__)
  if (set == KernelSet::kAvx2) return __builtin_cpu_supports("avx2");
#else
  if (set == KernelSet::kAvx2) return false;
#endif
  return true;
}

template <typename Table>
class KernelChoice {
 public:
  // The tables a build offers: plain always, the others or null.
  KernelChoice(const Table* plain, const Table* sse2, const Table* avx2, const Table* simd128)
      : tables_{plain, sse2, ProcessorRuns(KernelSet::kAvx2) ? avx2 : nullptr, simd128} {}

  // The table of `set`, or null when this build or processor lacks it;
  // kBest: the widest available (AVX2, then SSE2 or the WebAssembly vectors,
  // then plain).
  const Table* Get(KernelSet set) const {
    switch (set) {
      case KernelSet::kPlain:
        return tables_[0];
      case KernelSet::kSse2:
        return tables_[1];
      case KernelSet::kAvx2:
        return tables_[2];
      case KernelSet::kSimd128:
        return tables_[3];
      case KernelSet::kBest:
        break;
    }
    // Widest first: AVX2, then SSE2 or the WebAssembly vectors, then plain.
    for (int i : {2, 1, 3})
      if (tables_[i] != nullptr) return tables_[i];
    return tables_[0];
  }
  // The kernels in use: the best, unless a narrower set was chosen.
  const Table& Current() const {
    const Table* chosen = selected_.load(std::memory_order_relaxed);
    return chosen != nullptr ? *chosen : *Get(KernelSet::kBest);
  }
  // Makes `set` the one in use; false, keeping the current choice, when it
  // is not available.
  bool Use(KernelSet set) {
    const Table* table = Get(set);
    if (table == nullptr) return false;
    selected_.store(set == KernelSet::kBest ? nullptr : table, std::memory_order_relaxed);
    return true;
  }

 private:
  const Table* tables_[4];
  std::atomic<const Table*> selected_{nullptr};  // null: the best available
};

}  // namespace cpu
