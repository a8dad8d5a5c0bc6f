#pragma once
// INI text as the Windows profile API understands it, for systems without that
// API: "[section]" lines, "key=value" lines, names compared without regard to
// letter case, blanks around names and values and enclosing quotes dropped on
// reading. Everything the launcher does not change is kept byte for byte.

#include <optional>
#include <string>
#include <string_view>

namespace platform::ini_text {

// The value of `key` in the first `section` of `text`, if there is one.
std::optional<std::string> Find(std::string_view text, std::string_view section, std::string_view key);

// `text` with `key` of `section` set to `value`: the key's line replaced, or a
// line added at the end of the section, or the section added at the end.
// New lines take the line end the text already uses (CR LF when it has none).
std::string WithValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value);

}  // namespace platform::ini_text
