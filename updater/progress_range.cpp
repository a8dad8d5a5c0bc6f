#include "progress_range.h"

#include <algorithm>
#include <limits>

namespace updater {

BarRange ScaleToBar(std::int64_t received, std::int64_t total) {
    constexpr std::int64_t kLimit = std::numeric_limits<int>::max();
    const std::int64_t divisor = std::max<std::int64_t>(1, (total + kLimit - 1) / kLimit);
    const int max = static_cast<int>(total / divisor);
    const int position = received >= total ? max : static_cast<int>(std::max<std::int64_t>(received, 0) / divisor);
    return {max, position};
}

}  // namespace updater
