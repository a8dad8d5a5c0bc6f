// selvane-serve: a small update server for trying the launcher out on one
// machine. It answers the launcher's version request with the record of one
// release and serves that release's file.

#include <httplib.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr char kUsage[] =
    "usage: selvane-serve --folder DIR --version VERSION --file NAME [--port PORT] [--host HOST]\n"
    "\n"
    "Serves one release of a target program to the selvane launcher:\n"
    "  GET /ver_info_new3.php   answers VERSION|http://HOST:PORT/files/NAME|NAME\n"
    "  GET /files/NAME          the file DIR/NAME, with its length; gzip-coded when the\n"
    "                           client accepts gzip and DIR/NAME.gz exists\n"
    "\n"
    "  --folder DIR      the release folder\n"
    "  --version VERSION the release's version\n"
    "  --file NAME       the target program's file name in DIR\n"
    "  --port PORT       port to listen on (default 18473)\n"
    "  --host HOST       address to listen on and to name in the record (default 127.0.0.1)\n"
    "\n"
    "Each request is logged on stderr. Stop it with Ctrl+C.\n";

struct Options {
    fs::path folder;
    std::string version;
    std::string file;
    std::string host = "127.0.0.1";
    int port = 18473;
};

[[noreturn]] void Fail(const std::string& message) {
    std::cerr << "selvane-serve: " << message << "\n";
    std::exit(2);
}

Options Parse(int argc, char** argv) {
    Options options;
    bool have_folder = false, have_version = false, have_file = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            std::exit(0);
        }
        if (i + 1 >= argc) Fail("missing value after " + arg + "\n\n" + kUsage);
        const std::string value = argv[++i];
        if (arg == "--folder") {
            options.folder = value;
            have_folder = true;
        } else if (arg == "--version") {
            options.version = value;
            have_version = true;
        } else if (arg == "--file") {
            options.file = value;
            have_file = true;
        } else if (arg == "--port") {
            try {
                options.port = std::stoi(value);
            } catch (const std::exception&) {
                Fail("not a port: " + value);
            }
            if (options.port < 1 || options.port > 65535) Fail("not a port: " + value);
        } else if (arg == "--host") {
            options.host = value;
        } else {
            Fail("unknown option " + arg + "\n\n" + kUsage);
        }
    }
    if (!have_folder || !have_version || !have_file) Fail(std::string("--folder, --version and --file are needed\n\n") + kUsage);
    if (!fs::is_directory(options.folder)) Fail("no such folder: " + options.folder.string());
    if (!fs::is_regular_file(options.folder / options.file)) {
        Fail("no file " + options.file + " in " + options.folder.string());
    }
    if (options.version.find('|') != std::string::npos || options.file.find('|') != std::string::npos) {
        Fail("the version and the file name cannot hold \"|\"");
    }
    return options;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

bool AcceptsGzip(const httplib::Request& request) {
    return request.get_header_value("Accept-Encoding").find("gzip") != std::string::npos;
}

httplib::Server* running = nullptr;

}  // namespace

int main(int argc, char** argv) {
    const Options options = Parse(argc, argv);
    const std::string record = options.version + "|http://" + options.host + ":" + std::to_string(options.port) +
                               "/files/" + options.file + "|" + options.file;

    httplib::Server server;
    server.Get("/ver_info_new3.php", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(record, "text/html");
    });
    server.Get("/files/(.+)", [&](const httplib::Request& request, httplib::Response& response) {
        if (request.matches[1] != options.file) {
            response.status = 404;
            return;
        }
        const fs::path plain = options.folder / options.file;
        const fs::path coded = fs::path(plain.string() + ".gz");
        if (AcceptsGzip(request) && fs::is_regular_file(coded)) {
            response.set_header("Content-Encoding", "gzip");
            response.set_content(ReadFile(coded), "application/octet-stream");
        } else {
            response.set_content(ReadFile(plain), "application/octet-stream");
        }
    });
    server.set_logger([](const httplib::Request& request, const httplib::Response& response) {
        std::cerr << request.remote_addr << " \"" << request.method << " " << request.path << "\" " << response.status
                  << " " << response.body.size() << (response.has_header("Content-Encoding") ? " gzip" : "") << "\n";
    });

    if (!server.bind_to_port(options.host, options.port)) {
        Fail("cannot listen on " + options.host + ":" + std::to_string(options.port) + " (is the port in use?)");
    }
    running = &server;
    std::signal(SIGINT, [](int) { running->stop(); });
    std::signal(SIGTERM, [](int) { running->stop(); });
    std::cerr << "selvane-serve: release " << options.version << " of " << options.file << " on http://" << options.host
              << ":" << options.port << "\n";
    server.listen_after_bind();
    return 0;
}
