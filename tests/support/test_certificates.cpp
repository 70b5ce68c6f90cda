#include "support/test_certificates.h"

#include <QFile>
#include <QProcess>

#include <stdexcept>

namespace kestovan::test {

namespace {

constexpr int OPENSSL_TIMEOUT_MS = 20000;
const QStringList NEW_KEY = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

TestCertificates::TestCertificates()
{
    if (!folder_.isValid())
        throw std::runtime_error("TestCertificates: no temporary folder");
    ca_file_ = (folder_.path() + "/ca.pem").toStdString();
    ca_key_ = (folder_.path() + "/ca.key").toStdString();
    run(QStringList{"req", "-x509"} + NEW_KEY +
        QStringList{"-keyout", q(ca_key_), "-out", q(ca_file_), "-days", "2", "-subj",
                    "/CN=Kestovan Test CA"});
}

ServerCertificate TestCertificates::make_server(const std::string& file_name,
                                                const std::vector<std::string>& names, bool self_signed)
{
    const std::string base = folder_.path().toStdString() + "/" + file_name;
    ServerCertificate made{base + ".pem", base + ".key", {}};
    const std::string first = names.empty() ? "localhost" : names.front();
    const std::string subject = "/CN=" + first.substr(first.find(':') + 1);
    std::string alt = "subjectAltName=";
    for (std::size_t i = 0; i < names.size(); ++i)
        alt += (i ? "," : "") + names[i];
    if (self_signed) {
        run(QStringList{"req", "-x509"} + NEW_KEY +
            QStringList{"-keyout", q(made.key), "-out", q(made.certificate), "-days", "2", "-subj",
                        q(subject), "-addext", q(alt)});
    } else {
        const std::string request = base + ".csr";
        const std::string extensions = base + ".ext";
        run(QStringList{"req", "-new"} + NEW_KEY +
            QStringList{"-keyout", q(made.key), "-out", q(request), "-subj", q(subject)});
        QFile file(q(extensions));
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray::fromStdString(alt + "\n")) < 0)
            throw std::runtime_error("TestCertificates: cannot write " + extensions);
        file.close();
        run({"x509", "-req", "-in", q(request), "-CA", q(ca_file_), "-CAkey", q(ca_key_), "-CAcreateserial",
             "-out", q(made.certificate), "-days", "2", "-extfile", q(extensions)});
    }
    const std::string printed =
        run({"x509", "-in", q(made.certificate), "-noout", "-fingerprint", "-sha256"});
    made.sha256 = printed.substr(printed.find('=') + 1);
    while (!made.sha256.empty() && (made.sha256.back() == '\n' || made.sha256.back() == '\r'))
        made.sha256.pop_back();
    return made;
}

std::string TestCertificates::run(const QStringList& args)
{
    QProcess openssl;
    openssl.start("openssl", args);
    if (!openssl.waitForFinished(OPENSSL_TIMEOUT_MS) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0)
        throw std::runtime_error("openssl " + args.join(' ').toStdString() +
                                 " failed: " + openssl.readAllStandardError().toStdString());
    return openssl.readAllStandardOutput().toStdString();
}

} // namespace kestovan::test
