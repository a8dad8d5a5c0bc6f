#include "scripted_server.h"

#include "request_file_name.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <fstream>
#include <stdexcept>

namespace testing_support {

namespace {

constexpr int kPollMs = 20;
constexpr std::size_t kMaxRequest = 64 * 1024;

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

}  // namespace

ScriptedServer::ScriptedServer(std::vector<Script> scripts, std::uint16_t port, std::string record_folder)
    : record_folder_(std::move(record_folder)) {
    for (Script& script : scripts) scripts_[script.target] = std::move(script.steps);
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 16) != 0) {
        ::close(listener_);
        throw std::runtime_error("scripted server: cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

std::string ScriptedServer::RequestFor(const std::string& target) const {
    std::lock_guard lock(mutex_);
    const auto found = received_.find(target);
    return found == received_.end() ? "" : found->second;
}

bool ScriptedServer::Sleep(int milliseconds) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!stopping_ && std::chrono::steady_clock::now() < end) ::poll(nullptr, 0, kPollMs);
    return !stopping_;
}

void ScriptedServer::Serve() {
    while (!stopping_) {
        pollfd entry{listener_, POLLIN, 0};
        if (::poll(&entry, 1, kPollMs) <= 0) continue;
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        Answer(connection);
        ::close(connection);
    }
}

void ScriptedServer::Answer(int connection) {
    // The request head, up to its empty line, within five seconds.
    std::string request;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequest) {
        if (stopping_ || std::chrono::steady_clock::now() > deadline) return;
        pollfd entry{connection, POLLIN, 0};
        if (::poll(&entry, 1, kPollMs) <= 0) continue;
        char buffer[4096];
        const ssize_t count = ::recv(connection, buffer, sizeof buffer, 0);
        if (count <= 0) return;
        request.append(buffer, static_cast<std::size_t>(count));
    }
    const std::size_t first_blank = request.find(' ');
    const std::string target = request.substr(first_blank + 1, request.find(' ', first_blank + 1) - first_blank - 1);
    {
        std::lock_guard lock(mutex_);
        received_[target] = request.substr(0, request.find("\r\n\r\n") + 4);
        if (!record_folder_.empty()) {
            std::ofstream(record_folder_ + "/" + RequestFileName(target), std::ios::binary) << received_[target];
        }
    }

    const auto script = scripts_.find(target);
    if (script == scripts_.end()) {
        const std::string missing = "HTTP/1.1 404 No Script\r\nContent-Length: 0\r\n\r\n";
        ::send(connection, missing.data(), missing.size(), MSG_NOSIGNAL);
        return;
    }
    for (const ReplyStep& step : script->second) {
        switch (step.kind) {
        case ReplyStep::Kind::Send: {
            std::string bytes = Replace(step.bytes, "{port}", std::to_string(port_));
            bytes = Replace(bytes, "{other_port}", std::to_string(other_port_.load()));
            if (::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(bytes.size())) {
                return;
            }
            break;
        }
        case ReplyStep::Kind::Pause:
            if (!Sleep(step.milliseconds)) return;
            break;
        case ReplyStep::Kind::Stall:
            while (!stopping_) {
                pollfd entry{connection, POLLIN, 0};
                char byte;
                if (::poll(&entry, 1, kPollMs) > 0 && ::recv(connection, &byte, 1, 0) <= 0) return;
            }
            return;
        }
    }
}

}  // namespace testing_support
