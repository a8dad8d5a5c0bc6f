#pragma once
// A connection as the HTTP code sees it: bytes in, bytes out. A socket, a TLS
// channel or a piece of memory in a test all look the same from here.

#include <cstddef>
#include <string_view>

namespace net {

class ByteStream {
public:
    virtual ~ByteStream() = default;
    // Reads at most `max` bytes into `buffer`, waiting for at least one;
    // 0 when the peer has closed the connection.
    virtual std::size_t Read(char* buffer, std::size_t max) = 0;
    // Sends all of `bytes`.
    virtual void Write(std::string_view bytes) = 0;
};

}  // namespace net
