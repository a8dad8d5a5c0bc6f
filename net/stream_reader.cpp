#include "stream_reader.h"

#include "errors.h"

namespace net {

bool StreamReader::Fill() {
    buffer_.resize(block_size_);
    const std::size_t count = stream_.Read(buffer_.data(), block_size_);
    buffer_.resize(count);
    position_ = 0;
    return count > 0;
}

std::optional<std::string> StreamReader::ReadLine(std::size_t max_length) {
    std::string line;
    for (;;) {
        if (position_ == buffer_.size() && !Fill()) return std::nullopt;
        const std::size_t newline = buffer_.find('\n', position_);
        const std::size_t end = newline == std::string::npos ? buffer_.size() : newline;
        line.append(buffer_, position_, end - position_);
        position_ = newline == std::string::npos ? end : end + 1;
        if (line.size() > max_length + 1) {  // the CR before the LF may follow
            throw EclSocketError("A line of the reply header is longer than " + std::to_string(max_length) + " bytes");
        }
        if (newline != std::string::npos) break;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > max_length) {
        throw EclSocketError("A line of the reply header is longer than " + std::to_string(max_length) + " bytes");
    }
    return line;
}

std::string_view StreamReader::NextBlock() {
    if (position_ == buffer_.size() && !Fill()) return {};
    std::string_view block(buffer_.data() + position_, buffer_.size() - position_);
    position_ = buffer_.size();
    return block;
}

}  // namespace net
