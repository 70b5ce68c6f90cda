// The proxy settings: the "ProxyServer" list and the environment it is built from, the shared
// registry values, and the start-up and saving rules for `fhost` and `fport`.
#include "settings/proxy_settings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace kestovan {
namespace {

struct EntryCase {
    const char* name;
    const char* list;
    int protocol;
    std::optional<std::string> host; // nullopt: no entry
    std::optional<int> port;
};

class FindProxyEntry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(FindProxyEntry, TakesTheFirstEntryForTheProtocolOrWithoutOne)
{
    const auto entry = find_proxy_entry(GetParam().list, GetParam().protocol);
    ASSERT_EQ(entry.has_value(), GetParam().host.has_value());
    if (!entry)
        return;
    EXPECT_EQ(entry->host, *GetParam().host);
    EXPECT_EQ(entry->port, GetParam().port);
}

const char* const FTP_AND_HTTP = "ftp=fw:2121;http=web:8080";

INSTANTIATE_TEST_SUITE_P(
    ProxySettings, FindProxyEntry,
    ::testing::Values(
        EntryCase{"FtpEntry", FTP_AND_HTTP, PROXY_PROTOCOL_FTP, "fw", 2121},
        EntryCase{"HttpEntry", FTP_AND_HTTP, PROXY_PROTOCOL_HTTP, "web", 8080},
        EntryCase{"FirstEntryForProtocol0", FTP_AND_HTTP, PROXY_PROTOCOL_FIRST, "fw", 2121},
        EntryCase{"NoEntryForHttps", FTP_AND_HTTP, PROXY_PROTOCOL_HTTPS, std::nullopt, std::nullopt},
        EntryCase{"OneProxyForFtp", "proxy:3128", PROXY_PROTOCOL_FTP, "proxy", 3128},
        EntryCase{"OneProxyForGopher", "proxy:3128", PROXY_PROTOCOL_GOPHER, "proxy", 3128},
        EntryCase{"OneProxyForHttps", "proxy:3128", PROXY_PROTOCOL_HTTPS, "proxy", 3128},
        EntryCase{"ProtocolWordsIgnoreCase", "HTTP=web:80;FtP=fw:21", PROXY_PROTOCOL_FTP, "fw", 21},
        EntryCase{"AnEntryWithoutProtocolServesTheRest", "http=web:8080;all:3128", PROXY_PROTOCOL_FTP, "all",
                  3128},
        EntryCase{"UnknownWordEndsTheSearch", "socks=s:1080;ftp=fw:2121", PROXY_PROTOCOL_FTP, std::nullopt,
                  std::nullopt},
        EntryCase{"UnknownWordEndsProtocol0Too", "socks=s:1080", PROXY_PROTOCOL_FIRST, std::nullopt,
                  std::nullopt},
        EntryCase{"NoPortLeavesItOpen", "ftp=fw", PROXY_PROTOCOL_FTP, "fw", std::nullopt},
        EntryCase{"PortOutOfRangeCountsAsNone", "ftp=fw:99999", PROXY_PROTOCOL_FTP, "fw", std::nullopt},
        EntryCase{"BracketedIpv6Host", "[::1]:3128", PROXY_PROTOCOL_FTP, "[::1]", 3128},
        EntryCase{"EmptyEntriesAndBlanksAreSkipped", " ; ;ftp = fw:21 ", PROXY_PROTOCOL_FTP, "fw", 21},
        EntryCase{"EmptyList", "", PROXY_PROTOCOL_FTP, std::nullopt, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadSystemProxy, NothingWhenOffAndThePortStaysWhenTheEntryHasNone)
{
    std::string host = "before";
    int port = 77;
    EXPECT_FALSE(read_system_proxy(SystemProxy{false, FTP_AND_HTTP}, PROXY_PROTOCOL_FTP, host, port));
    EXPECT_EQ(host, "before");
    EXPECT_TRUE(read_system_proxy(SystemProxy{true, "ftp=fw"}, PROXY_PROTOCOL_FTP, host, port));
    EXPECT_EQ(host, "fw");
    EXPECT_EQ(port, 77);
}

TEST(ProxyHostPortOfUrl, KeepsHostAndPortOnly)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"http://user:pw@host:3128/", "host:3128"},
        {"host:3128", "host:3128"},
        {" socks5h://s:1080 ", "s:1080"},
        {"http://web/", "web"},
        {"http://web:/", "web"},
        {"http://a;b=c@host:1", "host:1"}, // the user part may hold anything
        {"http://ho;st:1/", ""},           // ";" would split the list
        {"http://h=x:1", ""},              // "=" would read as a protocol word
        {"http://:3128", ""},
        {"", ""},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(proxy_host_port_of_url(value), expected) << value;
}

SystemProxy from(const std::map<std::string, std::string>& environment)
{
    return system_proxy_from_environment([&](const char* name) -> std::optional<std::string> {
        if (auto it = environment.find(name); it != environment.end())
            return it->second;
        return std::nullopt;
    });
}

TEST(SystemProxyFromEnvironment, BuildsTheListInProtocolOrderWithAllProxyLast)
{
    EXPECT_FALSE(from({}).enabled);
    const SystemProxy both = from({{"all_proxy", "socks5://s:1080"},
                                   {"http_proxy", "http://u:p@web:8080/"},
                                   {"ftp_proxy", "http://fw:2121"}});
    EXPECT_TRUE(both.enabled);
    EXPECT_EQ(both.server, "ftp=fw:2121;http=web:8080;s:1080");
    EXPECT_EQ(from({{"https_proxy", "sec:443"}}).server, "https=sec:443");
}

TEST(SystemProxyFromEnvironment, UpperCaseNamesServeWhenLowerCaseOnesAreMissingExceptHttpProxy)
{
    EXPECT_EQ(from({{"FTP_PROXY", "fw:21"}, {"ALL_PROXY", "all:1"}}).server, "ftp=fw:21;all:1");
    EXPECT_EQ(from({{"ftp_proxy", "low:1"}, {"FTP_PROXY", "up:2"}}).server, "ftp=low:1");
    EXPECT_EQ(from({{"ftp_proxy", " "}, {"FTP_PROXY", "up:2"}}).server, "ftp=up:2");
    EXPECT_FALSE(from({{"HTTP_PROXY", "web:80"}}).enabled) << "HTTP_PROXY may come from a request header";
    EXPECT_FALSE(from({{"ftp_proxy", "http://bad;host:1"}}).enabled);
}

struct RegistryTest : ::testing::Test {
    QTemporaryDir dir;
    Registry registry{dir.path().toStdString()};

