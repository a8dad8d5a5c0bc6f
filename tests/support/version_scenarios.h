#pragma once
// The version request's scenarios as data. Each is served by a server of its
// own, since every one answers the same target.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "script.h"

namespace testing_support {

struct VersionScenario {
    std::string name;
    std::vector<ReplyStep> steps;          // the answer to GET /ver_info_new3.php
    std::optional<std::string> record;     // the body returned on success
    std::string error;                     // the failure's message; empty for success
    int timeout_ms = 10000;
};

std::vector<VersionScenario> VersionScenarios();

inline void PrintTo(const VersionScenario& scenario, std::ostream* out) { *out << scenario.name; }

}  // namespace testing_support
