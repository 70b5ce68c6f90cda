// Certificates a test makes for itself with the openssl tool: a CA of its own and server
// certificates, in a temporary folder that goes with the object. EC P-256 keys keep it fast. Throws
// std::runtime_error, with openssl's words, when a certificate cannot be made.
#pragma once

#include <QTemporaryDir>

#include <string>
#include <vector>

namespace kestovan::test {

struct ServerCertificate {
    std::string certificate; // PEM file
    std::string key;         // PEM file, without a pass phrase
    std::string sha256;      // as openssl prints it: "AB:CD:..."
};

class TestCertificates {
public:
    TestCertificates(); // makes the CA
    [[nodiscard]] const std::string& ca_file() const { return ca_file_; }

    // A certificate for names ("DNS:localhost", "IP:127.0.0.1"), the first one's value its common
    // name; signed by the CA, or by itself.
    [[nodiscard]] ServerCertificate make_server(const std::string& file_name,
                                                const std::vector<std::string>& names,
                                                bool self_signed = false);

private:
    std::string run(const QStringList& args);
    QTemporaryDir folder_;
    std::string ca_file_;
    std::string ca_key_;
};

} // namespace kestovan::test
