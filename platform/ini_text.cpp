#include "ini_text.h"

#include "ascii_text.h"

#include <vector>

namespace platform::ini_text {

namespace {

struct Line {
    std::size_t begin;    // first byte of the line
    std::size_t end;      // first byte of its line end
    std::size_t next;     // first byte of the next line
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t newline = text.find('\n', begin);
        const std::size_t next = newline == std::string_view::npos ? text.size() : newline + 1;
        std::size_t end = newline == std::string_view::npos ? text.size() : newline;
        if (end > begin && text[end - 1] == '\r') --end;
        lines.push_back({begin, end, next});
        begin = next;
    }
    return lines;
}

// The section name of a "[name]" line, if it is one.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const std::size_t close = line.find(']');
    return TrimBlanks(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

struct Entry {
    std::string_view key;
    std::string_view value;
};

std::optional<Entry> EntryOf(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return Entry{TrimBlanks(line.substr(0, equals)), TrimBlanks(line.substr(equals + 1))};
}

// Where a section's lines are: [first, last) indexes into the lines, the
// header excluded; nullopt when the section is missing.
struct SectionSpan {
    std::size_t first;
    std::size_t last;
};

std::optional<SectionSpan> FindSection(std::string_view text, const std::vector<Line>& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(text.substr(lines[i].begin, lines[i].end - lines[i].begin));
        if (!name || !EqualsIgnoringCase(*name, section)) continue;
        std::size_t last = i + 1;
        while (last < lines.size() && !SectionName(text.substr(lines[last].begin, lines[last].end - lines[last].begin))) {
            ++last;
        }
        return SectionSpan{i + 1, last};
    }
    return std::nullopt;
}

std::optional<std::size_t> FindKey(std::string_view text, const std::vector<Line>& lines, SectionSpan span,
                                   std::string_view key) {
    for (std::size_t i = span.first; i < span.last; ++i) {
        const auto entry = EntryOf(text.substr(lines[i].begin, lines[i].end - lines[i].begin));
        if (entry && EqualsIgnoringCase(entry->key, key)) return i;
    }
    return std::nullopt;
}

std::string_view LineEndOf(std::string_view text, const std::vector<Line>& lines) {
    for (const Line& line : lines) {
        if (line.next > line.end) return text.substr(line.end, line.next - line.end);
    }
    return "\r\n";
}

}  // namespace

std::optional<std::string> Find(std::string_view text, std::string_view section, std::string_view key) {
    const std::vector<Line> lines = SplitLines(text);
    const auto span = FindSection(text, lines, section);
    if (!span) return std::nullopt;
    const auto index = FindKey(text, lines, *span, key);
    if (!index) return std::nullopt;
    std::string_view value = EntryOf(text.substr(lines[*index].begin, lines[*index].end - lines[*index].begin))->value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

std::string WithValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value) {
    const std::vector<Line> lines = SplitLines(text);
    const std::string_view line_end = LineEndOf(text, lines);
    const std::string entry = std::string(key) + "=" + std::string(value);
    std::string result;

    const auto span = FindSection(text, lines, section);
    if (!span) {
        result = text;
        if (!result.empty() && result.back() != '\n') result += line_end;
        return result + "[" + std::string(section) + "]" + std::string(line_end) + entry + std::string(line_end);
    }

    if (const auto index = FindKey(text, lines, *span, key)) {
        const Line& line = lines[*index];
        return std::string(text.substr(0, line.begin)) + entry + std::string(text.substr(line.end));
    }

    // After the section's last non-empty line.
    std::size_t after = span->first - 1;
    for (std::size_t i = span->first; i < span->last; ++i) {
        if (!TrimBlanks(text.substr(lines[i].begin, lines[i].end - lines[i].begin)).empty()) after = i;
    }
    const Line& line = lines[after];
    result = std::string(text.substr(0, line.next));
    if (line.next == line.end) result += line_end;  // the last line had no line end
    return result + entry + std::string(line_end) + std::string(text.substr(line.next));
}

}  // namespace platform::ini_text
