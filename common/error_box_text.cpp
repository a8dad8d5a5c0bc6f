#include "error_box_text.h"

std::string ErrorBoxText(std::string message) {
    // A double-byte character is judged by its lead byte. Lead and trail bytes
    // of every double-byte code page lie above "." (0x2E), so the last byte
    // gives the same answer without walking the string character by character.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    return message;
}
