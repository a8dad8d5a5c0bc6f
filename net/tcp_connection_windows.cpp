#include <winsock2.h>
#include <ws2tcpip.h>

#include <memory>
#include <mutex>
#include <thread>

#include "errors.h"
#include "tcp_connection.h"
#include "windows_error.h"

namespace net {

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void ThrowSocketError(int code) {
    throw EclSocketError(platform::SystemErrorText(static_cast<DWORD>(code)), code);
}

void StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        const int result = WSAStartup(MAKEWORD(2, 2), &data);
        if (result != 0) ThrowSocketError(result);
        return true;
    }();
    static_cast<void>(started);
}

struct EventHandle {
    HANDLE handle = WSACreateEvent();
    ~EventHandle() { WSACloseEvent(handle); }
    EventHandle() = default;
    EventHandle(const EventHandle&) = delete;
    EventHandle& operator=(const EventHandle&) = delete;
};

// Waits for `event` or the time-out. Pending window messages wake the wait
// and go to `on_wake`; the time spent there counts toward the time-out.
void WaitFor(HANDLE event, const WaitSettings& settings) {
    const auto deadline = Clock::now() + settings.timeout;
    for (;;) {
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (remaining.count() <= 0) throw EclSocketError(kTimeoutMessage, WSAETIMEDOUT);
        const DWORD wait_ms = static_cast<DWORD>(remaining.count());
        const DWORD result = settings.on_wake
                                 ? MsgWaitForMultipleObjects(1, &event, FALSE, wait_ms, QS_ALLINPUT)
                                 : WaitForSingleObject(event, wait_ms);
        if (result == WAIT_OBJECT_0) return;
        if (result == WAIT_OBJECT_0 + 1) {
            settings.on_wake();
        } else if (result != WAIT_TIMEOUT) {
            ThrowSocketError(static_cast<int>(GetLastError()));
        }
    }
}

// Name resolution on a helper thread, so that the wait for it can be bounded
// and keep the window alive. A resolution that outlives its wait finishes on
// its own; its result is then dropped.
struct Resolution {
    std::string host;
    std::string port;
    EventHandle done;
    addrinfo* addresses = nullptr;
    int error = 0;
    ~Resolution() {
        if (addresses) freeaddrinfo(addresses);
    }
};

std::shared_ptr<Resolution> Resolve(const std::string& host, int port, const WaitSettings& settings) {
    auto resolution = std::make_shared<Resolution>();
    resolution->host = host;
    resolution->port = std::to_string(port);
    std::thread([resolution] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        resolution->error = getaddrinfo(resolution->host.c_str(), resolution->port.c_str(), &hints,
                                        &resolution->addresses);
        WSASetEvent(resolution->done.handle);
    }).detach();
    WaitFor(resolution->done.handle, settings);
    if (resolution->error != 0) ThrowSocketError(resolution->error);
    return resolution;
}

}  // namespace

struct TcpConnection::Socket {
    SOCKET handle = INVALID_SOCKET;
    EventHandle event;
    WaitSettings settings;

    ~Socket() { CloseHandle(); }

    void CloseHandle() {
        if (handle != INVALID_SOCKET) closesocket(handle);
        handle = INVALID_SOCKET;
    }

    // Waits for one of the network events in `mask`; returns their error code.
    int Wait(long mask, int bit) {
        if (WSAEventSelect(handle, event.handle, mask) != 0) ThrowSocketError(WSAGetLastError());
        WaitFor(event.handle, settings);
        WSANETWORKEVENTS events{};
        if (WSAEnumNetworkEvents(handle, event.handle, &events) != 0) ThrowSocketError(WSAGetLastError());
        if ((events.lNetworkEvents & FD_CLOSE) && events.iErrorCode[FD_CLOSE_BIT] != 0) {
            return events.iErrorCode[FD_CLOSE_BIT];
        }
        return (events.lNetworkEvents & (1L << bit)) ? events.iErrorCode[bit] : 0;
    }
};

TcpConnection::TcpConnection(const std::string& host, int port, WaitSettings settings)
    : socket_(std::make_unique<Socket>()) {
    StartWinsock();
    socket_->settings = std::move(settings);
    const auto resolution = Resolve(host, port, socket_->settings);

    int last_error = WSAECONNREFUSED;
    for (const addrinfo* address = resolution->addresses; address; address = address->ai_next) {
        Socket& s = *socket_;
        s.CloseHandle();
        s.handle = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
        if (s.handle == INVALID_SOCKET) {
            last_error = WSAGetLastError();
            continue;
        }
        // Selecting events makes the socket non-blocking before it connects.
        if (WSAEventSelect(s.handle, s.event.handle, FD_CONNECT) != 0) ThrowSocketError(WSAGetLastError());
        if (connect(s.handle, address->ai_addr, static_cast<int>(address->ai_addrlen)) == 0) return;
        last_error = WSAGetLastError();
        if (last_error != WSAEWOULDBLOCK) continue;
        last_error = s.Wait(FD_CONNECT, FD_CONNECT_BIT);
        if (last_error == 0) return;
    }
    ThrowSocketError(last_error);
}

TcpConnection::~TcpConnection() = default;

std::size_t TcpConnection::Read(char* buffer, std::size_t max) {
    for (;;) {
        const int count = recv(socket_->handle, buffer, static_cast<int>(max), 0);
        if (count >= 0) return static_cast<std::size_t>(count);
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK) ThrowSocketError(error);
        if (const int failed = socket_->Wait(FD_READ | FD_CLOSE, FD_READ_BIT)) ThrowSocketError(failed);
    }
}

void TcpConnection::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const int count = send(socket_->handle, bytes.data(), static_cast<int>(bytes.size()), 0);
        if (count >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(count));
            continue;
        }
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK) ThrowSocketError(error);
        if (const int failed = socket_->Wait(FD_WRITE | FD_CLOSE, FD_WRITE_BIT)) ThrowSocketError(failed);
    }
}

void TcpConnection::Close() {
    if (socket_->handle == INVALID_SOCKET) return;
    shutdown(socket_->handle, SD_BOTH);
    socket_->CloseHandle();
}

}  // namespace net
