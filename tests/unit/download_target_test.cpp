// The target program's download into a folder: a complete file or the old one,
// never a broken one, and nothing fetched for a file that cannot be written.
#include "download_target.h"

#include <gtest/gtest.h>

#include "file_errors.h"
#include "scenario_servers.h"
#include "target_file_name.h"
#include "temporary_folder.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

using testing_support::ReadBytes;
using testing_support::ScenarioUrl;
using testing_support::TemporaryFolder;
using testing_support::WriteBytes;

const std::string kOldTarget = "the old target program, longer than the new one";

class DownloadTargetTest : public testing::Test {
protected:
    std::string Download(const std::string& target, const std::string& file_name = "app.exe") {
        net::DownloadSettings settings;
        settings.wait.timeout = std::chrono::milliseconds(5000);
        net::HttpDownloadClient client(settings);
        try {
            updater::DownloadTarget(client, ScenarioUrl(target), file_name, folder_.launcher_folder(),
                                    [](std::int64_t, std::int64_t) {});
        } catch (const std::exception& error) {
            return error.what();
        }
        return "";
    }

    fs::path Target() const { return folder_.path() / "app.exe"; }
    bool OnlyTargetInFolder() const {
        return std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator()) == 1;
    }

    TemporaryFolder folder_;
};

TEST_F(DownloadTargetTest, NewFileHoldsTheBody) {
    EXPECT_EQ(Download("/length"), "");
    EXPECT_EQ(ReadBytes(Target()), "hello");
    EXPECT_TRUE(OnlyTargetInFolder());
}

TEST_F(DownloadTargetTest, LongerOldFileIsReplacedExactly) {
    WriteBytes(Target(), kOldTarget);
    EXPECT_EQ(Download("/length"), "");
    EXPECT_EQ(ReadBytes(Target()), "hello");
    EXPECT_TRUE(OnlyTargetInFolder());
}

// Whatever goes wrong, the old target stays whole and no partial file is left.
TEST_F(DownloadTargetTest, FailureKeepsOldTarget) {
    for (const char* target : {"/not-found", "/close-mid-body", "/gzip-bad-crc", "/gzip-cut-short", "/stall"}) {
        SCOPED_TRACE(target);
        WriteBytes(Target(), kOldTarget);
        EXPECT_NE(Download(target), "");
        EXPECT_EQ(ReadBytes(Target()), kOldTarget);
        EXPECT_TRUE(OnlyTargetInFolder());
    }
}

// The refusals below name a target of their own, which no other test
// requests: the server would have recorded a request for it.
TEST_F(DownloadTargetTest, HostileFileNameIsRefusedBeforeAnyRequest) {
    EXPECT_NE(Download("/unsent/hostile", "..\\app.exe").find("\"..\\app.exe\""), std::string::npos);
    EXPECT_EQ(testing_support::ScenarioRequest("/unsent/hostile"), "");
    EXPECT_TRUE(fs::is_empty(folder_.path()));
}

TEST_F(DownloadTargetTest, TargetThatIsAFolderFailsBeforeAnyRequest) {
    fs::create_directory(Target());
    const std::string error = Download("/unsent/folder");
    EXPECT_EQ(error.rfind("Cannot create file \"" + Target().string() + "\". ", 0), 0u) << error;
    EXPECT_EQ(testing_support::ScenarioRequest("/unsent/folder"), "");
    EXPECT_TRUE(fs::is_directory(Target()));
}

TEST_F(DownloadTargetTest, MissingFolderFailsBeforeAnyRequest) {
    net::HttpDownloadClient client;
    const std::string missing = (folder_.path() / "missing").string() + static_cast<char>(fs::path::preferred_separator);
    EXPECT_THROW(updater::DownloadTarget(client, ScenarioUrl("/unsent/missing-folder"), "app.exe", missing,
                                         [](std::int64_t, std::int64_t) {}),
                 platform::EFCreateError);
    EXPECT_EQ(testing_support::ScenarioRequest("/unsent/missing-folder"), "");
}

#ifdef _WIN32
// A running target program holds its file open; Windows then refuses to
// replace it. The download must fail before it starts, and the file stay.
TEST_F(DownloadTargetTest, LockedTargetFailsBeforeAnyRequest) {
    WriteBytes(Target(), kOldTarget);
    const HANDLE held = CreateFileA(Target().string().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::string error = Download("/unsent/locked");
    CloseHandle(held);
    EXPECT_EQ(error.rfind("Cannot create file \"" + Target().string() + "\". ", 0), 0u) << error;
    EXPECT_GT(error.size(), ("Cannot create file \"" + Target().string() + "\". ").size()) << "no system text";
    EXPECT_EQ(testing_support::ScenarioRequest("/unsent/locked"), "");
    EXPECT_EQ(ReadBytes(Target()), kOldTarget);
    EXPECT_TRUE(OnlyTargetInFolder());
}
#endif

}  // namespace
