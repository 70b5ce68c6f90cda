#include "platform/tls_session.h"

#include <arpa/inet.h>
#include <array>
#include <cctype>
#include <ctime>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace kestovan {

namespace {

// One TLS record holds at most 16 KiB of plaintext; a read never returns more.
constexpr std::size_t PLAINTEXT_PIECE = 16 * 1024;
// Sent bytes are dropped from the front of the output buffer once this many have piled up.
constexpr std::size_t OUTPUT_COMPACT_AT = 1024 * 1024;

bool is_address(std::string_view host)
{
    const std::string text(host);
    in_addr v4{};
    in6_addr v6{};
    return inet_pton(AF_INET, text.c_str(), &v4) == 1 || inet_pton(AF_INET6, text.c_str(), &v6) == 1;
}

std::string openssl_errors()
{
    std::string text;
    while (unsigned long code = ERR_get_error()) {
        std::array<char, 256> line{};
        ERR_error_string_n(code, line.data(), line.size());
        if (!text.empty())
            text += "; ";
        text += line.data();
    }
    return text;
}

std::string name_text(const X509_NAME* name)
{
    BIO* bio = BIO_new(BIO_s_mem());
    if (!bio)
        return {};
    X509_NAME_print_ex(bio, name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    std::string text(data, size > 0 ? static_cast<std::size_t>(size) : 0);
    BIO_free(bio);
    return text;
}

std::string time_text(const ASN1_TIME* time)
{
    std::tm parts{};
    if (!time || ASN1_TIME_to_tm(time, &parts) != 1)
        return {};
    std::array<char, 32> text{};
    std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M:%S UTC", &parts);
    return text.data();
}

std::string colon_hex(const unsigned char* bytes, unsigned int size)
{
    static constexpr char DIGITS[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned int i = 0; i < size; ++i) {
        if (i > 0)
            text.push_back(':');
        text.push_back(DIGITS[bytes[i] >> 4]);
        text.push_back(DIGITS[bytes[i] & 0x0F]);
    }
    return text;
}

} // namespace

std::unique_ptr<TlsContext> TlsContext::create(const std::string& ca_file, std::string* error)
{
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    if (!context) {
        if (error)
            *error = openssl_errors();
        return nullptr;
    }
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    // The certificate is judged after the handshake (see peer_certificate), never silently.
    SSL_CTX_set_verify(context, SSL_VERIFY_NONE, nullptr);
    if (ca_file.empty())
        SSL_CTX_set_default_verify_paths(context);
    else if (SSL_CTX_load_verify_locations(context, ca_file.c_str(), nullptr) != 1) {
        if (error)
            *error = ca_file + ": " + openssl_errors();
        SSL_CTX_free(context);
        return nullptr;
    }
    ERR_clear_error();
    return std::unique_ptr<TlsContext>(new TlsContext(context, ca_file));
}

TlsContext::~TlsContext()
{
    SSL_CTX_free(context_);
}

std::vector<CertificateProblem> certificate_problems(const CertificateInfo& info)
{
    std::vector<CertificateProblem> problems;
    if (!info.chain_trusted) {
        switch (info.chain_error) {
        case X509_V_ERR_CERT_HAS_EXPIRED: problems.push_back(CertificateProblem::EXPIRED); break;
        case X509_V_ERR_CERT_NOT_YET_VALID: problems.push_back(CertificateProblem::NOT_YET_VALID); break;
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        case X509_V_ERR_CERT_UNTRUSTED: problems.push_back(CertificateProblem::UNTRUSTED_ISSUER); break;
        default: problems.push_back(CertificateProblem::OTHER); break;
        }
    }
    if (!info.name_matches)
        problems.push_back(CertificateProblem::NAME_MISMATCH);
    return problems;
}

std::optional<std::string> normalise_fingerprint(std::string_view text)
{
    std::string digits;
    for (char c : text) {
        if (c == ':')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        digits.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    if (digits.size() != 64)
        return std::nullopt;
    std::string result;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        if (i > 0)
            result.push_back(':');
        result.append(digits, i, 2);
    }
    return result;
}

std::unique_ptr<TlsSession> TlsSession::client(const TlsContext& context, std::string_view host,
                                               const TlsSession* resume)
{
    SSL* ssl = SSL_new(context.context_);
    if (!ssl)
        return nullptr;
    BIO* in = BIO_new(BIO_s_mem());
    BIO* out = BIO_new(BIO_s_mem());
    if (!in || !out) {
        BIO_free(in);
        BIO_free(out);
        SSL_free(ssl);
        return nullptr;
    }
    // An empty input is "more to come", not the end of the stream.
    BIO_set_mem_eof_return(in, -1);
    SSL_set_bio(ssl, in, out);
    SSL_set_connect_state(ssl);
    const std::string name(host);
    if (!name.empty() && !is_address(name))
        SSL_set_tlsext_host_name(ssl, name.c_str());
    if (resume) {
        if (SSL_SESSION* previous = SSL_get1_session(resume->ssl_)) {
            SSL_set_session(ssl, previous);
            SSL_SESSION_free(previous);
        }
    }
    return std::unique_ptr<TlsSession>(new TlsSession(ssl, name));
}

TlsSession::~TlsSession()
{
    SSL_free(ssl_);
}

void TlsSession::feed(const char* data, std::size_t size)
{
    if (size > 0)
        BIO_write(SSL_get_rbio(ssl_), data, static_cast<int>(size));
}

TlsStatus TlsSession::handshake()
{
    if (established_)
        return TlsStatus::DONE;
    ERR_clear_error();
    const int result = SSL_do_handshake(ssl_);
    collect_output();
    if (result == 1) {
        established_ = true;
        return TlsStatus::DONE;
    }
    const int reason = SSL_get_error(ssl_, result);
    if (reason == SSL_ERROR_WANT_READ || reason == SSL_ERROR_WANT_WRITE)
        return TlsStatus::WANT_MORE;
    record_failure(result);
    return TlsStatus::FAILED;
}

TlsRead TlsSession::read()
{
    plain_.resize(PLAINTEXT_PIECE);
    ERR_clear_error();
    const int result = SSL_read(ssl_, plain_.data(), static_cast<int>(plain_.size()));
    collect_output();
    if (result > 0)
        return {std::string_view(plain_.data(), static_cast<std::size_t>(result)), false, false};
    const int reason = SSL_get_error(ssl_, result);
    if (reason == SSL_ERROR_WANT_READ || reason == SSL_ERROR_WANT_WRITE)
        return {};
    if (reason == SSL_ERROR_ZERO_RETURN)
        return {{}, true, false};
    record_failure(result);
    return {{}, false, true};
}

bool TlsSession::write(const char* data, std::size_t size)
{
    ERR_clear_error();
    while (size > 0) {
        const int result = SSL_write(ssl_, data, static_cast<int>(std::min<std::size_t>(size, 1 << 30)));
        collect_output();
        if (result <= 0) {
            record_failure(result);
            return false;
        }
        data += result;
        size -= static_cast<std::size_t>(result);
    }
    return true;
}

void TlsSession::close_notify()
{
    ERR_clear_error();
    SSL_shutdown(ssl_);
    collect_output();
    ERR_clear_error();
}

std::string_view TlsSession::output() const
{
    return std::string_view(out_).substr(out_offset_);
}

void TlsSession::consume(std::size_t count)
{
    out_offset_ = std::min(out_offset_ + count, out_.size());
    if (out_offset_ == out_.size()) {
        out_.clear();
        out_offset_ = 0;
    }
}

void TlsSession::collect_output()
{
    BIO* out = SSL_get_wbio(ssl_);
    if (out_offset_ >= OUTPUT_COMPACT_AT) {
        out_.erase(0, out_offset_);
        out_offset_ = 0;
    }
    while (const std::size_t pending = BIO_ctrl_pending(out)) {
        const std::size_t old = out_.size();
        out_.resize(old + pending);
        const int got = BIO_read(out, out_.data() + old, static_cast<int>(pending));
        out_.resize(old + static_cast<std::size_t>(got > 0 ? got : 0));
        if (got <= 0)
            break;
    }
}

void TlsSession::record_failure(int result)
{
    std::string text = openssl_errors();
    if (text.empty())
        text = "TLS error " + std::to_string(SSL_get_error(ssl_, result));
    error_ = std::move(text);
}

std::string TlsSession::version() const
{
    return SSL_get_version(ssl_);
}

std::string TlsSession::cipher() const
{
    const char* name = SSL_get_cipher_name(ssl_);
    return name ? name : "";
}

bool TlsSession::resumed() const
{
    return SSL_session_reused(ssl_) == 1;
}

std::optional<CertificateInfo> TlsSession::peer_certificate() const
{
    X509* certificate = SSL_get0_peer_certificate(ssl_);
    if (!certificate)
        return std::nullopt;
    CertificateInfo info;
    info.subject = name_text(X509_get_subject_name(certificate));
    info.issuer = name_text(X509_get_issuer_name(certificate));
    info.valid_from = time_text(X509_get0_notBefore(certificate));
    info.valid_until = time_text(X509_get0_notAfter(certificate));
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int size = 0;
    if (X509_digest(certificate, EVP_sha256(), digest.data(), &size) == 1)
        info.sha256 = colon_hex(digest.data(), size);
    const long result = SSL_get_verify_result(ssl_);
    info.chain_trusted = result == X509_V_OK;
    if (!info.chain_trusted) {
        info.chain_error = static_cast<int>(result);
        info.chain_error_text = X509_verify_cert_error_string(result);
    }
    info.name_matches = is_address(host_)
                            ? X509_check_ip_asc(certificate, host_.c_str(), 0) == 1
                            : X509_check_host(certificate, host_.data(), host_.size(), 0, nullptr) == 1;
    return info;
}

} // namespace kestovan
