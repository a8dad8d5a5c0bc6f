// The scripted test server as a program of its own, for the tests that run
// under Wine: it plays the download scenarios on two ports of 127.0.0.1, and
// each version scenario on a port of its own.
//
//   scripted_server STATE_FOLDER
//
// writes "PORT OTHER_PORT" to STATE_FOLDER/ports once it listens, then a line
// "NAME PORT" for the server of each version scenario; records every request
// in STATE_FOLDER (a version scenario's in STATE_FOLDER/version-NAME), and runs
// until it is sent SIGTERM.

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include <unistd.h>

#include "download_scenarios.h"
#include "version_scenarios.h"
#include "scripted_server.h"

namespace {

volatile std::sig_atomic_t stop = 0;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: scripted_server STATE_FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::signal(SIGTERM, [](int) { stop = 1; });
    std::signal(SIGINT, [](int) { stop = 1; });

    const auto scenarios = testing_support::DownloadScenarios();
    testing_support::ScriptedServer other(testing_support::AllOtherScripts(scenarios), 0, folder);
    testing_support::ScriptedServer server(testing_support::AllScripts(scenarios), 0, folder);
    server.SetOtherPort(other.Port());
    // One server for each version scenario: they all answer the same target.
    std::vector<std::unique_ptr<testing_support::ScriptedServer>> version_servers;
    {
        std::ofstream ports(folder + "/ports.tmp");
        ports << server.Port() << ' ' << other.Port() << '\n';
        for (const auto& scenario : testing_support::VersionScenarios()) {
            version_servers.push_back(std::make_unique<testing_support::ScriptedServer>(
                std::vector<testing_support::Script>{{"/ver_info_new3.php", scenario.steps}}, 0,
                folder + "/version-" + scenario.name));
            std::filesystem::create_directories(folder + "/version-" + scenario.name);
            ports << scenario.name << ' ' << version_servers.back()->Port() << '\n';
        }
    }
    std::rename((folder + "/ports.tmp").c_str(), (folder + "/ports").c_str());
    while (!stop) ::pause();
    return 0;
}
