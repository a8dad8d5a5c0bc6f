#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "file_errors.h"
#include "replacement_file.h"

namespace platform {

namespace {

[[noreturn]] void ThrowCannotCreate(const std::string& path, int error) {
    throw EFCreateError("Cannot create file \"" + path + "\". " + std::strerror(error));
}

}  // namespace

struct ReplacementFile::Handle {
    int fd = -1;
    ~Handle() { Close(); }
    void Close() {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
};

ReplacementFile::ReplacementFile(std::string target)
    : target_(std::move(target)), temporary_(target_ + ".download"), handle_(std::make_unique<Handle>()) {
    struct stat status {};
    if (::stat(target_.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) ThrowCannotCreate(target_, EISDIR);
        const int existing = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        if (existing < 0) ThrowCannotCreate(target_, errno);
        ::close(existing);
    }
    ::unlink(temporary_.c_str());  // left over from a download that was cut off
    handle_->fd = ::open(temporary_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0755);
    if (handle_->fd < 0) ThrowCannotCreate(target_, errno);
}

ReplacementFile::~ReplacementFile() {
    if (handle_->fd >= 0) {
        handle_->Close();
        ::unlink(temporary_.c_str());
    }
}

void ReplacementFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(handle_->fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) throw EWriteError();
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void ReplacementFile::Commit() {
    if (::fsync(handle_->fd) != 0) throw EWriteError();
    handle_->Close();
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary_.c_str());
        ThrowCannotCreate(target_, error);
    }
}

}  // namespace platform
