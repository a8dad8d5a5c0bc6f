#include <windows.h>

#include <array>

#include "ini_file.h"

namespace platform {

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& default_value) const {
    std::array<char, 2048> buffer{};
    const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), default_value.c_str(), buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), path_.c_str());
    return std::string(buffer.data(), length);
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path_.c_str())) {
        throw EIniFileException("Unable to write to " + path_);
    }
}

}  // namespace platform
