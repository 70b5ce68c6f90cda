// TLS edges against the scripted server, which records every line that arrives: servers that do
// not offer TLS, and handshakes that fail, never see the user name or the password when TLS was
// required.
#include "engine/control_channel.h"
#include "platform/certificate_store.h"
#include "platform/tls_session.h"
#include "support/engine_harness.h"
#include "support/scripted_ftp_server.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace kestovan {
namespace {

using test::EngineHarness;
using test::ScriptedFtpServer;
using Lines = std::vector<std::string>;

bool sent_login(const Lines& lines)
{
    return std::any_of(lines.begin(), lines.end(),
                       [](const std::string& l) { return l.starts_with("USER") || l.starts_with("PASS"); });
}

TEST(Tls, ARefusedAuthTlsEndsARequiredSessionAndFallsBackOnlyWhenTlsWasOptional)
{
    for (TlsMode mode : {TLS_EXPLICIT, TLS_EXPLICIT_IF_AVAILABLE}) {
        SCOPED_TRACE(static_cast<int>(mode));
        ScriptedFtpServer server;
        server.reply("220 hi").expect("AUTH TLS").reply("504 Security mechanism not implemented");
        if (mode == TLS_EXPLICIT)
            server.expect_closed();
        else
            server.expect("USER bob").reply("331 Password").expect("PASS secret").reply("230 In");
        server.start();
        EngineHarness h;
        FtpConnection* conn = h.open(server.port(), "bob", "secret", true, mode);
        ASSERT_TRUE(h.wait([&] { return !h.login_results.empty(); })) << server.failure();
        ASSERT_TRUE(server.wait_done(5000)) << server.failure();
        if (mode == TLS_EXPLICIT) {
            EXPECT_EQ(h.login_results, std::vector<bool>{false});
            EXPECT_EQ(server.lines(), Lines{"AUTH TLS"});
            ASSERT_EQ(h.errors(ERR_TLS_UNAVAILABLE).size(), 1u);
            EXPECT_NE(h.errors(ERR_TLS_UNAVAILABLE)[0].find("504 Security"), std::string::npos);
            EXPECT_TRUE(h.wait([&] { return !h.live(conn); }));
        } else {
            EXPECT_EQ(h.login_results, std::vector<bool>{true});
            EXPECT_EQ(server.lines(), (Lines{"AUTH TLS", "USER bob", "PASS secret"}));
            ASSERT_EQ(h.count(EV_TLS), 1);
            const auto notice = std::find_if(h.events.begin(), h.events.end(),
                                             [](const auto& e) { return e.code == EV_TLS; });
            EXPECT_EQ(notice->number, TLS_NOTICE_PLAIN_FALLBACK);
            EXPECT_NE(notice->text.find("504 Security"), std::string::npos);
            EXPECT_FALSE(conn->tls);
        }
    }
}

TEST(Tls, AFailedHandshakeEndsTheSessionBeforeTheLogin)
{
    struct Row {
        const char* what;
        TlsMode mode;
    };
    for (const Row& row :
         {Row{"234, then no TLS", TLS_EXPLICIT}, Row{"plain FTP on the implicit port", TLS_IMPLICIT}}) {
        SCOPED_TRACE(row.what);
        ScriptedFtpServer server;
        server.reply("220 hi");
        if (row.mode == TLS_EXPLICIT)
            // The pause lets the client's hello go out first: text that comes with the 234 reply in
            // clear is dropped, not taken for the server's TLS.
            server.expect("AUTH TLS")
                .reply("234 Go ahead")
                .pause(std::chrono::milliseconds(100))
                .send("HTTP/1.0 400 Nothing of the sort\r\n\r\n");
        server.pause(std::chrono::milliseconds(200));
        server.start();
        EngineHarness h;
        FtpConnection* conn = h.open(server.port(), "bob", "secret", true, row.mode);
        ASSERT_TRUE(h.wait([&] { return !h.live(conn); })) << server.failure();
        ASSERT_TRUE(server.wait_done(5000)) << server.failure();
        EXPECT_EQ(h.login_results, std::vector<bool>{false});
        EXPECT_FALSE(sent_login(server.lines()));
        ASSERT_EQ(h.errors(ERR_TLS_UNAVAILABLE).size(), 1u);
        EXPECT_NE(h.errors(ERR_TLS_UNAVAILABLE)[0].find("127.0.0.1"), std::string::npos);
    }
}

TEST(Tls, FingerprintsAreReadInEitherSpellingAndNothingElse)
{
    const std::string colon = "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:"
                              "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF";
    EXPECT_EQ(normalise_fingerprint(colon), colon);
    EXPECT_EQ(normalise_fingerprint("00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff"),
              colon);
    EXPECT_FALSE(normalise_fingerprint(colon.substr(3)));        // a byte short
    EXPECT_FALSE(normalise_fingerprint(colon + ":00"));          // a byte long
    EXPECT_FALSE(normalise_fingerprint("zz" + colon.substr(2))); // not hexadecimal
}

TEST(Tls, PinsAreKeptPerHostAndPortInAPrivateFile)
{
    QTemporaryDir folder;
    const std::filesystem::path file = folder.filePath("sub/trusted-certificates").toStdString();
    CertificateStore store(file);
    EXPECT_FALSE(store.pinned("ftp.example.org", 21));
    ASSERT_TRUE(store.pin("FTP.Example.org", 21, "AA"));
    ASSERT_TRUE(store.pin("ftp.example.org", 990, "BB"));
    ASSERT_TRUE(store.pin("ftp.example.org", 21, "CC"));
    EXPECT_EQ(store.pinned("ftp.example.org", 21), "CC");
    EXPECT_EQ(store.pinned("ftp.example.org", 990), "BB");
    EXPECT_FALSE(store.pinned("ftp.example.org", 2121));
    EXPECT_FALSE(store.pinned("example.org", 21));
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

} // namespace
} // namespace kestovan
