// Runs a parameterised test once per set of row kernels, so the plain and
// every vector path are each compared with the reference. A set that this
// processor or build lacks is skipped.
#pragma once

#include <gtest/gtest.h>

#include <ostream>

#include "raster/kernels.h"

namespace raster {
// Names the set in test failure messages.
inline void PrintTo(KernelSet set, std::ostream* os) {
  *os << KernelSetName(set);
}
}  // namespace raster

struct KernelTest : ::testing::TestWithParam<raster::KernelSet> {
  void SetUp() override {
    if (!raster::UseKernels(GetParam())) GTEST_SKIP() << "kernel set not available here";
  }
  void TearDown() override { raster::UseKernels(raster::KernelSet::kBest); }
};

inline const char* KernelName(const ::testing::TestParamInfo<raster::KernelSet>& info) {
  return raster::KernelSetName(info.param);
}

#define VF_ALL_KERNEL_SETS ::testing::ValuesIn(raster::kKernelSets), KernelName
