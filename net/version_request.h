#pragma once
// The version request: one plain HTTP GET of /ver_info_new3.php on the update
// server, whose body is the version-info record. No redirects, no
// authentication, no decoding; window messages wait meanwhile.

#include <chrono>
#include <stdexcept>
#include <string>

namespace net {

// A failed version request, with the message the user is shown:
// "Socket Error # <n>" CR LF <text> for a network failure, "Connection Closed
// Gracefully." when the server closes before a status line, or the status line
// of a reply that is not a success.
class EVersionRequestError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr char kVersionPath[] = "/ver_info_new3.php";

// The request sent to `host`, exactly.
std::string VersionRequest(const std::string& host);

// GETs the version-info record from `server` ("host" or "host:port"; port 80
// when none is given) and returns the reply's body byte for byte. Connecting
// and every read are bounded by `timeout`.
std::string RequestVersionRecord(const std::string& server,
                                 std::chrono::milliseconds timeout = std::chrono::milliseconds(60000));

}  // namespace net
