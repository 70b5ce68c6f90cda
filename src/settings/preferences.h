// What the Preferences dialog edits: a copy of the settings of its five pages, taken when the dialog
// opens and stored only when it is confirmed with OK. Cancel drops the copy, so no page's edits are
// kept (the Settings and Options pages do not store themselves on closing).
#pragma once

#include "settings/proxy_settings.h"
#include "settings/settings.h"
#include "views/rename_rules.h"

#include <array>
#include <string>

namespace kestovan {

// The pages in tree order; the Options menu opens the dialog on one of them.
enum PreferencesPage : int {
    PAGE_SETTINGS = 0,
    PAGE_OPTIONS = 1,
    PAGE_PROXY = 2,
    PAGE_SOUND = 3,
    PAGE_AUTO_RENAME = 4,
};
inline constexpr int PREFERENCES_PAGE_COUNT = 5;

struct PreferenceValues {
    // Settings page
    std::string browser;
    std::string email;
    int hammer_delay = 0;
    int hammer_count = 0;
    int server_timeout = 0;
    // Options page
    bool new_window = false;
    bool auto_refresh = false;
    bool sort = false;
    // Firewall/Proxy page: `fhost` and `fport`, and what the registry keeps
    std::string proxy_host;
    int proxy_port = 0;
    ProxyPreferences proxy;
    // Sound page: S1..S7 and the folder the file dialog last showed
    std::array<std::string, SOUND_KEYS.size()> sounds;
    std::string sound_dialog_folder;
    // Auto-Rename page
    RenameRules rename_rules;
};

[[nodiscard]] PreferenceValues preference_values(const Settings& settings, const ProxyPreferences& proxy,
                                                 const RenameRules& rules);

// Stores the values: the Settings page's numbers clamped (hammer delay at least 1000 ms, at least 2
// attempts, a time-out of 0 or at least 4000 ms); empty texts become absent settings.
void store_preferences(const PreferenceValues& values, Settings& settings, ProxyPreferences& proxy,
                       RenameRules& rules);

} // namespace kestovan
