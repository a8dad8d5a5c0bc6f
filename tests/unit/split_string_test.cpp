#include "split_string.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* name;
    std::string text;
    std::string delimiter;
    std::int32_t max_pieces;
    TArray before;
    TArray after;
};

class SplitStringTest : public testing::TestWithParam<Case> {};

TEST_P(SplitStringTest, CutsAsTheRulesSay) {
    const Case& c = GetParam();
    TArray pieces = c.before;
    SplitString(c.delimiter, c.text, c.max_pieces, pieces);
    EXPECT_EQ(pieces, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitStringTest,
    testing::Values(
        Case{"ThreeFields", "a|b|c", "|", 0, {}, {"a", "b", "c"}},
        Case{"TrailingDelimiterAddsNoPiece", "a|b|c|", "|", 0, {}, {"a", "b", "c"}},
        Case{"TwoTrailingDelimitersAddOneEmptyPiece", "a|b|c||", "|", 0, {}, {"a", "b", "c", ""}},
        Case{"LeadingDelimiterGivesEmptyFirstPiece", "|a", "|", 0, {}, {"", "a"}},
        Case{"DelimitersInARowGiveEmptyPiece", "a||b", "|", 0, {}, {"a", "", "b"}},
        Case{"DelimiterAloneGivesOneEmptyPiece", "|", "|", 0, {}, {""}},
        Case{"NoDelimiter", "abc", "|", 0, {}, {"abc"}},
        Case{"LimitTwoKeepsRestWhole", "a|b|c", "|", 2, {}, {"a", "b|c"}},
        Case{"LimitOne", "a|b|c", "|", 1, {}, {"a|b|c"}},
        Case{"NegativeLimitActsAsOne", "a|b|c", "|", -1, {}, {"a|b|c"}},
        Case{"LimitAboveCount", "a|b|c", "|", 5, {}, {"a", "b", "c"}},
        Case{"LimitEqualToCount", "a|b|c", "|", 3, {}, {"a", "b", "c"}},
        Case{"MultiByteDelimiter", "a::b", "::", 0, {}, {"a", "b"}},
        Case{"MultiByteDelimiterFoundWholeFromLeft", "a:::b", "::", 0, {}, {"a", ":b"}},
        Case{"EmptyDelimiterNeverFound", "a|b", "", 0, {}, {"a|b"}},
        Case{"CaseSensitive", "A|b", "a", 0, {}, {"A|b"}},
        Case{"LineEndsKept", "x|y\r\n", "|", 0, {}, {"x", "y\r\n"}},
        Case{"BlanksKept", " 1.0 | url |f ", "|", 0, {}, {" 1.0 ", " url ", "f "}},
        // "\xC7\xD1\xB1\xDB" is a Korean word in code page 949.
        Case{"BytesAbove127Kept", "1|http://h/\xC7\xD1.exe|\xC7\xD1\xB1\xDB.exe", "|", 0, {},
             {"1", "http://h/\xC7\xD1.exe", "\xC7\xD1\xB1\xDB.exe"}},
        Case{"EmbeddedNulIsAByte", std::string("a\0b|c", 5), "|", 0, {}, {std::string("a\0b", 3), "c"}},
        Case{"EmptyTextLeavesPiecesUntouched", "", "|", 0, {"x", "y"}, {"x", "y"}},
        Case{"PiecesShrinkToCount", "a", "|", 0, {"x", "y", "z"}, {"a"}},
        Case{"PiecesOverwritten", "a|b", "|", 0, {"x"}, {"a", "b"}}),
    [](const testing::TestParamInfo<Case>& param) { return param.param.name; });

}  // namespace
