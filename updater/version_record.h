#pragma once
// The version of the target program last downloaded, kept in
// app_ver_conf.ini in the launcher folder: section "conf", key "ver".

#include <string>

namespace updater {

inline constexpr char kVersionRecordFile[] = "app_ver_conf.ini";
// What a read gives when nothing is recorded, or nothing can be read.
inline constexpr char kNoVersion[] = "0";

// The recorded version, or "0". Never fails and never creates the file.
// `launcher_folder` ends with a path separator.
std::string ReadLocalVersion(const std::string& launcher_folder);

// Records `version`. A write that fails is dropped: the next start then finds
// the old record, or none, and downloads again.
void WriteLocalVersion(const std::string& launcher_folder, const std::string& version);

}  // namespace updater
