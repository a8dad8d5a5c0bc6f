#pragma once
// Small text helpers for protocol and file-format names, which are ASCII:
// bytes above 127 are never changed or folded.

#include <string>
#include <string_view>

// `text` without the blanks (spaces and tabs) at its ends.
std::string_view TrimBlanks(std::string_view text);

// Equal when letter case is ignored (A-Z only).
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// `text` with A-Z lowered.
std::string ToLowerAscii(std::string_view text);
