// Encrypted sessions in the shell against vsftpd on loopback: the certificate put to the user and
// kept in the private trust file, a changed certificate warned about, the title and the status bar,
// and what a profile that requires TLS does with a server that offers none.
#include "platform/certificate_store.h"
#include "shell/command_states.h"
#include "shell_harness.h"
#include "support/test_certificates.h"
#include "support/test_files.h"
#include "support/vsftpd_server.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestovan {
namespace {

using test::ShellHarness;
namespace fs = std::filesystem;

bool connected(DirEntry& site)
{
    SiteProfile& profile = *site.find_session();
    return profile.sessions && profile.sessions->state == SESSION_CONNECTED;
}

bool has_line(const SiteProfile& profile, const std::string& needle)
{
    return ShellHarness::count_containing(profile, needle) > 0;
}

TEST(TlsSessions, AnUnknownCertificateIsAskedAboutKeptPrivatelyAndAChangeOfItIsRefused)
{
    test::TestCertificates certificates;
    const test::ServerCertificate certificate =
        certificates.make_server("self", {"IP:127.0.0.1"}, /*self_signed=*/true);
    test::RealServerOptions options;
    options.tls_certificate = certificate.certificate;
    options.tls_key = certificate.key;
    test::VsftpdServer server(options);
    ShellHarness h;
    DirEntry& site =
        h.add_site("Secure", server.port(), server.user(), server.password(), ENCRYPTION_EXPLICIT);
    h.shell->browser().select_node(&site);
    h.prompts.certificate_answers = {CertificateAnswer::TrustAlways};
    h.shell->sessions().connect(&site, false);
    ASSERT_TRUE(h.wait([&] { return connected(site); }, 10000)) << server.log();

    ASSERT_EQ(h.prompts.certificates.size(), 1u);
    const CertificatePrompt& shown = h.prompts.certificates[0];
    EXPECT_EQ(shown.server, "127.0.0.1:" + std::to_string(server.port()));
    EXPECT_EQ(shown.subject, "CN=127.0.0.1");
    EXPECT_EQ(shown.sha256, certificate.sha256);
    ASSERT_EQ(shown.reasons.size(), 1u);
    EXPECT_NE(shown.reasons[0].find("self-signed"), std::string::npos) << shown.reasons[0];

    const fs::path pins = h.engine.pin_file();
    EXPECT_EQ(CertificateStore(pins).pinned("127.0.0.1", server.port()), certificate.sha256);
    EXPECT_EQ(fs::status(pins).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    const SiteProfile& profile = *site.find_session();
    EXPECT_TRUE(has_line(profile, "TLSv1.")) << "the log names the TLS version";
    EXPECT_TRUE(has_line(profile, "_SHA")) << "and the cipher";
    EXPECT_NE(main_title(h.ctx()).find("(Connected, encrypted)"), std::string::npos) << main_title(h.ctx());
    EXPECT_TRUE(encryption_text(h.ctx()).starts_with("Encrypted (TLSv1.")) << encryption_text(h.ctx());

    h.shell->sessions().disconnect(&site);
    ASSERT_TRUE(h.wait([&] { return !h.ctx().is_connected(&site); }));
    EXPECT_EQ(encryption_text(h.ctx()), "");

    // Another certificate kept for this server: refused with both fingerprints, nothing asked.
    const std::string kept(certificate.sha256.size(), 'A');
    ASSERT_TRUE(CertificateStore(pins).pin("127.0.0.1", server.port(), kept));
    h.shell->sessions().connect(&site, false);
    ASSERT_TRUE(h.wait([&] { return h.prompts.count("message") == 1; }, 10000)) << server.log();
    EXPECT_EQ(h.prompts.certificates.size(), 1u);
    EXPECT_EQ(h.prompts.asked.back().caption, "Certificate Changed");
    EXPECT_NE(h.prompts.asked.back().text.find(kept), std::string::npos) << h.prompts.asked.back().text;
    EXPECT_NE(h.prompts.asked.back().text.find(certificate.sha256), std::string::npos);
    EXPECT_FALSE(connected(site));
}

TEST(TlsSessions, AServerWithoutTlsGetsNoLoginAndThePlainOfferChangesTheProfileOnlyOnYes)
{
    test::VsftpdServer server; // plain FTP only: AUTH TLS is refused
    ShellHarness h;
    DirEntry& site =
        h.add_site("Old server", server.port(), server.user(), server.password(), ENCRYPTION_EXPLICIT);
    const fs::path file = fs::path(h.ctx().working_folder) / "Profiles" / "Old server.ftp";

    for (PromptAnswer answer : {PromptAnswer::No, PromptAnswer::Yes}) {
        SCOPED_TRACE(answer == PromptAnswer::Yes ? "yes" : "no");
        const int asked = h.prompts.count("question");
        h.prompts.answers = {answer};
        h.shell->sessions().connect(&site, false);
        ASSERT_TRUE(h.wait([&] { return h.prompts.count("question") == asked + 1; }, 10000)) << server.log();
        EXPECT_NE(h.prompts.asked.back().text.find("Plain FTP (insecure)"), std::string::npos);
        if (answer == PromptAnswer::No) {
            EXPECT_EQ(server.log().find("\"USER "), std::string::npos) << server.log();
            EXPECT_EQ(site.find_session()->encryption, ENCRYPTION_EXPLICIT);
            EXPECT_FALSE(fs::exists(file));
            ASSERT_TRUE(h.wait([&] {
                const Session* session = site.find_session()->sessions;
                return !session || session->state == SESSION_IDLE;
            }));
            continue;
        }
        ASSERT_TRUE(h.wait([&] { return connected(site); }, 10000)) << server.log();
        EXPECT_EQ(site.find_session()->encryption, ENCRYPTION_PLAIN);
        EXPECT_NE(test::read_file(file.string()).find("TLS=0\n"), std::string::npos);
        EXPECT_EQ(main_title(h.ctx()).find("encrypted"), std::string::npos);
    }
}

TEST(TlsSessions, FallingBackToPlainFtpIsLoggedInRed)
{
    test::VsftpdServer server;
    ShellHarness h;
    DirEntry& site = h.add_site("Maybe", server.port(), server.user(), server.password(),
                                ENCRYPTION_EXPLICIT_IF_AVAILABLE);
    h.shell->sessions().connect(&site, false);
    ASSERT_TRUE(h.wait([&] { return connected(site); }, 10000)) << server.log();
    EXPECT_EQ(h.prompts.asked.size(), 0u);
    EXPECT_TRUE(has_line(*site.find_session(), colour_tag(LOG_RED)));
}

} // namespace
} // namespace kestovan
