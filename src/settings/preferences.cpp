#include "settings/preferences.h"

namespace kestovan {

PreferenceValues preference_values(const Settings& settings, const ProxyPreferences& proxy,
                                   const RenameRules& rules)
{
    PreferenceValues values;
    values.browser = settings.text(KEY_BROWSER);
    values.email = settings.text(KEY_EMAIL);
    values.hammer_delay = settings.integer(KEY_HDELAY);
    values.hammer_count = settings.integer(KEY_HCOUNT);
    values.server_timeout = settings.integer(KEY_FTIMEOUT);
    values.new_window = settings.flag(KEY_NEWWIN);
    values.auto_refresh = settings.flag(KEY_REFRESH);
    values.sort = settings.flag(KEY_SORT);
    values.proxy_host = settings.text(KEY_FHOST);
    values.proxy_port = settings.integer(KEY_FPORT);
    values.proxy = proxy;
    for (std::size_t i = 0; i < SOUND_KEYS.size(); ++i)
        values.sounds[i] = settings.text(SOUND_KEYS[i]);
    values.sound_dialog_folder = settings.text(KEY_SNDPATH);
    values.rename_rules = rules;
    return values;
}

void store_preferences(const PreferenceValues& values, Settings& settings, ProxyPreferences& proxy,
                       RenameRules& rules)
{
    settings.set_text(KEY_BROWSER, values.browser);
    settings.set_text(KEY_EMAIL, values.email);
    settings.set_integer(KEY_HDELAY, clamp_hammer_delay(values.hammer_delay));
    settings.set_integer(KEY_HCOUNT, clamp_hammer_count(values.hammer_count));
    settings.set_integer(KEY_FTIMEOUT, clamp_server_timeout(values.server_timeout));
    settings.set_flag(KEY_NEWWIN, values.new_window);
    settings.set_flag(KEY_REFRESH, values.auto_refresh);
    settings.set_flag(KEY_SORT, values.sort);
    settings.set_text(KEY_FHOST, values.proxy_host);
    settings.set_integer(KEY_FPORT, values.proxy_port);
    proxy = values.proxy;
    for (std::size_t i = 0; i < SOUND_KEYS.size(); ++i)
        settings.set_text(SOUND_KEYS[i], values.sounds[i]);
    settings.set_text(KEY_SNDPATH, values.sound_dialog_folder);
    rules = values.rename_rules;
}

} // namespace kestovan
