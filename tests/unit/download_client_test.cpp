// The download client against the scripted server: natively with the server
// in this process, under Wine against the server program the test run starts.
#include "http_download.h"

#include <gtest/gtest.h>

#include <cctype>
#include <thread>

#include "download_scenarios.h"
#include "errors.h"
#include "scenario_servers.h"


namespace {

using testing_support::DownloadScenario;
using testing_support::ProgressEvent;

using testing_support::ScenarioUrl;

struct Outcome {
    std::string written;
    std::vector<ProgressEvent> events;
    std::string error;
};

Outcome Download(const std::string& url, net::DownloadSettings settings = {}) {
    Outcome outcome;
    net::HttpDownloadClient client(std::move(settings));
    try {
        client.Get(
            url, [&](std::string_view bytes) { outcome.written.append(bytes); },
            [&](std::int64_t received, std::int64_t total) { outcome.events.emplace_back(received, total); });
    } catch (const std::exception& error) {
        outcome.error = error.what();
    }
    return outcome;
}

class DownloadScenarioTest : public testing::TestWithParam<DownloadScenario> {};

TEST_P(DownloadScenarioTest, WritesReportsAndFailsAsScripted) {
    const DownloadScenario& scenario = GetParam();
    net::DownloadSettings settings;
    settings.wait.timeout = std::chrono::milliseconds(scenario.timeout_ms);
    const Outcome outcome = Download(ScenarioUrl(scenario.target), settings);

    EXPECT_EQ(outcome.error, scenario.error);
    if (scenario.body) {
        EXPECT_EQ(outcome.written, *scenario.body);
    }
    if (scenario.events) {
        EXPECT_EQ(outcome.events, *scenario.events);
    } else {
        // Blocks as they happen to arrive: rising counts against one total.
        for (std::size_t i = 1; i < outcome.events.size(); ++i) {
            EXPECT_GT(outcome.events[i].first, outcome.events[i - 1].first);
            EXPECT_EQ(outcome.events[i].second, outcome.events[0].second);
        }
    }
    if (scenario.error.empty()) {
        ASSERT_FALSE(outcome.events.empty());
        EXPECT_EQ(outcome.events.back().first, outcome.events.back().second) << "the bar does not fill";
    }
}

INSTANTIATE_TEST_SUITE_P(Scripted, DownloadScenarioTest, testing::ValuesIn(testing_support::DownloadScenarios()),
                         [](const testing::TestParamInfo<DownloadScenario>& param) {
                             std::string name = param.param.name;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

TEST(DownloadClient, SendsExactlyTheRequest) {
    ASSERT_EQ(Download(ScenarioUrl("/length")).error, "");
    EXPECT_EQ(testing_support::ScenarioRequest("/length"),
              testing_support::ExpectedRequest("/length", testing_support::ScenarioPort()));
}

TEST(DownloadClient, LargeBodyArrivesInBlocksWithOneCompletion) {
    const Outcome outcome = Download(ScenarioUrl("/length-blocks"));
    ASSERT_EQ(outcome.error, "");
    ASSERT_GE(outcome.events.size(), 3u);  // 20000 bytes in reads of at most 8192
    for (const ProgressEvent& event : outcome.events) EXPECT_EQ(event.second, 20000);
    for (std::size_t i = 0; i + 1 < outcome.events.size(); ++i) EXPECT_LT(outcome.events[i].first, 20000);
}

TEST(DownloadClient, ConnectionRefusedIsASocketError) {
    net::HttpDownloadClient client;
    try {
        client.Get("http://127.0.0.1:1/", [](std::string_view) {}, [](std::int64_t, std::int64_t) {});  // port 1: nobody
        FAIL() << "no failure";
    } catch (const net::EclSocketError& error) {
        EXPECT_NE(error.ErrorCode(), 0);
        EXPECT_FALSE(std::string(error.what()).empty());
    }
}

#ifndef _WIN32
// Time spent in the caller's message handling counts toward the time-out.
TEST(DownloadClient, WakeTimeCountsTowardTimeOut) {
    net::DownloadSettings settings;
    settings.wait.timeout = std::chrono::milliseconds(1000);
    int wakes = 0;
    settings.wait.on_wake = [&] {
        ++wakes;
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
    };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Download(ScenarioUrl("/stall-before-reply"), settings).error, "Timeout error occured");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_GE(wakes, 2);
}
#endif

}  // namespace
