#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A growable array of byte strings.
using TArray = std::vector<std::string>;

// Cuts `Text` at each occurrence of `Delimiter` (bytes, case-sensitive, found
// whole from the left, never overlapping) into at most `MaxPieces` pieces
// (0: no limit; a negative limit acts as 1); the last piece keeps the unsplit
// rest. Nothing is trimmed, and a delimiter at the very end adds no empty
// piece. `Pieces` is resized in place to the number of pieces; an empty
// `Text` leaves it exactly as it was.
void SplitString(std::string Delimiter, std::string Text, std::int32_t MaxPieces, TArray& Pieces);
