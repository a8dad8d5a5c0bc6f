#include "scenario_servers.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "download_scenarios.h"
#include "version_scenarios.h"
#include "request_file_name.h"
#include "temporary_folder.h"

#ifndef _WIN32
#include "scripted_server.h"
#endif

namespace testing_support {

namespace {

#ifdef _WIN32

std::string StateFolder() {
    const char* folder = std::getenv("SELVANE_SCRIPTED_SERVER_STATE");
    if (!folder) throw std::runtime_error("SELVANE_SCRIPTED_SERVER_STATE is not set");
    return folder;
}

std::string ReadFile(const std::string& path) { return ReadBytes(path).value_or(""); }

#else

struct InProcessServers {
    InProcessServers() {
        const auto scenarios = DownloadScenarios();
        other = std::make_unique<ScriptedServer>(AllOtherScripts(scenarios));
        server = std::make_unique<ScriptedServer>(AllScripts(scenarios));
        server->SetOtherPort(other->Port());
    }
    std::unique_ptr<ScriptedServer> other;
    std::unique_ptr<ScriptedServer> server;
};

ScriptedServer& Server() {
    static InProcessServers servers;
    return *servers.server;
}

ScriptedServer& VersionServer(const std::string& name) {
    static std::map<std::string, std::unique_ptr<ScriptedServer>> servers;
    auto& server = servers[name];
    if (!server) {
        for (const VersionScenario& scenario : VersionScenarios()) {
            if (scenario.name == name) {
                server = std::make_unique<ScriptedServer>(std::vector<Script>{{"/ver_info_new3.php", scenario.steps}});
            }
        }
        if (!server) throw std::runtime_error("no version scenario " + name);
    }
    return *server;
}

#endif

}  // namespace

std::uint16_t VersionScenarioPort(const std::string& name) {
#ifdef _WIN32
    std::istringstream lines(ReadFile(StateFolder() + "/ports"));
    std::string line;
    std::getline(lines, line);  // the download scenarios' ports
    for (std::string scenario; lines >> scenario;) {
        std::uint16_t port = 0;
        lines >> port;
        if (scenario == name) return port;
    }
    throw std::runtime_error("no version scenario " + name);
#else
    return VersionServer(name).Port();
#endif
}

std::string VersionScenarioRequest(const std::string& name) {
#ifdef _WIN32
    return ReadFile(StateFolder() + "/version-" + name + "/" + RequestFileName("/ver_info_new3.php"));
#else
    return VersionServer(name).RequestFor("/ver_info_new3.php");
#endif
}

std::uint16_t ScenarioPort() {
#ifdef _WIN32
    std::uint16_t port = 0;
    std::istringstream(ReadFile(StateFolder() + "/ports")) >> port;
    return port;
#else
    return Server().Port();
#endif
}

std::string ScenarioUrl(const std::string& target) { return "http://127.0.0.1:" + std::to_string(ScenarioPort()) + target; }

std::string ScenarioRequest(const std::string& target) {
#ifdef _WIN32
    return ReadFile(StateFolder() + "/" + RequestFileName(target));
#else
    return Server().RequestFor(target);
#endif
}

}  // namespace testing_support
