#include "body_framing.h"

#include <algorithm>
#include <limits>

#include "errors.h"

namespace net {

namespace {

// Room for a chunk size with extensions, or one trailer field.
constexpr std::size_t kMaxChunkLine = 4096;

std::uint64_t ParseContentLength(const std::string& text) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) {
        throw EclSocketError("The server's reply has an invalid Content-Length \"" + text + "\"");
    }
    return std::stoull(text);
}

// The chunk size at the start of a chunk-size line (hex digits; extensions after ";" are ignored).
std::uint64_t ParseChunkSize(const std::string& line) {
    std::uint64_t size = 0;
    std::size_t digits = 0;
    for (const char c : line) {
        int value;
        if (c >= '0' && c <= '9') {
            value = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            value = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            value = c - 'A' + 10;
        } else {
            if (c == ';' || c == ' ' || c == '\t') break;
            throw EclSocketError("The server sent a malformed chunk size");
        }
        if (++digits > 15) throw EclSocketError("The server sent a chunk size that is too large");
        size = size * 16 + static_cast<std::uint64_t>(value);
    }
    if (digits == 0) throw EclSocketError("The server sent a malformed chunk size");
    return size;
}

}  // namespace

BodyFraming FramingOf(const ReplyHead& head) {
    // These replies never have a body, whatever their fields say (RFC 9112, 6.3).
    if (head.status < 200 || head.status == 204 || head.status == 304) return {Framing::Empty, 0};
    const std::vector<std::string> transfer = ListElements(head.Values("Transfer-Encoding"));
    if (!transfer.empty()) {
        // Chunked counts only as the last transfer coding (RFC 9112, 6.3);
        // any other ends at the close. A Content-Length beside it is ignored.
        return {transfer.back() == "chunked" ? Framing::Chunked : Framing::UntilClose, 0};
    }
    const std::vector<std::string> lengths = head.Values("Content-Length");
    if (!lengths.empty()) {
        // "5, 5" is allowed: a list of equal values.
        const std::vector<std::string> items = ListElements(lengths);
        if (items.empty()) throw EclSocketError("The server's reply has an invalid Content-Length \"\"");
        const std::uint64_t length = ParseContentLength(items.front());
        for (const std::string& item : items) {
            if (ParseContentLength(item) != length) {
                throw EclSocketError("The server's reply has conflicting Content-Length values");
            }
        }
        return {Framing::Length, length};
    }
    const bool success = head.status >= 200 && head.status <= 207;
    return {head.http_minor != 0 && !success ? Framing::Empty : Framing::UntilClose, 0};
}

BodyDeframer::BodyDeframer(BodyFraming framing) : framing_(framing), remaining_(framing.length) {}

bool BodyDeframer::Done() const {
    switch (framing_.kind) {
    case Framing::Empty:
        return true;
    case Framing::Length:
        return remaining_ == 0;
    case Framing::Chunked:
        return chunk_state_ == ChunkState::Done;
    case Framing::UntilClose:
        return closed_;
    }
    return true;
}

void BodyDeframer::EndOfStream() {
    if (framing_.kind == Framing::UntilClose) closed_ = true;
    if (!Done()) throw EclSocketError("The connection was closed before the whole body had arrived");
}

std::size_t BodyDeframer::Feed(std::string_view wire, std::string& out) {
    switch (framing_.kind) {
    case Framing::Empty:
        return 0;
    case Framing::Length: {
        const std::size_t taken = static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, wire.size()));
        out.append(wire.substr(0, taken));
        remaining_ -= taken;
        return taken;
    }
    case Framing::Chunked:
        return FeedChunked(wire, out);
    case Framing::UntilClose:
        out.append(wire);
        return wire.size();
    }
    return 0;
}

std::size_t BodyDeframer::FeedChunked(std::string_view wire, std::string& out) {
    std::size_t used = 0;
    while (used < wire.size() && chunk_state_ != ChunkState::Done) {
        if (chunk_state_ == ChunkState::Data) {
            const std::size_t taken = static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, wire.size() - used));
            out.append(wire.substr(used, taken));
            used += taken;
            remaining_ -= taken;
            if (remaining_ == 0) chunk_state_ = ChunkState::DataEnd;
            continue;
        }
        // The other states read a line: the chunk size, the line end after
        // the data, or a trailer field.
        const std::size_t newline = wire.find('\n', used);
        const std::size_t end = newline == std::string_view::npos ? wire.size() : newline;
        line_.append(wire.substr(used, end - used));
        used = newline == std::string_view::npos ? end : end + 1;
        if (line_.size() > kMaxChunkLine) throw EclSocketError("The server sent a chunk line that is too long");
        if (newline == std::string_view::npos) break;
        if (!line_.empty() && line_.back() == '\r') line_.pop_back();

        switch (chunk_state_) {
        case ChunkState::Size:
            remaining_ = ParseChunkSize(line_);
            chunk_state_ = remaining_ == 0 ? ChunkState::Trailer : ChunkState::Data;
            break;
        case ChunkState::DataEnd:
            if (!line_.empty()) throw EclSocketError("The server sent a chunk longer than its size");
            chunk_state_ = ChunkState::Size;
            break;
        case ChunkState::Trailer:
            if (line_.empty()) chunk_state_ = ChunkState::Done;  // trailer fields are passed over
            break;
        default:
            break;
        }
        line_.clear();
    }
    return used;
}

}  // namespace net
