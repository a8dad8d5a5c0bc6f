#define SECURITY_WIN32
#include <windows.h>
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include <algorithm>
#include <array>

#include "errors.h"
#include "tls_stream.h"
#include "windows_error.h"

namespace net {

namespace {

constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_EXTENDED_ERROR;

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                           static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(std::max(length, 0)));
    return wide;
}

// What a failed certificate check means to the user.
std::string CertificateFault(DWORD error) {
    switch (error) {
    case static_cast<DWORD>(CERT_E_EXPIRED):
        return "the server's certificate has expired";
    case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
        return "the server's certificate is for another name";
    case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
    case static_cast<DWORD>(CERT_E_CHAINING):
        return "the server's certificate is not trusted";
    default:
        return "the server's certificate was refused: " + platform::SystemErrorText(error);
    }
}

}  // namespace

struct TlsStream::Channel {
    ByteStream& transport;
    std::string host;
    std::wstring wide_host;
    CredHandle credentials{};
    bool have_credentials = false;
    CtxtHandle context{};
    bool have_context = false;
    SecPkgContext_StreamSizes sizes{};
    std::string incoming;  // received, not yet decrypted
    std::string plain;     // decrypted, not yet read
    std::size_t plain_position = 0;
    bool closed = false;

    Channel(ByteStream& t, std::string h) : transport(t), host(std::move(h)), wide_host(Wide(host)) {}
    ~Channel() {
        if (have_context) DeleteSecurityContext(&context);
        if (have_credentials) FreeCredentialsHandle(&credentials);
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw EclSocketError("Secure connection to " + host + " failed: " + what);
    }

    bool ReceiveMore() {
        char buffer[16384];
        const std::size_t count = transport.Read(buffer, sizeof buffer);
        incoming.append(buffer, count);
        return count > 0;
    }

    void SendToken(SecBuffer& token) {
        if (token.cbBuffer > 0 && token.pvBuffer) {
            const std::string bytes(static_cast<const char*>(token.pvBuffer), token.cbBuffer);
            FreeContextBuffer(token.pvBuffer);
            token.pvBuffer = nullptr;
            transport.Write(bytes);
        }
    }

    // The handshake, or its continuation when the server asks for one.
    void Handshake() {
        bool need_input = incoming.empty();
        for (;;) {
            if (need_input && !ReceiveMore()) Fail("the server closed the connection during the handshake");
            std::array<SecBuffer, 2> in{{{static_cast<unsigned long>(incoming.size()), SECBUFFER_TOKEN, incoming.data()},
                                         {0, SECBUFFER_EMPTY, nullptr}}};
            SecBufferDesc in_description{SECBUFFER_VERSION, 2, in.data()};
            SecBuffer out{0, SECBUFFER_TOKEN, nullptr};
            SecBufferDesc out_description{SECBUFFER_VERSION, 1, &out};
            ULONG attributes = 0;
            const SECURITY_STATUS status = InitializeSecurityContextW(
                &credentials, &context, const_cast<wchar_t*>(wide_host.c_str()), kContextFlags, 0, 0, &in_description,
                0, nullptr, &out_description, &attributes, nullptr);
            SendToken(out);
            if (status == SEC_E_INCOMPLETE_MESSAGE) {
                need_input = true;
                continue;
            }
            if (in[1].BufferType == SECBUFFER_EXTRA) {
                incoming.erase(0, incoming.size() - in[1].cbBuffer);
            } else {
                incoming.clear();
            }
            if (status == SEC_E_OK) return;
            if (status != SEC_I_CONTINUE_NEEDED && status != SEC_I_INCOMPLETE_CREDENTIALS) {
                Fail("the handshake failed: " + platform::SystemErrorText(static_cast<DWORD>(status)));
            }
            need_input = incoming.empty();
        }
    }

    void CheckCertificate() {
        PCCERT_CONTEXT certificate = nullptr;
        if (QueryContextAttributesW(&context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK) {
            Fail("the server sent no certificate");
        }
        CERT_CHAIN_PARA chain_parameters{};
        chain_parameters.cbSize = sizeof chain_parameters;
        PCCERT_CHAIN_CONTEXT chain = nullptr;
        const BOOL built = CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore,
                                                   &chain_parameters, 0, nullptr, &chain);
        CertFreeCertificateContext(certificate);
        if (!built) Fail("the server's certificate chain cannot be built: " + platform::SystemErrorText(GetLastError()));

        SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
        ssl.cbSize = sizeof ssl;
        ssl.dwAuthType = AUTHTYPE_SERVER;
        ssl.pwszServerName = const_cast<wchar_t*>(wide_host.c_str());
        CERT_CHAIN_POLICY_PARA policy{};
        policy.cbSize = sizeof policy;
        policy.pvExtraPolicyPara = &ssl;
        CERT_CHAIN_POLICY_STATUS status{};
        status.cbSize = sizeof status;
        const BOOL checked = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status);
        CertFreeCertificateChain(chain);
        if (!checked) Fail("the server's certificate cannot be checked: " + platform::SystemErrorText(GetLastError()));
        if (status.dwError != 0) Fail(CertificateFault(status.dwError));
    }

    // Decrypts what has arrived; false when more bytes are needed first.
    bool Decrypt() {
        std::array<SecBuffer, 4> buffers{{{static_cast<unsigned long>(incoming.size()), SECBUFFER_DATA, incoming.data()},
                                          {0, SECBUFFER_EMPTY, nullptr},
                                          {0, SECBUFFER_EMPTY, nullptr},
                                          {0, SECBUFFER_EMPTY, nullptr}}};
        SecBufferDesc description{SECBUFFER_VERSION, 4, buffers.data()};
        const SECURITY_STATUS status = DecryptMessage(&context, &description, 0, nullptr);
        if (status == SEC_E_INCOMPLETE_MESSAGE) return false;
        if (status == SEC_I_CONTEXT_EXPIRED) {  // the server closed the channel
            closed = true;
            return true;
        }
        if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE) {
            Fail("a message could not be decrypted: " + platform::SystemErrorText(static_cast<DWORD>(status)));
        }
        std::string extra;
        for (const SecBuffer& buffer : buffers) {
            if (buffer.BufferType == SECBUFFER_DATA) plain.append(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
            if (buffer.BufferType == SECBUFFER_EXTRA) extra.assign(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
        }
        incoming = std::move(extra);
        if (status == SEC_I_RENEGOTIATE) Handshake();  // TLS 1.3 tickets and key updates come this way
        return true;
    }
};

