#include "progress_line.h"

#include <cstdio>

namespace tools {

namespace {

constexpr std::chrono::milliseconds kInterval{100};

std::string Size(std::int64_t bytes) {
    char text[32];
    if (bytes < 1024) {
        std::snprintf(text, sizeof text, "%lld B", static_cast<long long>(bytes));
    } else if (bytes < 1024 * 1024) {
        std::snprintf(text, sizeof text, "%.1f KiB", static_cast<double>(bytes) / 1024);
    } else {
        std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1024 * 1024));
    }
    return text;
}

}  // namespace

std::string ProgressText(std::int64_t received, std::int64_t total) {
    if (total < 0) return Size(received);
    // Whole percents, rounded down: 100% only once everything has come.
    const std::int64_t percent = total == 0 ? 100 : received * 100 / total;
    return Size(received) + " / " + Size(total) + " (" + std::to_string(percent) + "%)";
}

void ProgressLine::Update(std::int64_t received, std::int64_t total) {
    received_ = received;
    total_ = total;
    updated_ = true;
    pending_ = true;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - last_shown_ < kInterval) return;
    last_shown_ = now;
    Show();
}

void ProgressLine::Finish() {
    if (finished_ || !updated_) return;
    finished_ = true;
    if (pending_) Show();
    std::fputc('\n', out_);
    std::fflush(out_);
}

void ProgressLine::Show() {
    std::string text = ProgressText(received_, total_);
    const std::size_t length = text.size();
    // Blanks over whatever a longer earlier text left behind.
    if (length < shown_length_) text.append(shown_length_ - length, ' ');
    std::fprintf(out_, "\r%s", text.c_str());
    std::fflush(out_);
    shown_ = true;
    pending_ = false;
    shown_length_ = length;
}

}  // namespace tools
