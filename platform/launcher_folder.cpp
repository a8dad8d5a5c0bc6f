#include "launcher_folder.h"

#include <windows.h>

#include <array>

namespace platform {

std::string LauncherFolder() {
    std::array<char, MAX_PATH + 1> buffer{};
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    // Walk character by character: in some code pages a "\" byte can be the
    // second half of a double-byte character.
    std::size_t folder_end = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(buffer[i])) && i + 1 < length) {
            ++i;
        } else if (buffer[i] == '\\' || buffer[i] == ':') {
            folder_end = i + 1;
        }
    }
    return std::string(buffer.data(), folder_end);
}

}  // namespace platform
