// TLS 1.2 or newer for the engine's connections, over bytes the caller moves: OpenSSL 3 with memory
// BIOs. The caller reads its socket and hands the bytes in (feed), and sends what output() holds;
// nothing here touches a socket, blocks or runs an event loop, so the engine keeps its own
// message-driven reads and writes. The session is always the TLS client (data connections too).
//
// Certificates are not judged during the handshake: it completes whatever the certificate is, and
// peer_certificate() then says whether the trust store vouches for it and whether it names the host.
// The caller decides before it sends anything that matters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ssl_ctx_st;
struct ssl_st;

namespace kestovan {

class TlsContext {
public:
    // The system's trust store, or only the certificates of ca_file when it is not empty. Null, with
    // the reason in *error, when ca_file cannot be read.
    [[nodiscard]] static std::unique_ptr<TlsContext> create(const std::string& ca_file, std::string* error);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    [[nodiscard]] const std::string& ca_file() const { return ca_file_; }

private:
    friend class TlsSession;
    TlsContext(ssl_ctx_st* context, std::string ca_file) : context_(context), ca_file_(std::move(ca_file)) {}
    ssl_ctx_st* context_ = nullptr;
    std::string ca_file_;
};

// What a certificate dialog and a log line show, and what the trust decision rests on.
struct CertificateInfo {
    std::string subject; // RFC 2253 form: "CN=ftp.example.org,O=Example"
    std::string issuer;
    std::string valid_from; // "2026-01-31 12:00:00 UTC"
    std::string valid_until;
    std::string sha256;         // the DER form's SHA-256 as "AB:CD:...", 32 pairs
    bool chain_trusted = false; // the trust store vouches for it, and it is within its validity
    bool name_matches = false;  // it names the host (or address) that was asked for
    int chain_error = 0;        // OpenSSL's X509_V_ERR_* when not chain_trusted
    std::string chain_error_text;
    [[nodiscard]] bool verified() const { return chain_trusted && name_matches; }
};

// Why a certificate is not verified, for the words of a dialog.
enum class CertificateProblem {
    UNTRUSTED_ISSUER, // self-signed, or an issuer the trust store does not know
    EXPIRED,
    NOT_YET_VALID,
    NAME_MISMATCH,
    OTHER, // chain_error_text says which
};
// Every reason, the chain's first: empty for a verified certificate.
[[nodiscard]] std::vector<CertificateProblem> certificate_problems(const CertificateInfo& info);

// "ab:cd" or "ABCD": the 64 hexadecimal digits of a SHA-256 fingerprint in the "AB:CD:..." form;
// nullopt for anything else.
[[nodiscard]] std::optional<std::string> normalise_fingerprint(std::string_view text);

enum class TlsStatus {
    DONE,      // the handshake has completed
    WANT_MORE, // send output(), then feed what the peer answers
    FAILED,    // error() says why; the connection is of no further use
};

struct TlsRead {
    std::string_view data; // plaintext; valid until the next call on the session
    bool closed = false;   // the peer ended its side in order (close_notify)
    bool failed = false;   // error() says why
};

class TlsSession {
public:
    // A client for host (a name, or a dotted address checked against the certificate's addresses).
    // With resume, offers the TLS session of that connection, as FTP servers that insist on session
    // reuse want from a data connection.
    [[nodiscard]] static std::unique_ptr<TlsSession> client(const TlsContext& context, std::string_view host,
                                                            const TlsSession* resume = nullptr);
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    void feed(const char* data, std::size_t size);
    TlsStatus handshake();
    [[nodiscard]] bool established() const { return established_; }
    // The next piece of plaintext; empty data (and neither flag) when more bytes must be fed first.
    TlsRead read();
    // Encrypts all of data into output(); false after a failure.
    bool write(const char* data, std::size_t size);
    // Our side's orderly end (close_notify) into output().
    void close_notify();

    // Bytes to send, in order; consume() what the socket took.
    [[nodiscard]] std::string_view output() const;
    void consume(std::size_t count);

    [[nodiscard]] std::string version() const; // "TLSv1.3"
    [[nodiscard]] std::string cipher() const;  // "TLS_AES_256_GCM_SHA384"
    [[nodiscard]] bool resumed() const;
    [[nodiscard]] std::optional<CertificateInfo> peer_certificate() const;
    [[nodiscard]] const std::string& error() const { return error_; }

private:
    TlsSession(ssl_st* ssl, std::string host) : ssl_(ssl), host_(std::move(host)) {}
    void collect_output();
    void record_failure(int result);

    ssl_st* ssl_ = nullptr;
    std::string host_;
    bool established_ = false;
    std::string out_;
    std::size_t out_offset_ = 0;
    std::string plain_;
    std::string error_;
};

} // namespace kestovan
