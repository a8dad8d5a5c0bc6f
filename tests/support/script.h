#pragma once
// What a scripted test server sends for a request: exact bytes, pauses,
// stalls, and the close after the last step.

#include <string>
#include <vector>

namespace testing_support {

struct ReplyStep {
    enum class Kind { Send, Pause, Stall };
    Kind kind;
    std::string bytes;  // for Send; "{port}" and "{other_port}" are replaced
    int milliseconds = 0;  // for Pause

    static ReplyStep Send(std::string bytes) { return {Kind::Send, std::move(bytes), 0}; }
    static ReplyStep Pause(int milliseconds) { return {Kind::Pause, {}, milliseconds}; }
    // Keeps the connection open without sending until the client goes away.
    static ReplyStep Stall() { return {Kind::Stall, {}, 0}; }
};

// What the server does for a GET of `target`; the connection is closed after the last step.
struct Script {
    std::string target;
    std::vector<ReplyStep> steps;
};

}  // namespace testing_support