TlsStream::TlsStream(ByteStream& transport, const std::string& host, const TlsSettings&)
    : channel_(std::make_unique<Channel>(transport, host)) {
    Channel& c = *channel_;
    SCHANNEL_CRED credentials{};
    credentials.dwVersion = SCHANNEL_CRED_VERSION;
    credentials.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT;
    // The certificate is checked below, against the system's roots and the host name.
    credentials.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
    SECURITY_STATUS status = AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND,
                                                       nullptr, &credentials, nullptr, nullptr, &c.credentials, nullptr);
    if (status != SEC_E_OK) {
        // Systems without TLS 1.3 refuse to hear of it; TLS 1.2 alone then.
        credentials.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
        status = AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND, nullptr,
                                           &credentials, nullptr, nullptr, &c.credentials, nullptr);
    }
    if (status != SEC_E_OK) c.Fail("no TLS support: " + platform::SystemErrorText(static_cast<DWORD>(status)));
    c.have_credentials = true;

    SecBuffer out{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc out_description{SECBUFFER_VERSION, 1, &out};
    ULONG attributes = 0;
    status = InitializeSecurityContextW(&c.credentials, nullptr, const_cast<wchar_t*>(c.wide_host.c_str()),
                                        kContextFlags, 0, 0, nullptr, 0, &c.context, &out_description, &attributes,
                                        nullptr);
    if (status != SEC_I_CONTINUE_NEEDED) {
        c.Fail("the handshake could not start: " + platform::SystemErrorText(static_cast<DWORD>(status)));
    }
    c.have_context = true;
    c.SendToken(out);
    c.Handshake();
    c.CheckCertificate();
    if (QueryContextAttributesW(&c.context, SECPKG_ATTR_STREAM_SIZES, &c.sizes) != SEC_E_OK) {
        c.Fail("the channel's sizes are unknown");
    }
}

TlsStream::~TlsStream() = default;

std::size_t TlsStream::Read(char* buffer, std::size_t max) {
    Channel& c = *channel_;
    while (c.plain_position == c.plain.size()) {
        c.plain.clear();
        c.plain_position = 0;
        if (c.closed) return 0;
        if (c.incoming.empty() || !c.Decrypt()) {
            if (!c.ReceiveMore()) return 0;  // closed without a close notice
        }
    }
    const std::size_t count = std::min(max, c.plain.size() - c.plain_position);
    std::copy_n(c.plain.data() + c.plain_position, count, buffer);
    c.plain_position += count;
    return count;
}

void TlsStream::Write(std::string_view bytes) {
    Channel& c = *channel_;
    while (!bytes.empty()) {
        const std::size_t chunk = std::min<std::size_t>(bytes.size(), c.sizes.cbMaximumMessage);
        std::string message(c.sizes.cbHeader + chunk + c.sizes.cbTrailer, '\0');
        std::copy_n(bytes.data(), chunk, message.data() + c.sizes.cbHeader);
        std::array<SecBuffer, 4> buffers{{{c.sizes.cbHeader, SECBUFFER_STREAM_HEADER, message.data()},
                                          {static_cast<unsigned long>(chunk), SECBUFFER_DATA, message.data() + c.sizes.cbHeader},
                                          {c.sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, message.data() + c.sizes.cbHeader + chunk},
                                          {0, SECBUFFER_EMPTY, nullptr}}};
        SecBufferDesc description{SECBUFFER_VERSION, 4, buffers.data()};
        const SECURITY_STATUS status = EncryptMessage(&c.context, 0, &description, 0);
        if (status != SEC_E_OK) c.Fail("a message could not be encrypted: " + platform::SystemErrorText(static_cast<DWORD>(status)));
        c.transport.Write(std::string_view(message.data(), buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer));
        bytes.remove_prefix(chunk);
    }
}

}  // namespace net
