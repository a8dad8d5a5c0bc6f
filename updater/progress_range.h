#pragma once
// The progress bar counts in 32 bits; downloads may be larger.

#include <cstdint>

namespace updater {

struct BarRange {
    int max;
    int position;
};

// The bar's maximum and position for `received` bytes of `total` (total >= 0).
// Sizes beyond the bar's range are scaled down together; once everything has
// arrived the position always equals the maximum.
BarRange ScaleToBar(std::int64_t received, std::int64_t total);

}  // namespace updater
