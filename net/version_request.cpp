#include "version_request.h"

#include <cerrno>
#include <map>

#include "body_framing.h"
#include "body_reader.h"
#include "errors.h"
#include "reply_head.h"
#include "stream_reader.h"
#include "tcp_connection.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#endif

namespace net {

namespace {

// A version-info record is a line of text; anything this long is not one.
constexpr std::size_t kMaxRecord = 1024 * 1024;

// The texts users of the launcher know for the common failures; other codes
// keep the system's own text.
const std::map<int, const char*>& KnownTexts() {
#ifdef _WIN32
    static const std::map<int, const char*> texts = {
        {WSAHOST_NOT_FOUND, "Host not found."},       {WSAECONNREFUSED, "Connection refused."},
        {WSAETIMEDOUT, "Connection timed out."},      {WSAENETUNREACH, "Network is unreachable."},
        {WSAEHOSTUNREACH, "No route to host."},       {WSAECONNRESET, "Connection reset by peer."},
    };
#else
    static const std::map<int, const char*> texts = {
        {EAI_NONAME, "Host not found."},         {EAI_NODATA, "Host not found."},
        {ECONNREFUSED, "Connection refused."},   {ETIMEDOUT, "Connection timed out."},
        {ENETUNREACH, "Network is unreachable."}, {EHOSTUNREACH, "No route to host."},
        {ECONNRESET, "Connection reset by peer."},
    };
#endif
    return texts;
}

[[noreturn]] void ThrowSocketError(const EclSocketError& error) {
    const auto known = KnownTexts().find(error.ErrorCode());
    throw EVersionRequestError("Socket Error # " + std::to_string(error.ErrorCode()) + "\r\n" +
                               (known != KnownTexts().end() ? known->second : error.what()));
}

std::string ReadRecord(StreamReader& reader, const ReplyHead& head) {
    std::string record;
    // A server that closes before its announced length has sent what it had.
    ReadBody(reader, FramingOf(head), [&](std::string_view payload, std::size_t, bool) {
        record.append(payload);
        if (record.size() > kMaxRecord) throw EVersionRequestError("The update server's reply is too long");
    }, ShortBody::Keep);
    return record;
}

}  // namespace

std::string VersionRequest(const std::string& host) {
    return std::string("GET ") + kVersionPath + " HTTP/1.1\r\n"
           "Content-Type: text/html\r\n"
           "Host: " + host + "\r\n"
           "Accept: text/html, */*\r\n"
           "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
           "\r\n";
}

std::string RequestVersionRecord(const std::string& server, std::chrono::milliseconds timeout) {
    const std::size_t colon = server.rfind(':');
    const std::string host = colon == std::string::npos ? server : server.substr(0, colon);
    const int port = colon == std::string::npos ? 80 : std::stoi(server.substr(colon + 1));
    try {
        // No message dispatch while waiting: the window waits for the answer.
        TcpConnection connection(host, port, WaitSettings{timeout, nullptr});
        connection.Write(VersionRequest(host));
        StreamReader reader(connection, 8192);
        ReplyHead head = ReadReplyHead(reader);
        while (head.status == 100) head = ReadReplyHead(reader);
        const auto location = head.Value("Location");
        if (head.status < 200 || head.status > 299 || (location && !location->empty())) {
            throw EVersionRequestError(head.status_line);
        }
        return ReadRecord(reader, head);
    } catch (const EConnectionClosedBeforeReply&) {
        throw EVersionRequestError("Connection Closed Gracefully.");
    } catch (const EclSocketError& error) {
        if (error.ErrorCode() != 0) ThrowSocketError(error);
        throw;  // a fault of the exchange itself, with the client's own message
    }
}

}  // namespace net
