#pragma once
// Reading a reply's body from the connection, block by block, through its framing.

#include <functional>
#include <string_view>

#include "body_framing.h"
#include "stream_reader.h"

namespace net {

enum class ShortBody {
    Fail,  // a body that ends before its framing says it should is a failure
    Keep,  // a close before the announced length ends the body with what came
};

// Reads the body that `framing` describes. After each block read,
// `on_block(payload, wire_bytes, complete)` gets the block's payload, the
// number of bytes the block took from the connection, and whether the body is
// complete with it. Bytes after the body stay unread.
void ReadBody(StreamReader& reader, const BodyFraming& framing,
              const std::function<void(std::string_view payload, std::size_t wire_bytes, bool complete)>& on_block,
              ShortBody short_body = ShortBody::Fail);

}  // namespace net
