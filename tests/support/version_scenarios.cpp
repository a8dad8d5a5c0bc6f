#include "version_scenarios.h"

#include <cstdio>

namespace testing_support {

namespace {

using Step = ReplyStep;

VersionScenario Answer(const std::string& name, const std::string& reply, std::optional<std::string> record,
                       std::string error = "") {
    return {name, {Step::Send(reply)}, std::move(record), std::move(error)};
}

}  // namespace

std::vector<VersionScenario> VersionScenarios() {
    const std::string record = "1.0.2|http://127.0.0.1/files/app.exe|app.exe";
    const std::string korean = "2\xB9\xF6\xC0\xFC|http://h/\xC7\xD1.exe|\xC7\xD1\xB1\xDB.exe\r\n";
    const std::string length = "Content-Length: " + std::to_string(record.size()) + "\r\n";
    char rest_size[16];
    std::snprintf(rest_size, sizeof rest_size, "%zx", record.size() - 6);
    const std::string gzip_start("\x1F\x8B\x08\x00", 4);
    return {
        Answer("length", "HTTP/1.1 200 OK\r\n" + length + "\r\n" + record, record),
        Answer("chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n6\r\n1.0.2|\r\n" +
                              std::string(rest_size) + "\r\n" + record.substr(6) + "\r\n0\r\n\r\n",
               record),
        Answer("until-close", "HTTP/1.0 200 OK\r\n\r\n" + korean, korean),
        Answer("early-close-keeps-what-arrived", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + record, record),
        {"no-content", {Step::Send("HTTP/1.1 204 No Content\r\n\r\n"), Step::Stall()}, "", "", 2000},
        Answer("empty-body", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", ""),
        Answer("continue-first", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\n" + length + "\r\n" + record, record),
        Answer("gzip-not-decoded", "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 4\r\n\r\n" + gzip_start,
               gzip_start),
        Answer("empty-location-is-no-redirect", "HTTP/1.1 200 OK\r\nLocation: \r\nContent-Length: 2\r\n\r\nok", "ok"),
        Answer("not-found", "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found", std::nullopt,
               "HTTP/1.1 404 Not Found"),
        Answer("redirect-not-followed", "HTTP/1.1 302 Found\r\nLocation: http://elsewhere/\r\nContent-Length: 0\r\n\r\n",
               std::nullopt, "HTTP/1.1 302 Found"),
        Answer("success-with-location", "HTTP/1.1 200 OK\r\nLocation: /x\r\nContent-Length: 2\r\n\r\nok", std::nullopt,
               "HTTP/1.1 200 OK"),
        Answer("other-interim-reply", "HTTP/1.1 103 Early Hints\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok",
               std::nullopt, "HTTP/1.1 103 Early Hints"),
        Answer("server-error", "HTTP/1.1 500 Internal Server Error\r\n\r\n", std::nullopt,
               "HTTP/1.1 500 Internal Server Error"),
        Answer("closed-before-reply", "", std::nullopt, "Connection Closed Gracefully."),
        Answer("closed-inside-status-line", "HTTP/1.1 20", std::nullopt, "Connection Closed Gracefully."),
        {"silent-server", {Step::Stall()}, std::nullopt, "Socket Error # {timed out}", 500},
    };
}

}  // namespace testing_support
