#pragma once
// Where a reply's body ends, chosen in one place and in a fixed order:
// chunked, then Content-Length, then the close of the connection. And the
// decoder that takes the framing off the bytes as they arrive.

#include <cstdint>
#include <string>
#include <string_view>

#include "reply_head.h"

namespace net {

enum class Framing { Empty, Length, Chunked, UntilClose };

struct BodyFraming {
    Framing kind = Framing::Empty;
    std::uint64_t length = 0;  // for Framing::Length
};

// The framing of a reply's body. 1xx, 204 and 304 replies have none. A Content-Length that is not a plain
// decimal number, does not fit 63 bits or disagrees with another one fails
// with EclSocketError. Without chunked coding or a length, an HTTP/1.1 reply
// whose status is not a success runs to no body; any other to the close.
BodyFraming FramingOf(const ReplyHead& head);

// Takes the framing off a body: fed the bytes as they arrive, it hands on the
// body's own bytes and says how many of the fed bytes belong to the body.
class BodyDeframer {
public:
    explicit BodyDeframer(BodyFraming framing);

    // Consumes the body's part of `wire` and appends its payload to `out`.
    // Returns the number of bytes of `wire` that belonged to the body.
    std::size_t Feed(std::string_view wire, std::string& out);
    // The body is complete (a body that runs to the close never is).
    bool Done() const;
    // Called when the connection has closed; throws EclSocketError unless the
    // body is complete by then.
    void EndOfStream();

private:
    enum class ChunkState { Size, Data, DataEnd, Trailer, Done };

    std::size_t FeedChunked(std::string_view wire, std::string& out);

    BodyFraming framing_;
    std::uint64_t remaining_ = 0;  // of the length, or of the current chunk
    ChunkState chunk_state_ = ChunkState::Size;
    std::string line_;  // a chunk-size or trailer line received in part
    bool closed_ = false;
};

}  // namespace net
