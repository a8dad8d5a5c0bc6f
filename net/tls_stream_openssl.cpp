#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include "errors.h"
#include "tls_stream.h"

namespace net {

namespace {

std::string OpenSslErrors() {
    std::string text;
    while (const unsigned long code = ERR_get_error()) {
        char buffer[256];
        ERR_error_string_n(code, buffer, sizeof buffer);
        if (!text.empty()) text += "; ";
        text += buffer;
    }
    return text.empty() ? "no further detail" : text;
}

// What a failed certificate check means to the user.
std::string CertificateFault(long result) {
    switch (result) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return "the server's certificate has expired";
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return "the server's certificate is not valid yet";
    case X509_V_ERR_HOSTNAME_MISMATCH:
        return "the server's certificate is for another name";
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        return "the server's certificate is not trusted";
    default:
        return std::string("the server's certificate was refused: ") + X509_verify_cert_error_string(result);
    }
}

}  // namespace

struct TlsStream::Channel {
    ByteStream& transport;
    std::string host;
    SSL_CTX* context = nullptr;
    SSL* ssl = nullptr;
    BIO* network_in = nullptr;   // bytes from the server, for OpenSSL
    BIO* network_out = nullptr;  // bytes from OpenSSL, for the server

    Channel(ByteStream& t, std::string h) : transport(t), host(std::move(h)) {}
    ~Channel() {
        if (ssl) SSL_free(ssl);  // frees the BIOs too
        if (context) SSL_CTX_free(context);
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw EclSocketError("Secure connection to " + host + " failed: " + what);
    }

    void SendPending() {
        char buffer[16384];
        int count;
        while ((count = BIO_read(network_out, buffer, sizeof buffer)) > 0) {
            transport.Write(std::string_view(buffer, static_cast<std::size_t>(count)));
        }
    }

    // Moves bytes from the connection to OpenSSL; false when the server closed it.
    bool ReceiveMore() {
        char buffer[16384];
        const std::size_t count = transport.Read(buffer, sizeof buffer);
        if (count == 0) return false;
        BIO_write(network_in, buffer, static_cast<int>(count));
        return true;
    }

    // Runs an OpenSSL call until it completes, feeding it the connection.
    // Returns its result; 0 means the peer closed the channel.
    template <typename Call>
    int Drive(Call call, const char* during) {
        for (;;) {
            ERR_clear_error();
            const int result = call();
            SendPending();
            if (result > 0) return result;
            const int error = SSL_get_error(ssl, result);
            if (error == SSL_ERROR_ZERO_RETURN) return 0;
            if (error == SSL_ERROR_WANT_WRITE) continue;
            if (error != SSL_ERROR_WANT_READ) {
                const long verify = SSL_get_verify_result(ssl);
                if (verify != X509_V_OK) Fail(CertificateFault(verify));
                Fail(std::string(during) + ": " + OpenSslErrors());
            }
            if (!ReceiveMore()) {
                if (SSL_is_init_finished(ssl)) return 0;
                Fail(std::string("the server closed the connection during the ") + during);
            }
        }
    }
};

TlsStream::TlsStream(ByteStream& transport, const std::string& host, const TlsSettings& settings)
    : channel_(std::make_unique<Channel>(transport, host)) {
    Channel& c = *channel_;
    c.context = SSL_CTX_new(TLS_client_method());
    if (!c.context) c.Fail(OpenSslErrors());
    SSL_CTX_set_min_proto_version(c.context, TLS1_2_VERSION);
    SSL_CTX_set_verify(c.context, SSL_VERIFY_PEER, nullptr);
    if (SSL_CTX_set_default_verify_paths(c.context) != 1) c.Fail("no trusted certificates: " + OpenSslErrors());
    if (!settings.extra_trust_file.empty() &&
        SSL_CTX_load_verify_locations(c.context, settings.extra_trust_file.c_str(), nullptr) != 1) {
        c.Fail("cannot load " + settings.extra_trust_file + ": " + OpenSslErrors());
    }
    c.ssl = SSL_new(c.context);
    c.network_in = BIO_new(BIO_s_mem());
    c.network_out = BIO_new(BIO_s_mem());
    SSL_set_bio(c.ssl, c.network_in, c.network_out);
    SSL_set_connect_state(c.ssl);
    SSL_set_tlsext_host_name(c.ssl, host.c_str());  // SNI
    if (SSL_set1_host(c.ssl, host.c_str()) != 1) c.Fail("cannot check the name " + host);
    c.Drive([&] { return SSL_do_handshake(c.ssl); }, "handshake");
}

TlsStream::~TlsStream() = default;

std::size_t TlsStream::Read(char* buffer, std::size_t max) {
    Channel& c = *channel_;
    const int count = c.Drive([&] { return SSL_read(c.ssl, buffer, static_cast<int>(std::min<std::size_t>(max, 1 << 30))); },
                              "transfer");
    return static_cast<std::size_t>(count);
}

void TlsStream::Write(std::string_view bytes) {
    Channel& c = *channel_;
    while (!bytes.empty()) {
        const int count = c.Drive(
            [&] { return SSL_write(c.ssl, bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 30))); },
            "transfer");
        if (count == 0) c.Fail("the server closed the secure channel");
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
}

}  // namespace net
