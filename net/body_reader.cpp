#include "body_reader.h"

#include <string>

namespace net {

void ReadBody(StreamReader& reader, const BodyFraming& framing,
              const std::function<void(std::string_view, std::size_t, bool)>& on_block, ShortBody short_body) {
    BodyDeframer deframer(framing);
    while (!deframer.Done()) {
        const std::string_view block = reader.NextBlock();
        if (block.empty()) {
            if (short_body == ShortBody::Fail || framing.kind != Framing::Length) deframer.EndOfStream();
            return;
        }
        std::string payload;
        const std::size_t used = deframer.Feed(block, payload);
        reader.Unread(block.size() - used);
        on_block(payload, used, deframer.Done());
    }
}

}  // namespace net
