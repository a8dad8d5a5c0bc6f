#pragma once

#include <string>

namespace platform {

// The folder of the running executable, up to and including its last "\" or
// ":", as an ANSI byte string. Every file the launcher reads, writes or
// starts lies there.
std::string LauncherFolder();

}  // namespace platform
