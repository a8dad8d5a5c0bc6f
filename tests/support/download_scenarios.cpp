#include "download_scenarios.h"

#include "compression.h"

#include <cstdio>

namespace testing_support {

namespace {

using Step = ReplyStep;

std::string Head(const std::string& status, const std::string& fields = "") {
    return "HTTP/1.1 " + status + "\r\n" + fields + "\r\n";
}

std::string Length(std::size_t n) { return "Content-Length: " + std::to_string(n) + "\r\n"; }

// A body that does not repeat quickly, so a misplaced block shows.
std::string Pattern(std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
    return data;
}

std::string Chunked(const std::string& data, std::size_t piece) {
    std::string out;
    for (std::size_t at = 0; at < data.size(); at += piece) {
        const std::string part = data.substr(at, piece);
        char size[32];
        std::snprintf(size, sizeof size, "%zx", part.size());
        out += std::string(size) + "\r\n" + part + "\r\n";
    }
    return out + "0\r\n\r\n";
}

Script Reply(const std::string& target, const std::string& bytes) { return {target, {Step::Send(bytes)}}; }

// One server reply in one piece: its body arrives with its header.
DownloadScenario Single(const std::string& name, const std::string& reply, std::optional<std::string> body,
                        std::string error, std::optional<std::vector<ProgressEvent>> events) {
    const std::string target = "/" + name;
    return {name, target, {Reply(target, reply)}, {}, std::move(body), std::move(error), std::move(events)};
}

DownloadScenario Success(const std::string& name, const std::string& reply, const std::string& body,
                         std::vector<ProgressEvent> events) {
    return Single(name, reply, body, "", std::move(events));
}

DownloadScenario Failure(const std::string& name, const std::string& reply, const std::string& error) {
    return Single(name, reply, std::nullopt, error, std::vector<ProgressEvent>{});
}

std::int64_t Size(const std::string& s) { return static_cast<std::int64_t>(s.size()); }

DownloadScenario RedirectChain(const std::string& name, int redirects, std::string error) {
    DownloadScenario scenario{name, "/" + name + "/0", {}, {}, std::nullopt, std::move(error), std::nullopt};
    for (int i = 0; i < redirects; ++i) {
        scenario.scripts.push_back(Reply("/" + name + "/" + std::to_string(i),
                                         Head("302 Found", "Location: /" + name + "/" + std::to_string(i + 1) + "\r\n" +
                                                               Length(0))));
    }
    scenario.scripts.push_back(Reply("/" + name + "/" + std::to_string(redirects), Head("200 OK", Length(2)) + "ok"));
    if (scenario.error.empty()) {
        scenario.body = "ok";
        scenario.events = std::vector<ProgressEvent>{{2, 2}};
    }
    return scenario;
}

}  // namespace

std::string ExpectedRequest(const std::string& target, std::uint16_t port) {
    return "GET " + target + " HTTP/1.1\r\n"
           "Accept: */*\r\n"
           "Accept-Encoding: gzip, deflate\r\n"
           "Host: 127.0.0.1:" + std::to_string(port) + "\r\n"
           "User-Agent: Mozilla/4.0 (compatible; Clever Internet Suite 6.2)\r\n"
           "Connection: Keep-Alive\r\n"
           "\r\n";
}

std::vector<DownloadScenario> DownloadScenarios() {
    const std::string text = "The quick brown fox jumps over the lazy dog. ";
    const std::string large = Pattern(20000);
    const std::string gzip_text = Gzip(text + text + text);
    const std::string chunked = Chunked(text, 10);
    std::vector<DownloadScenario> s;

    // Bodies framed by length, in one piece and in several.
    s.push_back(Success("length", Head("200 OK", Length(5)) + "hello", "hello", {{5, 5}}));
    s.push_back(Success("length-zero", Head("200 OK", Length(0)), "", {{0, 0}}));
    s.push_back(Success("more-than-announced", Head("200 OK", Length(5)) + "helloEXTRA", "hello", {{5, 5}}));
    s.push_back({"length-blocks", "/length-blocks",
                 {{"/length-blocks",
                   {Step::Send(Head("200 OK", Length(large.size()))), Step::Pause(150), Step::Send(large.substr(0, 9000)),
                    Step::Pause(150), Step::Send(large.substr(9000, 9000)), Step::Pause(150),
                    Step::Send(large.substr(18000))}}},
                 {}, large, "", std::nullopt});
    s.push_back(Success("accepted-status", Head("203 Non-Authoritative Information", Length(2)) + "ok", "ok", {{2, 2}}));

    // Bodies without a length: chunked (with extensions and trailers), or until the close.
    const std::string extensions = "5;name=value\r\nhello\r\n6\r\n world\r\n0\r\nX-Trailer: yes\r\n\r\n";
    s.push_back(Success("chunked", Head("200 OK", "Transfer-Encoding: chunked\r\n") + extensions, "hello world",
                        {{Size(extensions), -1}, {Size(extensions), Size(extensions)}}));
    s.push_back(Success("chunked-many", Head("200 OK", "Transfer-Encoding: chunked\r\n") + chunked, text,
                        {{Size(chunked), -1}, {Size(chunked), Size(chunked)}}));
    s.push_back(Success("until-close", Head("200 OK") + text, text, {{Size(text), -1}, {Size(text), Size(text)}}));

    // Content codings.
    s.push_back(Success("gzip", Head("200 OK", "Content-Encoding: gzip\r\n" + Length(gzip_text.size())) + gzip_text,
                        text + text + text, {{Size(gzip_text), Size(gzip_text)}}));
    const std::string gzip_fields = Gzip(text, {true, true, true, true, false, false});
    s.push_back(Success("gzip-header-fields",
                        Head("200 OK", "Content-Encoding: x-gzip\r\n" + Length(gzip_fields.size())) + gzip_fields, text,
                        {{Size(gzip_fields), Size(gzip_fields)}}));
    const std::string gzip_chunked = Chunked(gzip_text, 16);
    s.push_back(Success("gzip-chunked",
                        Head("200 OK", "Content-Encoding: gzip\r\nTransfer-Encoding: chunked\r\n") + gzip_chunked,
                        text + text + text, {{Size(gzip_chunked), -1}, {Size(gzip_chunked), Size(gzip_chunked)}}));
    const std::string members = Gzip("first member, ") + Gzip("second member");
    s.push_back(Success("gzip-members", Head("200 OK", "Content-Encoding: gzip\r\n" + Length(members.size())) + members,
                        "first member, second member", {{Size(members), Size(members)}}));
    const std::string zlib_text = ZlibDeflate(text);
    s.push_back(Success("deflate-zlib", Head("200 OK", "Content-Encoding: deflate\r\n" + Length(zlib_text.size())) + zlib_text,
                        text, {{Size(zlib_text), Size(zlib_text)}}));
    const std::string raw_text = RawDeflate(text);
    s.push_back(Success("deflate-raw", Head("200 OK", "Content-Encoding: deflate\r\n" + Length(raw_text.size())) + raw_text,
                        text, {{Size(raw_text), Size(raw_text)}}));
    const std::string twice = Gzip(ZlibDeflate(text));
    s.push_back(Success("two-codings", Head("200 OK", "Content-Encoding: deflate, gzip\r\n" + Length(twice.size())) + twice,
                        text, {{Size(twice), Size(twice)}}));
    const std::string bad_crc = Gzip(text, {.bad_crc = true});
    s.push_back(Failure("gzip-bad-crc", Head("200 OK", "Content-Encoding: gzip\r\n" + Length(bad_crc.size())) + bad_crc,
                        "Uncompressing error - invalid crc"));
    const std::string bad_size = Gzip(text, {.bad_size = true});
    s.push_back(Failure("gzip-bad-size", Head("200 OK", "Content-Encoding: gzip\r\n" + Length(bad_size.size())) + bad_size,
                        "Uncompressing error - invalid data size"));
    s.push_back(Failure("gzip-bad-header", Head("200 OK", "Content-Encoding: gzip\r\n" + Length(5)) + "hello",
                        "Uncompressing error - incorrect header check"));
    const std::string cut = gzip_text.substr(0, gzip_text.size() - 6);
    s.push_back(Single("gzip-cut-short", Head("200 OK", "Content-Encoding: gzip\r\n" + Length(cut.size())) + cut,
                       std::nullopt, "Uncompressing error - unexpected end of compressed data",
                       std::vector<ProgressEvent>{}));
    s.push_back(Failure("unknown-coding", Head("200 OK", "Content-Encoding: br\r\n" + Length(5)) + "hello",
                        "Uncompressing error - unsupported content coding \"br\""));

    // Redirects.
    s.push_back({"redirect-relative", "/dir/redirect-relative",
                 {Reply("/dir/redirect-relative", Head("302 Found", "Location: ../files/target?x=1\r\n" + Length(0))),
                  Reply("/files/target?x=1", Head("200 OK", Length(2)) + "ok")},
                 {}, "ok", "", std::vector<ProgressEvent>{{2, 2}}});
    s.push_back({"redirect-absolute", "/redirect-absolute",
                 {Reply("/redirect-absolute",
                        Head("301 Moved Permanently", "Location: http://127.0.0.1:{port}/moved\r\n" + Length(0))),
                  Reply("/moved", Head("200 OK", Length(2)) + "ok")},
                 {}, "ok", "", std::vector<ProgressEvent>{{2, 2}}});
    s.push_back({"redirect-other-port", "/redirect-other-port",
                 {Reply("/redirect-other-port",
                        Head("307 Temporary Redirect", "Location: http://127.0.0.1:{other_port}/elsewhere\r\n" + Length(0)))},
                 {Reply("/elsewhere", Head("200 OK", Length(2)) + "ok")}, "ok", "", std::vector<ProgressEvent>{{2, 2}}});
    s.push_back({"redirect-with-body", "/redirect-with-body",
                 {Reply("/redirect-with-body", Head("302 Found", "Location: /after-body\r\n" + Length(11)) + "moved here!"),
                  Reply("/after-body", Head("200 OK", Length(4)) + "done")},
                 {}, "done", "", std::vector<ProgressEvent>{{4, 4}}});
    s.push_back(RedirectChain("redirects-15", 15, ""));
    s.push_back(RedirectChain("redirects-16", 16, "HTTP/1.1 302 Found"));
    s.push_back(Failure("redirect-without-location", Head("303 See Other", Length(0)), "HTTP/1.1 303 See Other"));

    // Replies that are not the file.
    s.push_back(Failure("not-found",
                        Head("404 Not Found", "Content-Type: text/html\r\n" + Length(22)) + "<html>not found</html>",
                        "HTTP/1.1 404 Not Found"));
    s.push_back(Failure("unauthorized", Head("401 Unauthorized", "WWW-Authenticate: Basic realm=\"x\"\r\n" + Length(0)),
                        "HTTP/1.1 401 Unauthorized"));
    s.push_back(Failure("not-modified", Head("304 Not Modified"), "HTTP/1.1 304 Not Modified"));
    // A 204 has no body even without a length: nothing to wait for.
    s.push_back({"no-content", "/no-content", {{"/no-content", {Step::Send(Head("204 No Content")), Step::Stall()}}}, {},
                 "", "", std::vector<ProgressEvent>{{0, 0}}, 2000});
    s.push_back(Success("interim-replies",
                        Head("100 Continue") + Head("103 Early Hints", "Link: </x>\r\n") + Head("200 OK", Length(2)) + "ok",
                        "ok", {{2, 2}}));

    // Broken and hostile replies.
    s.push_back({"stall", "/stall", {{"/stall", {Step::Send(Head("200 OK", Length(10)) + "abc"), Step::Stall()}}}, {},
                 std::nullopt, "Timeout error occured", std::nullopt, 500});
    s.push_back({"stall-before-reply", "/stall-before-reply", {{"/stall-before-reply", {Step::Stall()}}}, {},
                 std::nullopt, "Timeout error occured", std::vector<ProgressEvent>{}, 500});
    s.push_back(Single("close-mid-body", Head("200 OK", Length(100)) + "only a part", std::nullopt,
                       "The connection was closed before the whole body had arrived",
                       std::vector<ProgressEvent>{{11, 100}}));
    s.push_back(Single("close-mid-chunk", Head("200 OK", "Transfer-Encoding: chunked\r\n") + "10\r\nonly", std::nullopt,
                       "The connection was closed before the whole body had arrived",
                       std::vector<ProgressEvent>{{8, -1}}));
    s.push_back(Failure("close-before-reply", "", "The server closed the connection without a reply"));
    s.push_back(Failure("conflicting-length", Head("200 OK", Length(5) + Length(6)) + "hello!",
                        "The server's reply has conflicting Content-Length values"));
    s.push_back(Failure("malformed-length", Head("200 OK", "Content-Length: 5x\r\n") + "hello",
                        "The server's reply has an invalid Content-Length \"5x\""));
    s.push_back(Failure("negative-length", Head("200 OK", "Content-Length: -1\r\n") + "hello",
                        "The server's reply has an invalid Content-Length \"-1\""));
    s.push_back(Failure("huge-length", Head("200 OK", "Content-Length: 99999999999999999999\r\n") + "hello",
                        "The server's reply has an invalid Content-Length \"99999999999999999999\""));
    s.push_back(Failure("chunk-size-overflow",
                        Head("200 OK", "Transfer-Encoding: chunked\r\n") + "fffffffffffffffff\r\nhello\r\n0\r\n\r\n",
                        "The server sent a chunk size that is too large"));
    s.push_back(Failure("header-line-too-long", Head("200 OK", "X-Long: " + std::string(9000, 'x') + "\r\n"),
                        "A line of the reply header is longer than 8192 bytes"));
    std::string many_fields;
    for (int i = 0; i < 101; ++i) many_fields += "X-Field-" + std::to_string(i) + ": 1\r\n";
    s.push_back(Failure("too-many-header-fields", Head("200 OK", many_fields), "The server's reply header is too large"));
    s.push_back(Failure("not-http", "SSH-2.0-OpenSSH\r\n\r\n", "The server's reply does not start with an HTTP/1.x status line"));
    return s;
}

std::vector<Script> AllScripts(const std::vector<DownloadScenario>& scenarios) {
    std::vector<Script> scripts;
    for (const DownloadScenario& scenario : scenarios) {
        scripts.insert(scripts.end(), scenario.scripts.begin(), scenario.scripts.end());
    }
    return scripts;
}

std::vector<Script> AllOtherScripts(const std::vector<DownloadScenario>& scenarios) {
    std::vector<Script> scripts;
    for (const DownloadScenario& scenario : scenarios) {
        scripts.insert(scripts.end(), scenario.other_scripts.begin(), scenario.other_scripts.end());
    }
    return scripts;
}

}  // namespace testing_support
