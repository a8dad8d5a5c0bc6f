#include "reply_head.h"

#include "ascii_text.h"

#include <cctype>

#include "errors.h"

namespace net {

namespace {

// "HTTP/1.1 200 OK": version, a blank, three digits, then the reason.
bool ParseStatusLine(const std::string& line, ReplyHead& head) {
    if (line.size() < 12 || line.compare(0, 7, "HTTP/1.") != 0 || !std::isdigit(static_cast<unsigned char>(line[7])) ||
        line[8] != ' ') {
        return false;
    }
    for (std::size_t i = 9; i < 12; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
    }
    if (line.size() > 12 && line[12] != ' ') return false;
    head.http_minor = line[7] - '0';
    head.status = std::stoi(line.substr(9, 3));
    return true;
}

}  // namespace

std::vector<std::string> ReplyHead::Values(const std::string& name) const {
    std::vector<std::string> values;
    for (const auto& [field, value] : fields) {
        if (EqualsIgnoringCase(field, name)) values.push_back(value);
    }
    return values;
}

std::optional<std::string> ReplyHead::Value(const std::string& name) const {
    for (const auto& [field, value] : fields) {
        if (EqualsIgnoringCase(field, name)) return value;
    }
    return std::nullopt;
}

ReplyHead ReadReplyHead(StreamReader& reader) {
    const std::optional<std::string> status_line = reader.ReadLine(kMaxHeaderLine);
    if (!status_line) throw EConnectionClosedBeforeReply();
    ReplyHead head;
    head.status_line = *status_line;
    if (!ParseStatusLine(head.status_line, head)) {
        throw EclSocketError("The server's reply does not start with an HTTP/1.x status line");
    }
    std::size_t total = head.status_line.size();
    for (;;) {
        const auto line = reader.ReadLine(kMaxHeaderLine);
        if (!line) throw EclSocketError("The connection was closed in the middle of the reply header");
        if (line->empty()) return head;
        total += line->size();
        if (head.fields.size() == kMaxHeaderFields || total > kMaxHeaderBytes) {
            throw EclSocketError("The server's reply header is too large");
        }
        const std::size_t colon = line->find(':');
        if (colon == std::string::npos || colon == 0 || line->find_first_of(" \t") < colon) {
            throw EclSocketError("The server's reply header has a malformed line");
        }
        head.fields.emplace_back(line->substr(0, colon), TrimBlanks(std::string_view(*line).substr(colon + 1)));
    }
}

std::vector<std::string> ListElements(const std::vector<std::string>& values) {
    std::vector<std::string> elements;
    for (const std::string& value : values) {
        std::size_t start = 0;
        while (start <= value.size()) {
            const std::size_t comma = value.find(',', start);
            const std::string element = ToLowerAscii(
                TrimBlanks(std::string_view(value).substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
            if (!element.empty()) elements.push_back(element);
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    return elements;
}

}  // namespace net
