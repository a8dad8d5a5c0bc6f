// selvane-fetch: fetches one URL into a file the way the launcher fetches its
// target program, so the download path can be tried against real servers and
// measured.

#include <chrono>
#include <cstdio>
#include <exception>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

#include "http_download.h"
#include "progress_line.h"
#include "replacement_file.h"

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr char kHelp[] =
    "Usage: selvane-fetch [options] URL FILE\n"
    "\n"
    "Fetches URL (http or https) into FILE, following redirects and undoing gzip\n"
    "or deflate coding. The body goes into FILE.download first, which takes\n"
    "FILE's place only once it is complete; on failure FILE stays as it was.\n"
    "\n"
    "Options:\n"
    "  -q, --quiet          no progress line\n"
    "  -t, --timeout SECS   longest wait for the network, each time (default 60)\n"
    "      --trust-ca FILE  also trust the certificate authorities in FILE (PEM),\n"
    "                       for tests and benchmarks against servers with a test\n"
    "                       authority; accepted but without effect on Windows,\n"
    "                       which trusts its own certificate store only\n"
    "  -h, --help           this text\n"
    "\n"
    "Exit status: 0 when FILE is complete, 1 when the download failed, 2 for a\n"
    "command line that cannot be used.\n";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Options {
    bool help = false;
    bool quiet = false;
    std::chrono::milliseconds timeout{60000};
    std::string trust_ca;
    std::string url;
    std::string file;
};

std::chrono::milliseconds ParseTimeout(const std::string& text) {
    std::size_t used = 0;
    double seconds = 0;
    try {
        seconds = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || !(seconds > 0) || seconds > 86400) {
        throw UsageError("the time-out must be a number of seconds above 0, not \"" + text + "\"");
    }
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
}

Options ParseArguments(int argc, char** argv) {
    Options options;
    std::string* positional[] = {&options.url, &options.file};
    std::size_t positionals = 0;
    bool options_end = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!options_end && argument == "--") {
            options_end = true;
        } else if (!options_end && (argument == "-h" || argument == "--help")) {
            options.help = true;
        } else if (!options_end && (argument == "-q" || argument == "--quiet")) {
            options.quiet = true;
        } else if (!options_end && (argument == "-t" || argument == "--timeout")) {
            if (i + 1 == argc) throw UsageError(argument + " needs a number of seconds");
            options.timeout = ParseTimeout(argv[++i]);
        } else if (!options_end && argument == "--trust-ca") {
            if (i + 1 == argc) throw UsageError(argument + " needs a file");
            options.trust_ca = argv[++i];
        } else if (!options_end && argument.size() > 1 && argument[0] == '-') {
            throw UsageError("unknown option " + argument);
        } else if (positionals < std::size(positional)) {
            *positional[positionals++] = argument;
        } else {
            throw UsageError("too many arguments");
        }
    }
    if (!options.help && positionals < std::size(positional)) throw UsageError("a URL and a FILE are needed");
    return options;
}

int Fetch(const Options& options) {
    net::DownloadSettings settings;
    settings.wait.timeout = options.timeout;
    settings.tls.extra_trust_file = options.trust_ca;  // the Windows channel ignores it
    net::HttpDownloadClient client(settings);
    tools::ProgressLine progress(stderr);
    // As the launcher writes its target: FILE is replaced only by a complete
    // body, and a file that cannot be replaced fails before any request.
    platform::ReplacementFile file(options.file);
    try {
        client.Get(
            options.url, [&](std::string_view bytes) { file.Write(bytes); },
            [&](std::int64_t received, std::int64_t total) {
                if (!options.quiet) progress.Update(received, total);
            });
        client.Close();
        file.Commit();
    } catch (...) {
        progress.Finish();
        throw;
    }
    progress.Finish();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        options = ParseArguments(argc, argv);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "selvane-fetch: %s\nTry 'selvane-fetch --help'.\n", error.what());
        return kUsage;
    }
    if (options.help) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    try {
        return Fetch(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "selvane-fetch: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "selvane-fetch: the download failed for an unknown reason\n");
    }
    return kFailed;
}
