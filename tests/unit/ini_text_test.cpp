// Our own INI routines, where the profile API is not there: the edge cases of
// reading, and writes that keep everything else byte for byte.
#include "ini_text.h"

#include <gtest/gtest.h>

namespace {

using platform::ini_text::Find;
using platform::ini_text::WithValue;

struct FindCase {
    const char* name;
    std::string text;
    std::optional<std::string> value;
};

class IniFindTest : public testing::TestWithParam<FindCase> {};

TEST_P(IniFindTest, ReadsLikeTheProfileApi) { EXPECT_EQ(Find(GetParam().text, "conf", "ver"), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(
    Read, IniFindTest,
    testing::Values(FindCase{"Empty", "", std::nullopt},
                    FindCase{"KeyBeforeAnySection", "ver=1\n[conf]\n", std::nullopt},
                    FindCase{"KeyInOtherSection", "[conf]\n[x]\nver=1\n", std::nullopt},
                    FindCase{"LfLineEnds", "[conf]\nver=1.0\n", "1.0"},
                    FindCase{"NoFinalLineEnd", "[conf]\r\nver=1.0", "1.0"},
                    FindCase{"BlanksAroundNamesAndValue", "  [ conf ]  \r\n\t ver \t=  1.0 \t\r\n", "1.0"},
                    FindCase{"BlanksInsideValueKept", "[conf]\nver=1 0\n", "1 0"},
                    FindCase{"EnclosingQuotesDropped", "[conf]\nver=\"1.0\"\n", "1.0"},
                    FindCase{"LoneQuoteKept", "[conf]\nver=\"1.0\n", "\"1.0"},
                    FindCase{"EqualsInValueKept", "[conf]\nver=a=b\n", "a=b"},
                    FindCase{"FirstOfTwoKeys", "[conf]\nver=1\nver=2\n", "1"},
                    FindCase{"CommentLineIgnored", "[conf]\n; note\nver=3\n", "3"},
                    FindCase{"CaseOfNames", "[Conf]\nVER=4\n", "4"}),
    [](const testing::TestParamInfo<FindCase>& param) { return param.param.name; });

struct WriteCase {
    const char* name;
    std::string before;
    std::string value;
    std::string after;
};

class IniWriteTest : public testing::TestWithParam<WriteCase> {};

TEST_P(IniWriteTest, ChangesOnlyTheEntry) {
    EXPECT_EQ(WithValue(GetParam().before, "conf", "ver", GetParam().value), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Write, IniWriteTest,
    testing::Values(
        WriteCase{"NewFile", "", "1", "[conf]\r\nver=1\r\n"},
        WriteCase{"LfFileKeepsLf", "[a]\nx=1\n", "1", "[a]\nx=1\n[conf]\nver=1\n"},
        WriteCase{"NoFinalLineEnd", "[a]\nx=1", "1", "[a]\nx=1\n[conf]\nver=1\n"},
        WriteCase{"ReplaceKeepsNeighboursAndComments",
                  "; top\r\n[conf]\r\n; why\r\nname = x\r\n  ver = old  \r\n\r\n[b]\r\ny=2\r\n", "new",
                  "; top\r\n[conf]\r\n; why\r\nname = x\r\nver=new\r\n\r\n[b]\r\ny=2\r\n"},
        WriteCase{"ReplaceLastLineWithoutLineEnd", "[conf]\nver=1", "2", "[conf]\nver=2"},
        WriteCase{"AddedAfterLastEntryBeforeBlankLines", "[conf]\nname=x\n\n[b]\n", "1",
                  "[conf]\nname=x\nver=1\n\n[b]\n"},
        WriteCase{"AddedToEmptySectionAtEnd", "[conf]", "1", "[conf]\r\nver=1\r\n"},
        WriteCase{"EmptyValueKeepsKey", "[conf]\nver=1\n", "", "[conf]\nver=\n"},
        WriteCase{"BytesAbove127Unchanged", "[\xC7\xD1]\n\xB1\xDB=\xC0\xFC\n", "\xB9\xF6",
                  "[\xC7\xD1]\n\xB1\xDB=\xC0\xFC\n[conf]\nver=\xB9\xF6\n"}),
    [](const testing::TestParamInfo<WriteCase>& param) { return param.param.name; });

}  // namespace
