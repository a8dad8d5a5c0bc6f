#pragma once
// The download client: an HTTP/1.1 GET of a URL, following redirects, whose
// decoded body goes to a sink block by block while progress is reported.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "content_decoding.h"
#include "tcp_connection.h"
#include "tls_stream.h"
#include "url.h"

namespace net {

struct DownloadSettings {
    std::size_t batch_size = 8192;  // largest block read from the connection at once
    int max_redirects = 15;
    WaitSettings wait;              // time-out of each network wait, and the window's messages
    std::string user_agent = "Mozilla/4.0 (compatible; Clever Internet Suite 6.2)";
    TlsSettings tls;                // for https
};

// Bytes of the final reply's body received so far, as they came over the
// connection (before any decoding), and its announced length, or -1 while
// the length is not known. The last event of a body whose length was not
// announced carries the bytes received as the total.
using ProgressHandler = std::function<void(std::int64_t received, std::int64_t total)>;

// The request the client sends for `url`, exactly.
std::string DownloadRequest(const Url& url, const std::string& user_agent);

class HttpDownloadClient {
public:
    explicit HttpDownloadClient(DownloadSettings settings = {});
    ~HttpDownloadClient();

    // GETs `url` (http or https) and writes the decoded body of the final
    // reply, which must have a 2xx status, to `sink`. Redirects from https to
    // http are refused. Each block read goes through the decoders
    // into the sink before its progress event. Fails with EclSocketError,
    // EclHttpError or EclZLibError, or whatever the sink throws.
    void Get(const std::string& url, const ByteSink& sink, const ProgressHandler& progress);
    // Shuts the connection down, if one is open.
    void Close();

private:
    // The connection, and the TLS channel over it for https.
    ByteStream& Open(const Url& url);

    DownloadSettings settings_;
    std::unique_ptr<TcpConnection> connection_;
    std::unique_ptr<TlsStream> tls_;
};

}  // namespace net
