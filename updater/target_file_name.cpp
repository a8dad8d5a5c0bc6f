#include "target_file_name.h"

#include "ascii_text.h"

#include <array>
#include <string_view>

namespace updater {

namespace {

constexpr std::array<std::string_view, 24> kDeviceNames = {
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",    "COM8",
    "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9", "CONIN$", "CONOUT$"};

// Why `name` is not a plain file name, or nothing when it is.
const char* Fault(const std::string& name) {
    if (name.empty()) return "it is empty";
    if (name == "." || name == "..") return "it names a folder";
    for (const char c : name) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return "it contains a control character";
        if (c == '\\' || c == '/') return "it contains a folder separator";
        if (c == ':') return "it contains a drive or stream separator";
        if (std::string_view("<>\"|?*").find(c) != std::string_view::npos) {
            return "it contains a character Windows does not allow in file names";
        }
    }
    if (name.back() == '.' || name.back() == ' ') return "it ends with a dot or a blank";
    // A device name stays a device whatever extension follows it.
    std::string_view stem(name);
    stem = stem.substr(0, stem.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    for (const std::string_view device : kDeviceNames) {
        if (EqualsIgnoringCase(stem, device)) return "it is the name of a device";
    }
    return nullptr;
}

// The name as a message can show it: control characters as "\xNN".
std::string Printable(const std::string& name) {
    std::string shown;
    for (const char c : name) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            const char* digits = "0123456789ABCDEF";
            shown += std::string("\\x") + digits[byte >> 4] + digits[byte & 15];
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace

void CheckTargetFileName(const std::string& name) {
    if (const char* fault = Fault(name)) {
        throw EUnsafeFileName("The update server named the file \"" + Printable(name) + "\", which cannot be used: " +
                              fault);
    }
}

}  // namespace updater
