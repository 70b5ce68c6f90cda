// A shell on its own message window with scripted prompts, for logic tests without a screen.
#pragma once

#include "platform/window.h"
#include "profiles/profile_tree.h"
#include "profiles/site_profile.h"
#include "settings/settings.h"
#include "shell/shell.h"
#include "support/scripted_prompts.h"
#include "support/test_environment.h"

#include <QTemporaryDir>

#include <memory>

namespace kestovan::test {

struct RecordingSounds : Sounds {
    std::vector<std::string> played;
    void play(std::string_view event, bool) override { played.emplace_back(event); }
};

struct ShellHarness {
    explicit ShellHarness(int timeout_ms = 30000)
    {
        shell = std::make_unique<Shell>(window, engine, settings, prompts, sounds);
        shell->start_engine(timeout_ms);
        ctx().local_folder = local.path().toStdString();
        ctx().working_folder = local.path().toStdString();
    }
    ~ShellHarness()
    {
        shell.reset();
        engine.engine_shutdown();
    }

    ShellContext& ctx() { return shell->context(); }

    // Plain FTP unless asked: the servers of most tests do not speak TLS.
    DirEntry& add_site(const std::string& name, std::uint16_t port, const std::string& user = "bob",
                       const std::string& password = "secret", std::uint8_t encryption = ENCRYPTION_PLAIN)
    {
        auto node = make_profile_node(name, KIND_SITE);
        auto profile = std::make_unique<SiteProfile>();
        profile->name = name;
        profile->server = "127.0.0.1";
        profile->port = std::to_string(port);
        profile->username = user;
        profile->password = password;
        profile->passive = 1;
        profile->encryption = encryption;
        attach_profile(*node, std::move(profile));
        ctx().tree.push_back(std::move(node));
        return *ctx().tree.back();
    }

    bool wait(const std::function<bool()>& pred, int ms = 5000) { return wait_until(pred, ms); }

    // The stored log entries of a profile, tags included.
    static std::vector<std::string> log_entries(const SiteProfile& profile)
    {
        std::vector<std::string> out;
        for (const auto& entry : SessionLog::entries(profile)) {
            std::string text;
            for (const auto& segment : entry)
                text += colour_tag(segment.colour) + segment.text;
            out.push_back(text);
        }
        return out;
    }
    static int count_containing(const SiteProfile& profile, const std::string& needle)
    {
        int n = 0;
        for (const auto& entry : log_entries(profile))
            n += entry.find(needle) != std::string::npos;
        return n;
    }

    Window window;
    Engine engine;
    Settings settings;
    ScriptedPrompts prompts;
    RecordingSounds sounds;
    QTemporaryDir local;
    std::unique_ptr<Shell> shell;
};

} // namespace kestovan::test
