#pragma once
// Where the download scenarios are served in a test program: natively by
// scripted servers in this process, under Wine by the server program that the
// test run started (its state folder in SELVANE_SCRIPTED_SERVER_STATE).

#include <cstdint>
#include <string>

namespace testing_support {

// The port of the server that plays the scenarios.
std::uint16_t ScenarioPort();
// "http://127.0.0.1:<port><target>".
std::string ScenarioUrl(const std::string& target);
// The last request head the server received for `target` (empty if none).
std::string ScenarioRequest(const std::string& target);

// The port of the server that plays the version scenario `name`, and the last
// request it received.
std::uint16_t VersionScenarioPort(const std::string& name);
std::string VersionScenarioRequest(const std::string& name);

}  // namespace testing_support
