#pragma once

#include <cctype>
#include <string>

namespace testing_support {

// The file a recorded request for `target` is kept in: the target with every
// byte outside [A-Za-z0-9-] as "_", then ".request".
inline std::string RequestFileName(const std::string& target) {
    std::string name = target;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') c = '_';
    }
    return name + ".request";
}

}  // namespace testing_support
