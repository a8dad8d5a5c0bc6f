#include "http_download.h"

#include "body_framing.h"
#include "body_reader.h"
#include "errors.h"
#include "reply_head.h"
#include "stream_reader.h"
#include "url.h"

namespace net {

namespace {

// How much of a failing reply's body is kept with the failure.
constexpr std::size_t kMaxKeptErrorBody = 64 * 1024;

bool IsRedirect(int status) { return status >= 300 && status <= 399 && status != 304 && status != 305; }

// Reads the rest of a body the client does not write anywhere, keeping at
// most `keep` bytes of it.
std::string ReadUnwantedBody(StreamReader& reader, const ReplyHead& head, std::size_t keep) {
    std::string kept;
    ReadBody(reader, FramingOf(head), [&](std::string_view payload, std::size_t, bool) {
        kept.append(payload.substr(0, keep - std::min(keep, kept.size())));
    });
    return kept;
}

// The content codings to undo, in the order the reply lists them: its
// Content-Encoding, then any transfer coding other than a final "chunked".
std::vector<std::string> CodingsOf(const ReplyHead& head) {
    std::vector<std::string> codings = ListElements(head.Values("Content-Encoding"));
    std::vector<std::string> transfer = ListElements(head.Values("Transfer-Encoding"));
    if (!transfer.empty() && transfer.back() == "chunked") transfer.pop_back();
    codings.insert(codings.end(), transfer.begin(), transfer.end());
    return codings;
}

void ReceiveBody(StreamReader& reader, const ReplyHead& head, const ByteSink& sink, const ProgressHandler& progress) {
    const BodyFraming framing = FramingOf(head);
    // Refuses a coding it cannot undo before a byte is written.
    DecodingPipeline decoding(DecodersFor(CodingsOf(head)), sink);
    const std::int64_t total = framing.kind == Framing::Length ? static_cast<std::int64_t>(framing.length) : -1;
    std::int64_t received = 0;
    bool reported = false;
    bool finished = false;
    ReadBody(reader, framing, [&](std::string_view payload, std::size_t wire_bytes, bool complete) {
        decoding.Write(payload);
        received += static_cast<std::int64_t>(wire_bytes);
        if (complete) {
            // Checked before the event that may fill the bar: it never fills for a broken file.
            decoding.Finish();
            finished = true;
        }
        progress(received, total);
        reported = true;
    });
    if (!finished) decoding.Finish();
    if (total < 0) {
        progress(received, received);  // the length is known now: the bar can fill
    } else if (!reported) {
        progress(total, total);
    }
}

}  // namespace

std::string DownloadRequest(const Url& url, const std::string& user_agent) {
    return "GET " + url.Target() + " HTTP/1.1\r\n"
           "Accept: */*\r\n"
           "Accept-Encoding: gzip, deflate\r\n"
           "Host: " + url.HostHeader() + "\r\n"
           "User-Agent: " + user_agent + "\r\n"
           "Connection: Keep-Alive\r\n"
           "\r\n";
}

HttpDownloadClient::HttpDownloadClient(DownloadSettings settings) : settings_(std::move(settings)) {}

HttpDownloadClient::~HttpDownloadClient() = default;

void HttpDownloadClient::Close() {
    tls_.reset();
    if (connection_) connection_->Close();
    connection_.reset();
}

ByteStream& HttpDownloadClient::Open(const Url& url) {
    Close();
    connection_ = std::make_unique<TcpConnection>(url.host, url.port, settings_.wait);
    if (url.scheme != "https") return *connection_;
    tls_ = std::make_unique<TlsStream>(*connection_, url.host, settings_.tls);
    return *tls_;
}

void HttpDownloadClient::Get(const std::string& url_text, const ByteSink& sink, const ProgressHandler& progress) {
    Url url = ParseUrl(url_text);
    for (int redirects = 0;; ++redirects) {
        ByteStream& stream = Open(url);
        stream.Write(DownloadRequest(url, settings_.user_agent));
        StreamReader reader(stream, settings_.batch_size);

        std::optional<ReplyHead> head;
        do {  // interim 1xx replies are passed over; they are never the file
            head = ReadReplyHead(reader);
        } while (head->status < 200);

        if (IsRedirect(head->status)) {
            const auto location = head->Value("Location");
            if (redirects == settings_.max_redirects || !location || location->empty()) {
                throw EclHttpError(head->status_line, head->status, "");
            }
            Url next;
            try {
                next = ResolveUrl(url, *location);
            } catch (const EclSocketError&) {
                throw EclHttpError(head->status_line, head->status, "");
            }
            // An attacker on the way could force a secure download down to plain http.
            if (url.scheme == "https" && next.scheme != "https") {
                throw EclSocketError("The secure download was redirected to an insecure address, which is refused: " +
                                     next.ToString());
            }
            url = next;
            continue;
        }
        if (head->status >= 400) {
            throw EclHttpError(head->status_line, head->status, ReadUnwantedBody(reader, *head, kMaxKeptErrorBody));
        }
        if (head->status > 299) {  // 304, 305 and the like: nothing to write
            throw EclHttpError(head->status_line, head->status, "");
        }
        ReceiveBody(reader, *head, sink, progress);
        return;
    }
}

}  // namespace net
