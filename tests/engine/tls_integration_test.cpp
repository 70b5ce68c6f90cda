// The engine over TLS against vsftpd on loopback that demands TLS for the login and for data and
// refuses data connections that do not resume the control connection's TLS session, with a CA the
// test makes: transfers in both TLS forms and both data modes, and the trust decisions on the
// server's certificate.
#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "engine/tls_channel.h"
#include "platform/certificate_store.h"
#include "support/engine_harness.h"
#include "support/test_certificates.h"
#include "support/test_files.h"
#include "support/vsftpd_server.h"
#include "views/dir_entry.h"
#include "views/listing_parser.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace kestovan {
namespace {

using test::EngineHarness;

struct Setup {
    TlsMode tls;
    bool passive;
};

std::string setup_name(const ::testing::TestParamInfo<Setup>& info)
{
    return std::string(info.param.tls == TLS_IMPLICIT ? "Implicit" : "Explicit") +
           (info.param.passive ? "Passive" : "Active");
}

// Queues through `queue` with a callback that records the outcome, and waits for it.
class TlsTransfers : public ::testing::TestWithParam<Setup> {
protected:
    void SetUp() override
    {
        const test::ServerCertificate certificate =
            certificates.make_server("server", {"IP:127.0.0.1", "DNS:localhost"});
        test::RealServerOptions options;
        options.tls_certificate = certificate.certificate;
        options.tls_key = certificate.key;
        options.implicit_tls = GetParam().tls == TLS_IMPLICIT;
        server = std::make_unique<test::VsftpdServer>(options);
        h.engine.set_tls_trust(certificates.ca_file(), {});
        conn = h.open(server->port(), server->user(), server->password(), GetParam().passive, GetParam().tls);
        ASSERT_TRUE(h.wait([&] { return !h.login_results.empty() || !h.live(conn); }, 10000))
            << server->log();
        ASSERT_EQ(h.login_results, std::vector<bool>{true}) << server->log();
    }

    bool run(const std::function<FtpCommand*(CommandCallback)>& queue)
    {
        auto result = std::make_shared<std::optional<bool>>();
        FtpCommand* command = queue([this, result](FtpConnection& c, bool ok) {
            if (!c.queue.empty() && c.queue.front()->kind == CMD_REST && ok)
                return 1;
            if (!c.queue.empty() && c.queue.front()->kind == CMD_LIST && c.data_connection)
                listing = c.data_connection->buffer;
            if (!c.queue.empty())
                last_reply = c.queue.front()->reply + " " + c.queue.front()->failure;
            *result = ok;
            return 1;
        });
        if (!command)
            return false;
        EXPECT_TRUE(h.wait([&] { return result->has_value() || !h.live(conn); }, 30000)) << server->log();
        return result->value_or(false);
    }

    std::string local(const std::string& name) const
    {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }

