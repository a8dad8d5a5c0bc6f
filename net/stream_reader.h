#pragma once
// Buffered reading from a ByteStream: header lines with a length limit, and
// body blocks of at most one read of the connection.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "byte_stream.h"

namespace net {

class StreamReader {
public:
    StreamReader(ByteStream& stream, std::size_t block_size) : stream_(stream), block_size_(block_size) {}

    // The next line without its line end (CR LF or LF), or nullopt when the
    // connection closes before the line is complete. Throws EclSocketError
    // when the line is longer than `max_length`.
    std::optional<std::string> ReadLine(std::size_t max_length);

    // The bytes already received, or else one read of the connection (at most
    // one block); empty when the connection has closed.
    std::string_view NextBlock();
    // Takes back the tail of the last block that was not used.
    void Unread(std::size_t count) { position_ -= count; }

private:
    bool Fill();

    ByteStream& stream_;
    std::size_t block_size_;
    std::string buffer_;
    std::size_t position_ = 0;
};

}  // namespace net
