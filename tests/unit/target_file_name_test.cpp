#include "target_file_name.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class RefusedNameTest : public testing::TestWithParam<std::string> {};

TEST_P(RefusedNameTest, IsRefusedNamingTheFile) {
    try {
        updater::CheckTargetFileName(GetParam());
        FAIL() << "accepted \"" << GetParam() << "\"";
    } catch (const updater::EUnsafeFileName& error) {
        // The message names the file, at least up to a control character
        // (those are shown escaped).
        const std::string& name = GetParam();
        const auto control = std::find_if(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
        const std::string shown(name.begin(), control);
        EXPECT_NE(std::string(error.what()).find("\"" + shown), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Hostile, RefusedNameTest,
                         testing::Values("", ".", "..", "..\\app.exe", "../app.exe", "sub\\app.exe", "sub/app.exe",
                                         "\\app.exe", "/etc/passwd", "C:app.exe", "c:\\windows\\app.exe",
                                         "app.exe:stream", "\\\\server\\share\\app.exe", "app.exe.", "app.exe ",
                                         "app\r\n", "app\x01.exe", std::string("app\0.exe", 8), "a*b.exe", "a?.exe",
                                         "a<b>.exe", "a|b.exe", "a\"b.exe", "CON", "con", "NUL.txt", "Com1.exe",
                                         "LPT9", "aux .log", "CONIN$"));

class AcceptedNameTest : public testing::TestWithParam<std::string> {};

TEST_P(AcceptedNameTest, IsAccepted) { EXPECT_NO_THROW(updater::CheckTargetFileName(GetParam())); }

// "\xC7\xD1\xB1\xDB" is a Korean word in code page 949.
INSTANTIATE_TEST_SUITE_P(Plain, AcceptedNameTest,
                         testing::Values("app.exe", "My App 2.exe", ".hidden", "console.exe", "com10.exe", "nul-x.exe",
                                         "\xC7\xD1\xB1\xDB.exe", "readme.txt", "a.b.c"));

}  // namespace
