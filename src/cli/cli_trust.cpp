#include "cli/cli_trust.h"

#include "engine/tls_channel.h"
#include "platform/tls_session.h"

namespace kestovan {

namespace {

std::string reasons_text(const CertificateInfo& certificate, const std::string& host)
{
    std::string reasons;
    for (CertificateProblem problem : certificate_problems(certificate)) {
        if (!reasons.empty())
            reasons += "; ";
        switch (problem) {
        case CertificateProblem::UNTRUSTED_ISSUER: reasons += "its issuer is not trusted"; break;
        case CertificateProblem::EXPIRED: reasons += "it has expired"; break;
        case CertificateProblem::NOT_YET_VALID: reasons += "it is not valid yet"; break;
        case CertificateProblem::NAME_MISMATCH: reasons += "it is not made out to " + host; break;
        case CertificateProblem::OTHER: reasons += certificate.chain_error_text; break;
        }
    }
    return reasons;
}

} // namespace

bool trust_certificate(FtpConnection& control, const std::string& pin, const std::string& host,
                       std::string* error)
{
    const std::optional<CertificateInfo> certificate =
        control.tls ? control.tls->peer_certificate() : std::nullopt;
    if (!certificate)
        return false;
    if (!pin.empty() && certificate->sha256 == pin) {
        accept_certificate(control);
        return true;
    }
    if (error && error->empty())
        *error = "the server's certificate is not trusted (" + reasons_text(*certificate, host) +
                 "): subject " + certificate->subject + ", issuer " + certificate->issuer + ", valid " +
                 certificate->valid_from + " to " + certificate->valid_until + ", SHA-256 " +
                 certificate->sha256 + "; trust this certificate with --pin-sha256 " + certificate->sha256 +
                 " or its CA with --ca-file";
    return false;
}

} // namespace kestovan
