// The command line's trust in a server certificate the trust store (or --ca-file) does not vouch
// for: only the one named by --pin-sha256 passes; anything else ends the run with a message that
// shows the certificate and how to trust it. No option skips the check.
#pragma once

#include "engine/ftp_connection.h"

#include <string>

namespace kestovan {

// Answers the engine's certificate event on a control connection: true when pin (a normalised
// fingerprint, or empty) names the certificate and the session goes on. Otherwise *error gets the
// reason with the certificate's subject, issuer, validity and SHA-256 fingerprint.
bool trust_certificate(FtpConnection& control, const std::string& pin, const std::string& host,
                       std::string* error);

} // namespace kestovan
