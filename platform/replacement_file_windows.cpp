#include <windows.h>

#include "file_errors.h"
#include "replacement_file.h"
#include "windows_error.h"

namespace platform {

namespace {

[[noreturn]] void ThrowCannotCreate(const std::string& path, DWORD error) {
    throw EFCreateError("Cannot create file \"" + path + "\". " + SystemErrorText(error));
}

}  // namespace

struct ReplacementFile::Handle {
    HANDLE file = INVALID_HANDLE_VALUE;
    ~Handle() { Close(); }
    void Close() {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
};

ReplacementFile::ReplacementFile(std::string target)
    : target_(std::move(target)), temporary_(target_ + ".download"), handle_(std::make_unique<Handle>()) {
    // A target that a program holds open (a running target program, say), or
    // that is a folder, cannot be replaced: find out before anything is sent.
    const DWORD attributes = GetFileAttributesA(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) ThrowCannotCreate(target_, ERROR_ACCESS_DENIED);
        const HANDLE existing = CreateFileA(target_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (existing == INVALID_HANDLE_VALUE) ThrowCannotCreate(target_, GetLastError());
        CloseHandle(existing);
    }
    DeleteFileA(temporary_.c_str());  // left over from a download that was cut off
    handle_->file = CreateFileA(temporary_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_->file == INVALID_HANDLE_VALUE) ThrowCannotCreate(target_, GetLastError());
}

ReplacementFile::~ReplacementFile() {
    if (handle_->file != INVALID_HANDLE_VALUE) {
        handle_->Close();
        DeleteFileA(temporary_.c_str());
    }
}

void ReplacementFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(handle_->file, bytes.data(), chunk, &written, nullptr) || written != chunk) {
            throw EWriteError();
        }
        bytes.remove_prefix(chunk);
    }
}

void ReplacementFile::Commit() {
    if (!FlushFileBuffers(handle_->file)) throw EWriteError();
    handle_->Close();
    if (!MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileA(temporary_.c_str());
        ThrowCannotCreate(target_, error);
    }
}

}  // namespace platform
