#pragma once
// The vector levels of the drawing kernels a test runs through: every level
// from the plain loops up, as far as the processor goes. A level it lacks is
// skipped with a note on the test's output, once per run. The level in use
// when the test began comes back at its end.

#include "mirel/platform/graphics/a_raster.h"

#include <cstdio>
#include <vector>

struct SimdLevels {
    const int before = a_rasterSimdLevel();
    SimdLevels() = default;
    SimdLevels(const SimdLevels&) = delete;
    SimdLevels& operator=(const SimdLevels&) = delete;
    ~SimdLevels() { a_setRasterSimdLevel(before); }

    std::vector<int> all() const {
        static bool noted = false;
        std::vector<int> levels;
        for (int level = 0; level <= 3; ++level) {
            if (level <= a_rasterCpuSimdLevel()) {
                levels.push_back(level);
            } else if (!noted) {
                std::printf("[   NOTE   ] vector level %s skipped: this processor lacks it\n",
                            a_rasterSimdName(level));
            }
        }
        noted = true;
        return levels;
    }
};
