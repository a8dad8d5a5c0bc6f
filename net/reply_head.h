#pragma once
// The status line and header fields of an HTTP reply.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "errors.h"
#include "stream_reader.h"

namespace net {

struct ReplyHead {
    std::string status_line;  // as received, without its line end
    int http_minor = 1;       // HTTP/1.x
    int status = 0;
    std::vector<std::pair<std::string, std::string>> fields;  // names as sent, values trimmed

    // Every value of the field `name` (letter case ignored), in order.
    std::vector<std::string> Values(const std::string& name) const;
    // The first value of `name`, if there is one.
    std::optional<std::string> Value(const std::string& name) const;
};

// Limits that keep a hostile reply header from taking unbounded memory.
inline constexpr std::size_t kMaxHeaderLine = 8192;
inline constexpr std::size_t kMaxHeaderFields = 100;
inline constexpr std::size_t kMaxHeaderBytes = 64 * 1024;

// The connection closed before a complete status line had arrived.
class EConnectionClosedBeforeReply : public EclSocketError {
public:
    EConnectionClosedBeforeReply() : EclSocketError("The server closed the connection without a reply") {}
};

// Reads one reply head. Throws EConnectionClosedBeforeReply, or EclSocketError
// for a head that is broken or too large.
ReplyHead ReadReplyHead(StreamReader& reader);

// The comma-separated elements of header values, trimmed and lower-cased,
// empty ones dropped ("gzip, chunked" -> {"gzip", "chunked"}).
std::vector<std::string> ListElements(const std::vector<std::string>& values);

}  // namespace net
