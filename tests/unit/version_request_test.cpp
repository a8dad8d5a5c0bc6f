// The version request against scripted servers, natively and under Wine.
#include "version_request.h"

#include <gtest/gtest.h>

#include "scenario_servers.h"
#include "version_scenarios.h"

#ifdef _WIN32
#include <winsock2.h>
constexpr int kTimedOut = WSAETIMEDOUT;
constexpr int kRefused = WSAECONNREFUSED;
#else
#include <cerrno>
constexpr int kTimedOut = ETIMEDOUT;
constexpr int kRefused = ECONNREFUSED;
#endif

namespace {

using testing_support::VersionScenario;

std::string Server(const std::string& scenario) {
    return "127.0.0.1:" + std::to_string(testing_support::VersionScenarioPort(scenario));
}

class VersionRequestTest : public testing::TestWithParam<VersionScenario> {};

TEST_P(VersionRequestTest, AnswersAsScripted) {
    const VersionScenario& scenario = GetParam();
    std::string expected_error = scenario.error;
    if (expected_error == "Socket Error # {timed out}") {
        expected_error = "Socket Error # " + std::to_string(kTimedOut) + "\r\nConnection timed out.";
    }
    try {
        const std::string record =
            net::RequestVersionRecord(Server(scenario.name), std::chrono::milliseconds(scenario.timeout_ms));
        EXPECT_EQ(expected_error, "") << "no failure";
        EXPECT_EQ(record, scenario.record);
    } catch (const net::EVersionRequestError& error) {
        EXPECT_EQ(error.what(), expected_error);
    }
}

INSTANTIATE_TEST_SUITE_P(Scripted, VersionRequestTest, testing::ValuesIn(testing_support::VersionScenarios()),
                         [](const testing::TestParamInfo<VersionScenario>& param) {
                             std::string name = param.param.name;
                             for (char& c : name) {
                                 if (c == '-') c = '_';
                             }
                             return name;
                         });

TEST(VersionRequest, SendsExactlyTheRequestInOneWrite) {
    ASSERT_NO_THROW(net::RequestVersionRecord(Server("length")));
    EXPECT_EQ(testing_support::VersionScenarioRequest("length"),
              "GET /ver_info_new3.php HTTP/1.1\r\n"
              "Content-Type: text/html\r\n"
              "Host: 127.0.0.1\r\n"
              "Accept: text/html, */*\r\n"
              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
              "\r\n");
}

TEST(VersionRequest, RefusedConnectionIsASocketError) {
    try {
        net::RequestVersionRecord("127.0.0.1:1");  // nobody listens on port 1
        FAIL() << "no failure";
    } catch (const net::EVersionRequestError& error) {
        EXPECT_EQ(error.what(), "Socket Error # " + std::to_string(kRefused) + "\r\nConnection refused.");
    }
}

TEST(VersionRequest, UnknownHostIsASocketError) {
    try {
        net::RequestVersionRecord("no-such-host.invalid");
        FAIL() << "no failure";
    } catch (const net::EVersionRequestError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Socket Error # ", 0), 0u) << error.what();
        EXPECT_NE(std::string(error.what()).find("\r\n"), std::string::npos) << error.what();
    }
}

}  // namespace
