#pragma once
// A TCP connection whose every wait (resolving, connecting, sending, each
// read) is bounded by a time-out and lets the caller's window stay alive.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "byte_stream.h"

namespace net {

struct WaitSettings {
    // Longest time one wait may take, time spent in `on_wake` included.
    std::chrono::milliseconds timeout{60000};
    // Runs whenever a wait wakes up for something other than the network: on
    // Windows, when window messages are pending (it is expected to dispatch
    // them); elsewhere, every tenth of a second of waiting.
    std::function<void()> on_wake;
};

class TcpConnection : public ByteStream {
public:
    // Resolves `host` (unless it is a numeric address) and connects to `port`.
    // Throws EclSocketError with the system's text for what failed.
    TcpConnection(const std::string& host, int port, WaitSettings settings);
    ~TcpConnection() override;
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    std::size_t Read(char* buffer, std::size_t max) override;
    void Write(std::string_view bytes) override;
    // Shuts the connection down in both directions and closes it.
    void Close();

private:
    struct Socket;
    std::unique_ptr<Socket> socket_;
};

}  // namespace net
