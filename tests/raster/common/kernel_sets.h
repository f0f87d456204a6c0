// Runs a parameterised test once per set of row kernels, so the plain and
// both vector paths are each compared with the reference. A set that this
// processor lacks is skipped.
#pragma once

#include <gtest/gtest.h>

#include "kernels.h"

struct KernelTest : ::testing::TestWithParam<raster::KernelSet> {
  void SetUp() override {
    if (!raster::UseKernels(GetParam())) GTEST_SKIP() << "kernel set not available here";
  }
  void TearDown() override { raster::UseKernels(raster::KernelSet::kBest); }
};

inline const char* KernelName(const ::testing::TestParamInfo<raster::KernelSet>& info) {
  switch (info.param) {
    case raster::KernelSet::kPlain:
      return "Plain";
    case raster::KernelSet::kSse2:
      return "Sse2";
    case raster::KernelSet::kAvx2:
      return "Avx2";
    default:
      return "Best";
  }
}

#define VF_ALL_KERNEL_SETS                                               \
  ::testing::Values(raster::KernelSet::kPlain, raster::KernelSet::kSse2, \
                    raster::KernelSet::kAvx2),                           \
      KernelName
