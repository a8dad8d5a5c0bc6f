#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "errors.h"
#include "tcp_connection.h"

namespace net {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kWakeInterval{100};

[[noreturn]] void ThrowSystemError(int code) { throw EclSocketError(std::strerror(code), code); }

}  // namespace

struct TcpConnection::Socket {
    int fd = -1;
    WaitSettings settings;

    ~Socket() {
        if (fd >= 0) ::close(fd);
    }

    // Waits until the socket is ready for `events`, within the time-out.
    void Wait(short events) const {
        const auto deadline = Clock::now() + settings.timeout;
        for (;;) {
            const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (remaining.count() <= 0) throw EclSocketError(kTimeoutMessage, ETIMEDOUT);
            pollfd entry{fd, events, 0};
            const int ready = ::poll(&entry, 1, static_cast<int>(std::min(remaining, kWakeInterval).count()));
            if (ready > 0) return;
            if (ready < 0 && errno != EINTR) ThrowSystemError(errno);
            if (settings.on_wake) settings.on_wake();
        }
    }
};

TcpConnection::TcpConnection(const std::string& host, int port, WaitSettings settings)
    : socket_(std::make_unique<Socket>()) {
    socket_->settings = std::move(settings);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* addresses = nullptr;
    const int resolved = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses);
    if (resolved != 0) throw EclSocketError(::gai_strerror(resolved), resolved);
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(addresses, ::freeaddrinfo);

    int last_error = ECONNREFUSED;
    for (const addrinfo* address = addresses; address; address = address->ai_next) {
        Socket& s = *socket_;
        if (s.fd >= 0) ::close(s.fd);
        s.fd = ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address->ai_protocol);
        if (s.fd < 0) {
            last_error = errno;
            continue;
        }
        if (::connect(s.fd, address->ai_addr, address->ai_addrlen) == 0) return;
        if (errno != EINPROGRESS) {
            last_error = errno;
            continue;
        }
        s.Wait(POLLOUT);
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(s.fd, SOL_SOCKET, SO_ERROR, &error, &length);
        if (error == 0) return;
        last_error = error;
    }
    ThrowSystemError(last_error);
}

TcpConnection::~TcpConnection() = default;

std::size_t TcpConnection::Read(char* buffer, std::size_t max) {
    for (;;) {
        const ssize_t count = ::recv(socket_->fd, buffer, max, 0);
        if (count >= 0) return static_cast<std::size_t>(count);
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) ThrowSystemError(errno);
        socket_->Wait(POLLIN);
    }
}

void TcpConnection::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = ::send(socket_->fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (count >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(count));
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            socket_->Wait(POLLOUT);
        } else if (errno != EINTR) {
            ThrowSystemError(errno);
        }
    }
}

void TcpConnection::Close() {
    if (socket_->fd < 0) return;
    ::shutdown(socket_->fd, SHUT_RDWR);
    ::close(socket_->fd);
    socket_->fd = -1;
}

}  // namespace net
