#pragma once
// The update server names the file to download; the name must stay a plain
// file name in the launcher's folder.

#include <stdexcept>
#include <string>

namespace updater {

class EUnsafeFileName : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws EUnsafeFileName, naming the file, unless `name` is a plain file name:
// not empty, no folder part or drive ("\", "/", ":"), not "." or "..", no
// control characters or characters Windows does not allow in names, no
// trailing dot or blank, and no device name (CON, NUL, COM1, ...).
void CheckTargetFileName(const std::string& name);

}  // namespace updater
