#pragma once

#include <string>

// The text of the standard error box for a failure's message: the message
// with a "." appended when it is not empty and its last character lies above
// "." (a letter, a digit, a double-byte character...). A message that ends in
// ".", another punctuation mark below it or a line break is shown unchanged.
std::string ErrorBoxText(std::string message);
