// The SOCKS handshake byte by byte, without a socket: what it sends, when it needs the target, where
// a proxy's reply ends (so what follows it is handed on whole), and the text of every refusal. Each
// conversation runs twice: with every answer in one piece, and with every answer fed one byte at a
// time, which must change nothing but where the tunnel's first bytes arrive.
#include "proxy/socks_handshake.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestovan {
namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

enum class Call {
    START,
    TARGET, // connect_to 192.0.2.5 at the case's port
    RECEIVE,
    CLOSED,
};

struct Exchange {
    Call call;
    std::string input; // RECEIVE: what the proxy sent
    SocksResult result;
    std::string output; // SEND: the bytes; DONE: what followed the reply; REFUSED: the text
};

struct HandshakeCase {
    const char* name;
    SocksVersion version;
    std::string user;
    std::string password;
    std::uint16_t port;
    std::vector<Exchange> exchanges;
};

const std::array<std::uint8_t, 4> TARGET_ADDRESS = {192, 0, 2, 5};
const std::string GREETING = "220 behind the proxy\r\n";
const std::string SOCKS4_REQUEST_BOB = bytes({4, 1, 0, 21, 192, 0, 2, 5}) + "bob" + bytes({0});
// CONNECT to 192.0.2.5 port 50000 (195, 80).
const std::string SOCKS5_CONNECT = bytes({5, 1, 0, 1, 192, 0, 2, 5, 195, 80});

Exchange start(SocksResult result, std::string output = {})
{
    return {Call::START, {}, result, std::move(output)};
}
Exchange target(std::string sent)
{
    return {Call::TARGET, {}, SocksResult::SEND, std::move(sent)};
}
Exchange answer(std::string input, SocksResult result, std::string output = {})
{
    return {Call::RECEIVE, std::move(input), result, std::move(output)};
}

std::vector<Exchange> socks5_no_auth_then(std::string reply, SocksResult result, std::string output)
{
    return {start(SocksResult::SEND, bytes({5, 1, 0})), answer(bytes({5, 0}), SocksResult::NEED_TARGET),
            target(SOCKS5_CONNECT), answer(std::move(reply), result, std::move(output))};
}

class SocksHandshakeTest : public ::testing::TestWithParam<HandshakeCase> {
protected:
    // Runs the conversation; with split, every answer goes in one byte at a time.
    void run(bool split)
    {
        const HandshakeCase& c = GetParam();
        SocksHandshake handshake(c.version, c.user, c.password);
        for (std::size_t i = 0; i < c.exchanges.size(); ++i) {
            const Exchange& e = c.exchanges[i];
            SCOPED_TRACE(::testing::Message() << "exchange " << i << (split ? ", split" : ""));
            SocksStep step;
            std::string rest = e.output;
            switch (e.call) {
            case Call::START: step = handshake.start(); break;
            case Call::TARGET: step = handshake.connect_to(TARGET_ADDRESS, c.port); break;
            case Call::CLOSED: step = SocksHandshake::closed(); break;
            case Call::RECEIVE:
                if (!split) {
                    step = handshake.receive(e.input);
                    break;
                }
                // The answer ends at exactly the byte before what the whole run hands on.
                for (std::size_t fed = 0; fed < e.input.size(); ++fed) {
                    step = handshake.receive(e.input.substr(fed, 1));
                    if (step.result != SocksResult::NEED_MORE) {
                        rest = e.input.substr(fed + 1);
                        break;
                    }
                }
                if (e.result == SocksResult::DONE) {
                    ASSERT_EQ(step.result, SocksResult::DONE);
                    EXPECT_EQ(step.bytes, "");
                    EXPECT_EQ(rest, e.output) << "the reply ended at the wrong byte";
                    continue;
                }
                break;
            }
            ASSERT_EQ(step.result, e.result);
            switch (e.result) {
            case SocksResult::SEND:
            case SocksResult::DONE: EXPECT_EQ(step.bytes, e.output); break;
            case SocksResult::REFUSED: EXPECT_EQ(step.text, e.output); break;
            case SocksResult::NEED_TARGET: EXPECT_EQ(handshake.stage(), SOCKS_TARGET); break;
            case SocksResult::NEED_MORE: break;
            }
        }
    }
};

TEST_P(SocksHandshakeTest, SendsTheExactBytesAndJudgesEveryAnswer)
{
    run(false);
}

TEST_P(SocksHandshakeTest, AnswersSplitAtEveryByteEndWhereTheyDo)
{
    run(true);
}

const std::string DOMAIN_REPLY = bytes({5, 0, 0, 3, 9}) + "localhost" + bytes({0x9c, 0x40});
const std::string IPV6_REPLY =
    bytes({5, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0x9c, 0x40});