    void put(std::string_view name, const std::string& value)
    {
        ASSERT_TRUE(registry.write_string(Hive::LocalMachine, std::string(PROXY_REGISTRY_KEY),
                                          std::string(name), value));
    }
    std::optional<std::string> get(std::string_view name) const
    {
        return registry.read_string(Hive::LocalMachine, std::string(PROXY_REGISTRY_KEY), std::string(name));
    }
};

const SystemProxy SYSTEM{true, FTP_AND_HTTP};

TEST_F(RegistryTest, WrittenValuesReadBackAndAProxyValueWinsOverTheSystem)
{
    ASSERT_TRUE(write_proxy_settings(registry, 3, "web", 8080, "anna", "secret"));
    EXPECT_EQ(get("type"), "3");
    EXPECT_EQ(get("username"), "anna");
    EXPECT_EQ(get("password"), "secret");
    EXPECT_EQ(get("proxy"), "web");
    EXPECT_EQ(get("port"), "8080");
    std::string host;
    int port = 0;
    int type = 0;
    std::string user;
    std::string password;
    EXPECT_EQ(read_proxy_settings(registry, SYSTEM, host, port, PROXY_PROTOCOL_FTP, type, user, password), 1);
    EXPECT_EQ(host, "web");
    EXPECT_EQ(port, 8080);
    EXPECT_EQ(type, 3);
    EXPECT_EQ(user, "anna");
    EXPECT_EQ(password, "secret");
}

TEST_F(RegistryTest, WithoutAProxyValueTheSystemAnswersAndTheTypeAndCredentialsStillComeBack)
{
    ASSERT_TRUE(write_proxy_settings(registry, 3, "", 0, "anna", "secret"));
    std::string host;
    int port = 0;
    int type = 0;
    std::string user;
    std::string password;
    EXPECT_EQ(read_proxy_settings(registry, SYSTEM, host, port, PROXY_PROTOCOL_FTP, type, user, password), 1);
    EXPECT_EQ(host, "fw");
    EXPECT_EQ(port, 2121);
    EXPECT_EQ(type, 3) << "a SOCKS 5 proxy without an HTTP proxy keeps its type across restarts";
    EXPECT_EQ(user, "anna");
    host = "unchanged";
    EXPECT_EQ(
        read_proxy_settings(registry, SystemProxy{}, host, port, PROXY_PROTOCOL_FTP, type, user, password),
        0);
    EXPECT_EQ(host, "unchanged");
}

TEST_F(RegistryTest, OddValuesAreBoundedWhenRead)
{
    put("type", "9");
    put("username", std::string(400, 'u'));
    std::string host;
    int port = 0;
    int type = 2;
    std::string user;
    std::string password = "kept";
    read_proxy_settings(registry, SystemProxy{}, host, port, PROXY_PROTOCOL_FTP, type, user, password);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(user, std::string(255, 'u'));
    EXPECT_EQ(password, "kept") << "an absent value leaves the caller's text";
}

TEST_F(RegistryTest, StartUpTakesTheSystemFtpProxyOnlyWhenFhostIsEmpty)
{
    Settings settings;
    ProxyPreferences taken = load_proxy_preferences(settings, registry, SYSTEM);
    EXPECT_EQ(settings.text(KEY_FHOST), "fw");
    EXPECT_EQ(settings.integer(KEY_FPORT), 2121);
    EXPECT_EQ(taken.http_server, "web");
    EXPECT_EQ(taken.http_port, 8080);

    Settings own;
    own.set_text(KEY_FHOST, "mine");
    own.set_integer(KEY_FPORT, 21);
    load_proxy_preferences(own, registry, SYSTEM);
    EXPECT_EQ(own.text(KEY_FHOST), "mine");

    Settings off;
    load_proxy_preferences(off, registry, SystemProxy{});
    EXPECT_EQ(off.text(KEY_FHOST), "");
}

TEST(FtpProxySettings, TakeTypeAndCredentialsFromThePreferencesAndHostAndPortFromFhostAndFport)
{
    Settings settings;
    settings.set_text(KEY_FHOST, "fw");
    settings.set_integer(KEY_FPORT, 1080);
    const ProxySettings proxy =
        ftp_proxy_settings(ProxyPreferences{PROXY_SOCKS5, "u", "p", "web", 8080}, settings);
    EXPECT_EQ(proxy.type, PROXY_SOCKS5);
    EXPECT_EQ(proxy.host, "fw");
    EXPECT_EQ(proxy.port, 1080);
    EXPECT_EQ(proxy.user_name, "u");
    EXPECT_EQ(proxy.password, "p");
    EXPECT_EQ(ftp_proxy_settings(ProxyPreferences{7, "u", "p", "", 0}, settings).type, PROXY_NONE);
}

TEST_F(RegistryTest, SavingStoresTheSystemsHttpProxyAsAnEmptyValueUnlessAUserIsSet)
{
    ASSERT_TRUE(save_proxy_preferences(registry, SYSTEM, ProxyPreferences{1, "", "", "web", 8080}));
    EXPECT_EQ(get("proxy"), "");
    EXPECT_EQ(get("port"), "8080");
    ASSERT_TRUE(save_proxy_preferences(registry, SYSTEM, ProxyPreferences{1, "anna", "pw", "web", 8080}));
    EXPECT_EQ(get("proxy"), "web");
    ASSERT_TRUE(save_proxy_preferences(registry, SYSTEM, ProxyPreferences{1, "", "", "web", 3128}));
    EXPECT_EQ(get("proxy"), "web");
    ASSERT_TRUE(save_proxy_preferences(registry, SystemProxy{}, ProxyPreferences{1, "", "", "web", 8080}));
    EXPECT_EQ(get("proxy"), "web");
}

TEST_F(RegistryTest, AProxyTakenOverAtStartUpIsLeftOutOfConfigIniButKeptWhileRunning)
{
    Settings settings;
    load_proxy_preferences(settings, registry, SYSTEM);
    const Settings written = settings_for_writing(settings, registry, SYSTEM);
    EXPECT_EQ(written.text(KEY_FHOST), "");
    EXPECT_EQ(written.integer(KEY_FPORT), 0);
    EXPECT_EQ(settings.text(KEY_FHOST), "fw") << "new sessions still use the proxy";

    settings.set_text(KEY_FHOST, "FW");
    EXPECT_EQ(settings_for_writing(settings, registry, SYSTEM).text(KEY_FHOST), "") << "host ignores case";
    settings.set_integer(KEY_FPORT, 21);
    EXPECT_EQ(settings_for_writing(settings, registry, SYSTEM).text(KEY_FHOST), "FW") << "another port";
    settings.set_integer(KEY_FPORT, 2121);
    EXPECT_EQ(settings_for_writing(settings, registry, SystemProxy{}).text(KEY_FHOST), "FW")
        << "without a system proxy the host is the user's own";
}

} // namespace
} // namespace kestovan
