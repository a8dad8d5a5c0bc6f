#pragma once
// The failures of the network layer. Each carries the message the user is shown.

#include <stdexcept>
#include <string>

namespace net {

// Any failure of a connection: name resolution, connecting, sending,
// receiving, a time-out, a broken TLS or HTTP exchange.
class EclSocketError : public std::runtime_error {
public:
    EclSocketError(const std::string& message, int code = 0) : std::runtime_error(message), code_(code) {}
    int ErrorCode() const { return code_; }

private:
    int code_;
};

// A reply the download cannot use: its status line is the message.
class EclHttpError : public std::runtime_error {
public:
    EclHttpError(const std::string& status_line, int status, std::string body)
        : std::runtime_error(status_line), status_(status), body_(std::move(body)) {}
    int StatusCode() const { return status_; }
    const std::string& ResponseText() const { return body_; }

private:
    int status_;
    std::string body_;
};

// A coded body that cannot be decoded: "Uncompressing error - ...".
class EclZLibError : public std::runtime_error {
public:
    explicit EclZLibError(const std::string& what) : std::runtime_error("Uncompressing error - " + what) {}
};

inline constexpr char kTimeoutMessage[] = "Timeout error occured";

}  // namespace net
