#include "windows_error.h"

namespace platform {

std::string SystemErrorText(DWORD code) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text(buffer ? buffer : "", length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

WindowsError::WindowsError(const std::string& what_failed, DWORD code)
    : std::runtime_error(what_failed + " failed: " + SystemErrorText(code)) {}

void ThrowIfFailed(HRESULT result, const char* what_failed) {
    if (FAILED(result)) throw WindowsError(what_failed, static_cast<DWORD>(result));
}

}  // namespace platform
