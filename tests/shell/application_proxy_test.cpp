// The proxy in the assembled logic: the system's proxy taken over at start reaches the engine and
// the web client but is not written into config.ini as the program's own (the running program keeps
// it), the registry keeps the page's values, and every new session gets the settings current then.
#include "engine/engine.h"
#include "shell/application.h"
#include "support/scripted_prompts.h"
#include "support/test_environment.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace kestovan {
namespace {

std::string config_text(const Application& app)
{
    std::ifstream in(app.data_folder / "config.ini");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ApplicationProxy, TheSystemProxyIsUsedAndNotWrittenAsTheProgramsOwn)
{
    QTemporaryDir folder;
    const char* registry_dir = std::getenv("KESTOVAN_REGISTRY_DIR");
    const std::string registry_before = registry_dir ? registry_dir : "";
    setenv("KESTOVAN_REGISTRY_DIR", (folder.path().toStdString() + "/registry").c_str(), 1);
    const std::filesystem::path working = std::filesystem::current_path();
    {
        test::ScriptedPrompts prompts;
        Sounds sounds;
        Application app(prompts, sounds);
        ASSERT_TRUE(app.prepare_folders(folder.path().toStdString() + "/data", nullptr));
        app.registry.write_string(Hive::LocalMachine, "Software\\KESTOVAN\\Common", "type", "3");
        app.system_proxy = {true, "ftp=127.0.0.1:1080;http=127.0.0.1:3128"};
        app.load_state();
        app.start_engine();
        EXPECT_EQ(app.engine.proxy().type, PROXY_SOCKS5);
        EXPECT_EQ(app.engine.proxy().host, "127.0.0.1");
        EXPECT_EQ(app.engine.proxy().port, 1080);
        // The page's HTTP proxy (here the system's) is the web client's.
        EXPECT_EQ(app.shell->web().client().proxy().port, 3128);

        ASSERT_FALSE(app.save_state());
        const std::string written = config_text(app);
        EXPECT_EQ(written.find("fhost="), std::string::npos) << written;
        EXPECT_EQ(app.settings.text(KEY_FHOST), "127.0.0.1");
        EXPECT_EQ(app.settings.integer(KEY_FPORT), 1080);
        // The system's HTTP proxy is left to the system; the type stays stored.
        EXPECT_EQ(app.registry.read_string(Hive::LocalMachine, "Software\\KESTOVAN\\Common", "proxy"), "");
        EXPECT_EQ(app.registry.read_string(Hive::LocalMachine, "Software\\KESTOVAN\\Common", "type"), "3");

        // A proxy of the program's own is written, and a session opened now uses what is set now.
        PreferenceValues values = app.preferences();
        values.proxy_host = "127.0.0.2";
        values.proxy_port = 1081;
        values.proxy.http_server.clear();
        app.apply_preferences(values);
        app.engine.proxy() = {};
        ASSERT_TRUE(app.shell->sessions().apply_proxy);
        app.shell->sessions().apply_proxy();
        EXPECT_EQ(app.engine.proxy().host, "127.0.0.2");
        EXPECT_EQ(app.shell->web().client().proxy().host, "127.0.0.2"); // SOCKS carries the web too
        EXPECT_EQ(app.shell->web().client().proxy().port, 1081);
        ASSERT_FALSE(app.save_state());
        EXPECT_NE(config_text(app).find("fhost=127.0.0.2\nfport=1081\n"), std::string::npos);
    }
    std::filesystem::current_path(working);
    setenv("KESTOVAN_REGISTRY_DIR", registry_before.c_str(), 1);
}

} // namespace
} // namespace kestovan
