// Secure downloads against nginx on loopback with a test certificate
// authority, natively (OpenSSL, trusting the authority through a test-only
// setting) and under Wine (Schannel, the authority added to the test prefix).
#include "http_download.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "temporary_folder.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

std::string State() {
    const char* state = std::getenv("SELVANE_TLS_TEST_STATE");
    if (!state) throw std::runtime_error("SELVANE_TLS_TEST_STATE is not set");
    return state;
}

std::string ReadFile(const std::string& path) { return testing_support::ReadBytes(path).value_or(""); }

std::string Port(const std::string& server) {
    std::istringstream lines(ReadFile(State() + "/ports"));
    for (std::string name, port; lines >> name >> port;) {
        if (name == server) return port;
    }
    throw std::runtime_error("no server " + server);
}

struct Outcome {
    std::string written;
    std::string error;
    std::int64_t last_received = -2, last_total = -2;
};

Outcome Fetch(const std::string& url, int timeout_ms = 10000) {
    net::DownloadSettings settings;
    settings.wait.timeout = std::chrono::milliseconds(timeout_ms);
    settings.tls.extra_trust_file = State() + "/ca.pem";
    net::HttpDownloadClient client(settings);
    Outcome outcome;
    try {
        client.Get(url, [&](std::string_view bytes) { outcome.written.append(bytes); },
                   [&](std::int64_t received, std::int64_t total) {
                       outcome.last_received = received;
                       outcome.last_total = total;
                   });
    } catch (const std::exception& error) {
        outcome.error = error.what();
    }
    return outcome;
}

struct Case {
    const char* name;
    std::string server;  // whose port the URL names
    std::string url;     // with "{port}" for that port
    std::string file;    // served file the body must equal; empty for a failure
    std::string fault;   // part of the failure's message
};

class TlsDownloadTest : public testing::TestWithParam<Case> {};

TEST_P(TlsDownloadTest, FetchesOrRefuses) {
    const Case& c = GetParam();
    std::string url = c.url;
    url.replace(url.find("{port}"), 6, Port(c.server));
    const Outcome outcome = Fetch(url);
    if (c.file.empty()) {
        EXPECT_NE(outcome.error.find(c.fault), std::string::npos) << outcome.error;
        EXPECT_TRUE(outcome.written.empty());
    } else {
        EXPECT_EQ(outcome.error, "");
        EXPECT_TRUE(outcome.written == ReadFile(State() + "/root/" + c.file)) << "the body differs";
        EXPECT_EQ(outcome.last_received, outcome.last_total) << "the bar does not fill";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Servers, TlsDownloadTest,
    testing::Values(
        Case{"GoodCertificate", "good", "https://localhost:{port}/file.bin", "file.bin", ""},
        Case{"GzipOverTls", "good", "https://localhost:{port}/text.txt", "text.txt", ""},
        Case{"ChunkedOverTls", "good", "https://localhost:{port}/chunked.bin", "chunked.bin", ""},
        Case{"HttpRedirectedToHttps", "http", "http://localhost:{port}/to-https", "file.bin", ""},
        Case{"HttpsRedirectedToHttpRefused", "good", "https://localhost:{port}/to-http", "",
             "redirected to an insecure address"},
        Case{"WrongName", "wrong-name", "https://localhost:{port}/file.bin", "", "certificate is for another name"},
        Case{"Expired", "expired", "https://localhost:{port}/file.bin", "", "certificate has expired"},
        Case{"SelfSigned", "self-signed", "https://localhost:{port}/file.bin", "", "certificate is not trusted"}),
    [](const testing::TestParamInfo<Case>& param) { return param.param.name; });

// A server that takes the connection and never answers the handshake.
TEST(TlsDownload, HandshakeStallTimesOut) {
#ifdef _WIN32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
#else
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
#endif
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const Outcome outcome = Fetch("https://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/", 500);
    EXPECT_EQ(outcome.error, "Timeout error occured");
#ifdef _WIN32
    closesocket(listener);
#else
    close(listener);
#endif
}

}  // namespace
