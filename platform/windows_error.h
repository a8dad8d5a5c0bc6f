#pragma once
// Operating-system errors, formatted in one place.

#include <windows.h>

#include <stdexcept>
#include <string>

namespace platform {

// The system's own text for an error code, in the ANSI code page, without the
// line break FormatMessage puts at its end.
std::string SystemErrorText(DWORD code);

// Thrown when a Win32 call the launcher cannot do without fails.
class WindowsError : public std::runtime_error {
public:
    WindowsError(const std::string& what_failed, DWORD code);
};

// Checks a COM result; a failure becomes a WindowsError naming the call.
void ThrowIfFailed(HRESULT result, const char* what_failed);

}  // namespace platform
