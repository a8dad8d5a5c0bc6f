// One contract for the version record, held against the profile API under
// Wine and against our own INI routines natively.
#include "version_record.h"

#include <gtest/gtest.h>

#include "temporary_folder.h"

namespace fs = std::filesystem;

namespace {

using testing_support::ReadBytes;
using testing_support::TemporaryFolder;
using testing_support::WriteBytes;

struct Case {
    const char* name;
    std::optional<std::string> file_before;  // nullopt: no file
    std::optional<std::string> written;      // nullopt: only read
    std::string read;
    std::optional<std::string> file_after;   // nullopt: not checked
};

const std::string kLong2047(2047, 'v');
const std::string kLong3000(3000, 'w');
// "버전 1.0" in code page 949.
const std::string kKorean = "\xB9\xF6\xC0\xFC 1.0";

class VersionRecordTest : public testing::TestWithParam<Case> {};

TEST_P(VersionRecordTest, HoldsTheContract) {
    const Case& c = GetParam();
    TemporaryFolder folder;
    const fs::path file = folder.path() / updater::kVersionRecordFile;
    if (c.file_before) WriteBytes(file, *c.file_before);

    if (c.written) updater::WriteLocalVersion(folder.launcher_folder(), *c.written);
    EXPECT_EQ(updater::ReadLocalVersion(folder.launcher_folder()), c.read);

    if (!c.file_before && !c.written) {
        EXPECT_FALSE(fs::exists(file)) << "a read created the file";
    }
    if (c.file_after) {
        EXPECT_EQ(ReadBytes(file), c.file_after);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Contract, VersionRecordTest,
    testing::Values(
        Case{"NoFileReadsZero", std::nullopt, std::nullopt, "0", std::nullopt},
        Case{"NoSectionReadsZero", "[other]\r\nver=5\r\n", std::nullopt, "0", std::nullopt},
        Case{"NoKeyReadsZero", "[conf]\r\nname=x\r\n", std::nullopt, "0", std::nullopt},
        Case{"EmptyValueReadsEmpty", "[conf]\r\nver=\r\n", std::nullopt, "", std::nullopt},
        Case{"ValueRead", "[conf]\r\nver=1.2.3\r\n", std::nullopt, "1.2.3", std::nullopt},
        Case{"NamesIgnoreLetterCase", "[CONF]\r\nVer=7\r\n", std::nullopt, "7", std::nullopt},
        Case{"FirstWriteCreatesFile", std::nullopt, "2.0", "2.0", "[conf]\r\nver=2.0\r\n"},
        Case{"WriteReplacesValue", "[conf]\r\nver=1\r\n", "2", "2", "[conf]\r\nver=2\r\n"},
        Case{"EmptyVersionKeepsKey", "[conf]\r\nver=1\r\n", "", "", "[conf]\r\nver=\r\n"},
        Case{"Value2047RoundTrips", std::nullopt, kLong2047, kLong2047, std::nullopt},
        Case{"Value3000ReadsFirst2047", std::nullopt, kLong3000, kLong3000.substr(0, 2047), std::nullopt},
        Case{"KoreanBytesRoundTrip", std::nullopt, kKorean, kKorean, std::nullopt},
        Case{"OtherSectionsAndKeysKept", "[other]\r\na=1\r\n[conf]\r\nname=x\r\nver=old\r\n[last]\r\nb=2\r\n", "new",
             "new", "[other]\r\na=1\r\n[conf]\r\nname=x\r\nver=new\r\n[last]\r\nb=2\r\n"},
        Case{"KeyAddedToItsSection", "[conf]\r\nname=x\r\n[last]\r\nb=2\r\n", "3", "3",
             "[conf]\r\nname=x\r\nver=3\r\n[last]\r\nb=2\r\n"},
        Case{"SectionAddedAtEnd", "[other]\r\na=1\r\n", "4", "4", "[other]\r\na=1\r\n[conf]\r\nver=4\r\n"}),
    [](const testing::TestParamInfo<Case>& param) { return param.param.name; });

// Folders where the record cannot be written: the write is dropped silently
// and leaves no file; the read gives "0".
TEST(VersionRecordUnwritable, MissingFolderLeavesNoFile) {
    TemporaryFolder folder;
    const std::string missing = (folder.path() / "missing").string() + static_cast<char>(fs::path::preferred_separator);
    EXPECT_NO_THROW(updater::WriteLocalVersion(missing, "1.0"));
    EXPECT_FALSE(fs::exists(folder.path() / "missing"));
    EXPECT_EQ(updater::ReadLocalVersion(missing), "0");
}

TEST(VersionRecordUnwritable, FolderInPlaceOfFile) {
    TemporaryFolder folder;
    fs::create_directory(folder.path() / updater::kVersionRecordFile);
    EXPECT_NO_THROW(updater::WriteLocalVersion(folder.launcher_folder(), "1.0"));
    EXPECT_TRUE(fs::is_directory(folder.path() / updater::kVersionRecordFile));
    EXPECT_EQ(updater::ReadLocalVersion(folder.launcher_folder()), "0");
}

}  // namespace
