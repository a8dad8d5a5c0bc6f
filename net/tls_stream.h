#pragma once
// A TLS channel over a connection, for https downloads: TLS 1.2 or newer, the
// server's certificate chain checked against the system's trusted roots and
// its name against the host. On Windows through Schannel, elsewhere OpenSSL.

#include <memory>
#include <string>

#include "byte_stream.h"

namespace net {

struct TlsSettings {
    // A PEM file of certificate authorities to trust besides the system's.
    // For tests only: the launcher never sets it. Ignored on Windows, where
    // the system's certificate store decides.
    std::string extra_trust_file;
};

class TlsStream : public ByteStream {
public:
    // Performs the handshake with `host` over `transport`, whose waits and
    // time-outs apply to every step. Throws EclSocketError saying what failed.
    TlsStream(ByteStream& transport, const std::string& host, const TlsSettings& settings);
    ~TlsStream() override;
    TlsStream(const TlsStream&) = delete;
    TlsStream& operator=(const TlsStream&) = delete;

    std::size_t Read(char* buffer, std::size_t max) override;
    void Write(std::string_view bytes) override;

private:
    struct Channel;
    std::unique_ptr<Channel> channel_;
};

}  // namespace net
