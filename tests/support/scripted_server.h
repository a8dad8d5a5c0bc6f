#pragma once
// A test HTTP server on 127.0.0.1 that answers each request target with a
// script of exact bytes: it can pause, stall and close early, and it records
// the request it received. POSIX only: the Windows tests reach it from Wine.

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "script.h"

namespace testing_support {

class ScriptedServer {
public:
    // Listens on 127.0.0.1:`port` (0: any free port). With a `record_folder`,
    // every request head is also written there, to RequestFileName(target).
    explicit ScriptedServer(std::vector<Script> scripts, std::uint16_t port = 0, std::string record_folder = {});
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    std::uint16_t Port() const { return port_; }
    // The port that "{other_port}" stands for in the replies.
    void SetOtherPort(std::uint16_t port) { other_port_ = port; }
    // The last request head received for `target` (empty if none).
    std::string RequestFor(const std::string& target) const;

private:
    void Serve();
    void Answer(int connection);
    bool Sleep(int milliseconds) const;

    std::map<std::string, std::vector<ReplyStep>> scripts_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<std::uint16_t> other_port_{0};
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::map<std::string, std::string> received_;
    std::string record_folder_;
    std::thread thread_;
};

}  // namespace testing_support
