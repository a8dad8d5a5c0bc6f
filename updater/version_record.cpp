#include "version_record.h"

#include "ini_file.h"

namespace updater {

namespace {

constexpr char kSection[] = "conf";
constexpr char kKey[] = "ver";

}  // namespace

std::string ReadLocalVersion(const std::string& launcher_folder) {
    try {
        const platform::IniFile ini(launcher_folder + kVersionRecordFile);
        return ini.ReadString(kSection, kKey, kNoVersion);
    } catch (const std::exception&) {
        return kNoVersion;
    }
}

void WriteLocalVersion(const std::string& launcher_folder, const std::string& version) {
    try {
        platform::IniFile ini(launcher_folder + kVersionRecordFile);
        ini.WriteString(kSection, kKey, version);
    } catch (const std::exception&) {
        // Dropped on purpose: see the header.
    }
}

}  // namespace updater
