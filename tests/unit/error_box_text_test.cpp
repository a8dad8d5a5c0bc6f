#include "error_box_text.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* name;
    std::string message;
    std::string shown;
};

class ErrorBoxTextTest : public testing::TestWithParam<Case> {};

TEST_P(ErrorBoxTextTest, AppendsPeriodOnlyAfterCharactersAbovePeriod) {
    EXPECT_EQ(ErrorBoxText(GetParam().message), GetParam().shown);
}

// "\xBF\xCF" is a Korean syllable in code page 949.
INSTANTIATE_TEST_SUITE_P(
    Rule, ErrorBoxTextTest,
    testing::Values(Case{"Letter", "Host not found", "Host not found."},
                    Case{"Digit", "HTTP/1.1 404", "HTTP/1.1 404."},
                    Case{"Period", "Connection Closed Gracefully.", "Connection Closed Gracefully."},
                    Case{"LineBreak", "Socket Error # 10061\r\n", "Socket Error # 10061\r\n"},
                    Case{"SlashIsAbovePeriod", "path/", "path/."},
                    Case{"CommaIsBelowPeriod", "a,", "a,"},
                    Case{"KoreanCharacter", "\xBF\xCF", "\xBF\xCF."},
                    Case{"KoreanWithLowTrailByte", "\xB0\x41", "\xB0\x41."},
                    Case{"Empty", "", ""}),
    [](const testing::TestParamInfo<Case>& param) { return param.param.name; });

}  // namespace
