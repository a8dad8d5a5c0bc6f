#include "split_string.h"

void SplitString(std::string Delimiter, std::string Text, std::int32_t MaxPieces, TArray& Pieces) {
    std::string rest = std::move(Text);
    std::int32_t count = 0;
    while (!rest.empty()) {
        ++count;
        Pieces.resize(static_cast<std::size_t>(count));
        const std::size_t found = Delimiter.empty() ? std::string::npos : rest.find(Delimiter);
        if (found != std::string::npos && (MaxPieces == 0 || count < MaxPieces)) {
            Pieces.back() = rest.substr(0, found);
            rest.erase(0, found + Delimiter.size());
        } else {
            Pieces.back() = std::move(rest);
            rest.clear();
        }
    }
}