INSTANTIATE_TEST_SUITE_P(
    Socks, SocksHandshakeTest,
    ::testing::Values(
        HandshakeCase{"Socks4Granted",
                      SocksVersion::SOCKS4,
                      "bob",
                      "",
                      21,
                      {start(SocksResult::NEED_TARGET), target(SOCKS4_REQUEST_BOB),
                       answer(bytes({0, 90, 0, 0, 0, 0, 0, 0}) + GREETING, SocksResult::DONE, GREETING)}},
        HandshakeCase{"Socks4Refused",
                      SocksVersion::SOCKS4,
                      "bob",
                      "",
                      21,
                      {start(SocksResult::NEED_TARGET), target(SOCKS4_REQUEST_BOB),
                       answer(bytes({0, 91, 0, 0, 0, 0, 0, 0}), SocksResult::REFUSED,
                              "The SOCKS 4 proxy refused the connection (status 91: request rejected or "
                              "failed).")}},
        HandshakeCase{"Socks4AnswerThatIsNotSocks",
                      SocksVersion::SOCKS4,
                      "bob",
                      "",
                      21,
                      {start(SocksResult::NEED_TARGET), target(SOCKS4_REQUEST_BOB),
                       answer("HTTP/1.0 400 Bad\r\n", SocksResult::REFUSED,
                              "The SOCKS 4 proxy sent an answer that is not SOCKS 4 (first byte 72).")}},
        HandshakeCase{"Socks4DataBeforeTheRequest",
                      SocksVersion::SOCKS4,
                      "bob",
                      "",
                      21,
                      {start(SocksResult::NEED_TARGET),
                       answer("220 hello", SocksResult::REFUSED,
                              "The proxy sent data before it was asked for anything.")}},
        HandshakeCase{"Socks5NoAuthIpv4ReplyWithTheGreeting", SocksVersion::SOCKS5, "", "", 50000,
                      socks5_no_auth_then(bytes({5, 0, 0, 1, 127, 0, 0, 1, 0x9c, 0x40}) + GREETING,
                                          SocksResult::DONE, GREETING)},
        HandshakeCase{"Socks5DomainNameReplyWithTheGreeting", SocksVersion::SOCKS5, "", "", 50000,
                      socks5_no_auth_then(DOMAIN_REPLY + GREETING, SocksResult::DONE, GREETING)},
        HandshakeCase{"Socks5Ipv6ReplyWithTheGreeting", SocksVersion::SOCKS5, "", "", 50000,
                      socks5_no_auth_then(IPV6_REPLY + GREETING, SocksResult::DONE, GREETING)},
        HandshakeCase{"Socks5UserAndPasswordAccepted",
                      SocksVersion::SOCKS5,
                      "user",
                      "pass",
                      50000,
                      {start(SocksResult::SEND, bytes({5, 1, 2})),
                       answer(bytes({5, 2}), SocksResult::SEND, bytes({1, 4}) + "user" + bytes({4}) + "pass"),
                       answer(bytes({1, 0}), SocksResult::NEED_TARGET), target(SOCKS5_CONNECT),
                       answer(bytes({5, 0, 0, 1, 0, 0, 0, 0, 0, 0}), SocksResult::DONE, "")}},
        HandshakeCase{"Socks5UserAndPasswordRefused",
                      SocksVersion::SOCKS5,
                      "user",
                      "pass",
                      50000,
                      {start(SocksResult::SEND, bytes({5, 1, 2})),
                       answer(bytes({5, 2}), SocksResult::SEND, bytes({1, 4}) + "user" + bytes({4}) + "pass"),
                       answer(bytes({1, 1}), SocksResult::REFUSED,
                              "The SOCKS 5 proxy refused the user name or password (status 1).")}},
        HandshakeCase{"Socks5NoAcceptableMethod",
                      SocksVersion::SOCKS5,
                      "",
                      "",
                      50000,
                      {start(SocksResult::SEND, bytes({5, 1, 0})),
                       answer(bytes({5, 255}), SocksResult::REFUSED,
                              "The SOCKS 5 proxy accepts none of the offered authentication methods (method "
                              "255).")}},
        HandshakeCase{"Socks5WantsAPasswordWeDoNotHave",
                      SocksVersion::SOCKS5,
                      "",
                      "",
                      50000,
                      {start(SocksResult::SEND, bytes({5, 1, 0})),
                       answer(bytes({5, 2}), SocksResult::REFUSED,
                              "The SOCKS 5 proxy asks for a user name and password, but none is set.")}},
        HandshakeCase{"Socks5CredentialsTooLong",
                      SocksVersion::SOCKS5,
                      std::string(256, 'u'),
                      "p",
                      50000,
                      {start(SocksResult::REFUSED,
                             "The SOCKS 5 user name and password may have at most 255 bytes each.")}},
        HandshakeCase{"Socks5ConnectionRefused", SocksVersion::SOCKS5, "", "", 50000,
                      socks5_no_auth_then(bytes({5, 5, 0, 1, 0, 0, 0, 0, 0, 0}), SocksResult::REFUSED,
                                          "The SOCKS 5 proxy could not connect to the server (reply 5: "
                                          "connection refused).")},
        HandshakeCase{"Socks5UnknownAddressType", SocksVersion::SOCKS5, "", "", 50000,
                      socks5_no_auth_then(bytes({5, 0, 0, 9, 0, 0, 0, 0, 0, 0}), SocksResult::REFUSED,
                                          "The SOCKS 5 proxy answered with an unknown address type (9).")},
        HandshakeCase{"Socks5AnswerThatIsNotSocks",
                      SocksVersion::SOCKS5,
                      "",
                      "",
                      50000,
                      {start(SocksResult::SEND, bytes({5, 1, 0})),
                       answer(bytes({4, 0}), SocksResult::REFUSED,
                              "The SOCKS 5 proxy sent an answer that is not SOCKS 5 (version 4).")}},
        HandshakeCase{"ProxyClosesDuringTheHandshake",
                      SocksVersion::SOCKS5,
                      "",
                      "",
                      50000,
                      {start(SocksResult::SEND, bytes({5, 1, 0})),
                       {Call::CLOSED,
                        {},
                        SocksResult::REFUSED,
                        "The proxy closed the connection before the handshake was complete."}}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kestovan
