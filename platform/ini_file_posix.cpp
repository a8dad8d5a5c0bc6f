#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <optional>

#include "ini_file.h"
#include "ini_text.h"

namespace platform {

namespace {

// The longest value the profile API hands back (its buffer holds 2048 bytes
// with the terminating zero).
constexpr std::size_t kMaxValueLength = 2047;

// The file's bytes; nullopt when it does not exist.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (errno == ENOENT) return std::nullopt;
        throw EIniFileException("Unable to read " + path);
    }
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) throw EIniFileException("Unable to read " + path);
    return text;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

// Replaces the file as a whole: a temporary file beside it, then a rename, so
// an interrupted write leaves the old file as it was.
void ReplaceFile(const std::string& path, const std::string& text, mode_t mode) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) throw EIniFileException("Unable to write to " + path);
    const bool written = ::fchmod(fd, mode) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        throw EIniFileException("Unable to write to " + path);
    }
}

}  // namespace

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& default_value) const {
    std::optional<std::string> text;
    try {
        text = ReadWholeFile(path_);
    } catch (const EIniFileException&) {
        return default_value;  // the profile API reads an unreadable file as a missing one
    }
    const auto value = text ? ini_text::Find(*text, section, key) : std::nullopt;
    return value ? value->substr(0, kMaxValueLength) : default_value;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    struct stat status {};
    const mode_t mode = ::stat(path_.c_str(), &status) == 0 ? status.st_mode & 07777 : 0644;
    std::optional<std::string> text;
    try {
        text = ReadWholeFile(path_);
    } catch (const EIniFileException&) {
        throw EIniFileException("Unable to write to " + path_);
    }
    ReplaceFile(path_, ini_text::WithValue(text.value_or(""), section, key, value), mode);
}

}  // namespace platform