    test::TestCertificates certificates;
    std::unique_ptr<test::VsftpdServer> server;
    EngineHarness h;
    FtpConnection* conn = nullptr;
    std::string listing;
    std::string last_reply;
    QTemporaryDir dir;
};

TEST_P(TlsTransfers, ListsGetsPutsResumesAndAppendsThroughResumedTlsSessions)
{
    const std::int64_t size = 3 * 1024 * 1024 + 17;
    server->make_random_file("data.bin", size, 7);
    const std::string whole = test::read_file(server->path("data.bin"));
    EXPECT_TRUE(conn->protected_data);
    ASSERT_EQ(h.count(EV_TLS), 1);
    EXPECT_NE(h.texts(EV_TLS)[0].find("TLSv1."), std::string::npos) << h.texts(EV_TLS)[0];

    ASSERT_TRUE(run([&](CommandCallback cb) { return send_list(h.engine, conn, "/", cb); })) << last_reply;
    DirEntry folder;
    folder.path = "/";
    const EntryChain entries = parse_listing(listing, folder, ListingOptions{});
    ASSERT_EQ(entries.size(), 1u) << listing;
    EXPECT_EQ(entries[0]->name, "data.bin");
    EXPECT_EQ(entries[0]->size, std::to_string(size));

    ASSERT_TRUE(run([&](CommandCallback cb) {
        return send_retr(h.engine, conn, "/data.bin", local("got.bin"), true, cb);
    })) << last_reply;
    EXPECT_EQ(test::read_file(local("got.bin")), whole);

    test::write_file(local("part.bin"), whole.substr(0, 1000000));
    ASSERT_TRUE(run([&](CommandCallback cb) {
        return send_retr_resume(h.engine, conn, "/data.bin", local("part.bin"), true, 1000000, cb);
    })) << last_reply;
    EXPECT_EQ(test::read_file(local("part.bin")), whole);

    ASSERT_TRUE(run([&](CommandCallback cb) {
        return send_stor(h.engine, conn, local("got.bin"), "/up.bin", true, cb);
    })) << last_reply;
    EXPECT_EQ(test::read_file(server->path("up.bin")), whole);

    server->make_file("half.bin", whole.substr(0, 2000000));
    ASSERT_TRUE(run([&](CommandCallback cb) {
        return send_stor_resume(h.engine, conn, local("got.bin"), "/half.bin", true, 2000000, cb);
    })) << last_reply;
    EXPECT_EQ(test::read_file(server->path("half.bin")), whole);

    test::write_file(local("tail.txt"), "tail\n");
    server->make_file("log.txt", "head\n");
    ASSERT_TRUE(run([&](CommandCallback cb) {
        return send_appe(h.engine, conn, local("tail.txt"), "/log.txt", true, cb);
    })) << last_reply;
    EXPECT_EQ(test::read_file(server->path("log.txt")), "head\ntail\n");
}

INSTANTIATE_TEST_SUITE_P(Vsftpd, TlsTransfers,
                         ::testing::Values(Setup{TLS_EXPLICIT, true}, Setup{TLS_EXPLICIT, false},
                                           Setup{TLS_IMPLICIT, true}, Setup{TLS_IMPLICIT, false}),
                         setup_name);

// What the engine does with the server's certificate, before anything of the login goes out.
struct TrustCase {
    const char* name;
    bool self_signed;  // else signed by the test's CA
    bool other_host;   // made out to another host name than the one connected to
    bool pin_same;     // "Always trust" kept this certificate
    bool pin_other;    // "Always trust" kept another certificate for this host and port
    bool answer_trust; // the answer to the certificate event
    bool asked;        // the event is raised
    bool logs_in;
};

class CertificateTrust : public ::testing::TestWithParam<TrustCase> {};

TEST_P(CertificateTrust, DecidesBeforeTheLogin)
{
    const TrustCase& c = GetParam();
    test::TestCertificates certificates;
    const test::ServerCertificate certificate = certificates.make_server(
        "server", {c.other_host ? "DNS:other.example" : "IP:127.0.0.1"}, c.self_signed);
    test::RealServerOptions options;
    options.tls_certificate = certificate.certificate;
    options.tls_key = certificate.key;
    test::VsftpdServer server(options);
    QTemporaryDir pins;
    const std::filesystem::path pin_file = pins.filePath("trusted-certificates").toStdString();
    const std::string other_fingerprint(95, 'A');
    if (c.pin_same || c.pin_other)
        CertificateStore(pin_file).pin("127.0.0.1", server.port(),
                                       c.pin_same ? certificate.sha256 : other_fingerprint);

    EngineHarness h;
    h.engine.set_tls_trust(certificates.ca_file(), pin_file);
    std::optional<CertificateInfo> shown;
    h.on_event = [&](const test::RecordedEvent& e) {
        if (e.code != EV_CERTIFICATE)
            return;
        shown = e.conn->tls->peer_certificate();
        if (c.answer_trust)
            accept_certificate(*e.conn);
    };
    FtpConnection* conn = h.open(server.port(), server.user(), server.password(), true, TLS_EXPLICIT);
    ASSERT_TRUE(h.wait([&] { return !h.login_results.empty() || !h.live(conn); }, 10000)) << server.log();

    EXPECT_EQ(shown.has_value(), c.asked);
    if (shown) {
        EXPECT_EQ(shown->sha256, certificate.sha256);
        EXPECT_EQ(shown->name_matches, !c.other_host);
        EXPECT_EQ(shown->chain_trusted, !c.self_signed);
        EXPECT_EQ(shown->subject, c.other_host ? "CN=other.example" : "CN=127.0.0.1");
    }
    EXPECT_EQ(h.login_results, std::vector<bool>{c.logs_in}) << server.log();
    const bool user_sent = server.log().find("\"USER ") != std::string::npos;
    EXPECT_EQ(user_sent, c.logs_in) << server.log();
    if (!c.logs_in) {
        ASSERT_EQ(h.errors(ERR_TLS_CERTIFICATE).size(), 1u);
        const std::string text = h.errors(ERR_TLS_CERTIFICATE)[0];
        EXPECT_NE(text.find(certificate.sha256), std::string::npos) << text;
        if (c.pin_other) {
            EXPECT_NE(text.find(other_fingerprint), std::string::npos) << text;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Vsftpd, CertificateTrust,
    ::testing::Values(
        TrustCase{"VerifiedGoesOnUnasked", false, false, false, false, false, false, true},
        TrustCase{"AnotherHostNameIsRefused", false, true, false, false, false, true, false},
        TrustCase{"SelfSignedTrustedOnce", true, false, false, false, true, true, true},
        TrustCase{"SelfSignedPinnedGoesOnUnasked", true, false, true, false, false, false, true},
        TrustCase{"AChangedPinnedCertificateIsRefused", true, false, false, true, true, false, false},
        TrustCase{"AChangedPinBeatsEvenAVerifiedCertificate", false, false, false, true, true, false, false}),
    [](const ::testing::TestParamInfo<TrustCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace kestovan
