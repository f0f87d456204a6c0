// Runs a parameterised test once per set of row kernels, so the plain and
// every vector path are each compared with the reference. A set that this
// processor or build lacks is skipped.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

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

// Test names carry the set's name with a capital: .../Plain, .../Sse2.
inline std::string KernelName(const ::testing::TestParamInfo<raster::KernelSet>& info) {
  std::string name = raster::KernelSetName(info.param);
  name[0] = static_cast<char>(name[0] - 'a' + 'A');
  return name;
}

#define VF_ALL_KERNEL_SETS ::testing::ValuesIn(raster::kKernelSets), KernelName
