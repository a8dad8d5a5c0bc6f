#pragma once
// Failures of writing the downloaded file. Each carries the message the user is shown.

#include <stdexcept>
#include <string>

namespace platform {

// The destination file cannot be created: "Cannot create file "<path>". <system text>".
class EFCreateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A write to the destination file took fewer bytes than it was given.
class EWriteError : public std::runtime_error {
public:
    EWriteError() : std::runtime_error("Stream write error") {}
};

}  // namespace platform
