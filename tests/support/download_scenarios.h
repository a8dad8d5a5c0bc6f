#pragma once
// The download client's scenarios as data: what the server sends, what the
// client must write, report and fail with. The native tests and the Windows
// tests under Wine run the same table; the server side runs natively.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "script.h"

namespace testing_support {

using ProgressEvent = std::pair<std::int64_t, std::int64_t>;  // received, total

struct DownloadScenario {
    std::string name;
    std::string target;                     // the URL's path on the first server
    std::vector<Script> scripts;            // the first server's answers
    std::vector<Script> other_scripts;      // the second server's, for redirects to another port
    std::optional<std::string> body;        // what the file must hold after success
    std::string error;                      // the failure's message; empty for success
    std::optional<std::vector<ProgressEvent>> events;  // exactly, when the blocks are predictable
    int timeout_ms = 10000;
};

std::vector<DownloadScenario> DownloadScenarios();

// Test output names a scenario by its name.
inline void PrintTo(const DownloadScenario& scenario, std::ostream* out) { *out << scenario.name; }

// Every script of the table, for the server that plays them.
std::vector<Script> AllScripts(const std::vector<DownloadScenario>& scenarios);
std::vector<Script> AllOtherScripts(const std::vector<DownloadScenario>& scenarios);

// The request the client sends for a target on 127.0.0.1:port.
std::string ExpectedRequest(const std::string& target, std::uint16_t port);

}  // namespace testing_support
