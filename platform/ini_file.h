#pragma once
// An INI accessor for one file, as the Windows profile API reads and writes
// INI files. Creating it touches no file; every call reads or writes the file
// afresh. Values are byte strings, never escaped, quoted or converted.

#include <stdexcept>
#include <string>

namespace platform {

class EIniFileException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IniFile {
public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    // The value of `key` in `section`, or `default_value` when the file, the
    // section or the key is missing. At most 2047 bytes, as the profile API
    // gives them.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& default_value) const;

    // Adds or replaces `key` in `section`, creating the file when it is
    // missing; an empty value is written as such, never as a removal. Throws
    // EIniFileException "Unable to write to <path>" when the write fails.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

private:
    std::string path_;
};

}  // namespace platform
