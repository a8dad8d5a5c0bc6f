#include "progress_range.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* name;
    std::int64_t received, total;
    int max, position;
};

class ProgressRangeTest : public testing::TestWithParam<Case> {};

TEST_P(ProgressRangeTest, FitsTheBar) {
    const updater::BarRange range = updater::ScaleToBar(GetParam().received, GetParam().total);
    EXPECT_EQ(range.max, GetParam().max);
    EXPECT_EQ(range.position, GetParam().position);
}

constexpr std::int64_t kGiB = 1024LL * 1024 * 1024;

INSTANTIATE_TEST_SUITE_P(
    Sizes, ProgressRangeTest,
    testing::Values(Case{"Empty", 0, 0, 0, 0}, Case{"Start", 0, 100, 100, 0}, Case{"Half", 50, 100, 100, 50},
                    Case{"Done", 100, 100, 100, 100}, Case{"MoreThanAnnounced", 150, 100, 100, 100},
                    Case{"LargestUnscaled", 5, 2147483647, 2147483647, 5},
                    Case{"ThreeGiBHalfway", kGiB * 3 / 2, kGiB * 3, 1610612736, 805306368},
                    Case{"ThreeGiBAlmostDone", kGiB * 3 - 1, kGiB * 3, 1610612736, 1610612735},
                    Case{"ThreeGiBDone", kGiB * 3, kGiB * 3, 1610612736, 1610612736},
                    Case{"Huge", std::int64_t{1} << 61, std::int64_t{1} << 62, 2147483646, 1073741823}),
    [](const testing::TestParamInfo<Case>& param) { return param.param.name; });

}  // namespace
