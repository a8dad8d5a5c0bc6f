#pragma once
// The download's progress as one line on a console, rewritten in place and at
// most every tenth of a second, so that a fast download does not spend its
// time printing.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tools {

class ProgressLine {
public:
    explicit ProgressLine(std::FILE* out) : out_(out) {}
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Takes a progress event; the line shows it if enough time has passed.
    void Update(std::int64_t received, std::int64_t total);
    // Shows the last event, if it is not on the line yet, and ends the line.
    // Does nothing if no event came, so that an error message after a failed
    // connection is not preceded by an empty line.
    void Finish();

private:
    void Show();

    std::FILE* out_;
    std::chrono::steady_clock::time_point last_shown_{};
    std::int64_t received_ = 0;
    std::int64_t total_ = -1;
    bool updated_ = false;
    bool pending_ = false;  // the last event is not on the line yet
    bool shown_ = false;
    bool finished_ = false;
    std::size_t shown_length_ = 0;
};

// "12.3 MiB / 512.0 MiB (2%)", or "12.3 MiB" while the total is not known.
std::string ProgressText(std::int64_t received, std::int64_t total);

}  // namespace tools
