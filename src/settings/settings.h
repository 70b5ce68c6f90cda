// The settings table: every user preference kept in config.ini as a "key=value" line, ahead of the
// queue and bookmark records. The table is data (key, type, default, in write order); Settings holds
// one value per entry and reads and writes the lines. The config.ini reader hands each line to
// read_settings_line before trying its own keys; its writer calls write_settings after its header.
#pragma once

#include "settings/window_placement.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

constexpr std::string_view KEY_BROWSER = "browser";
constexpr std::string_view KEY_LMASK = "lmask";
constexpr std::string_view KEY_RMASK = "rmask";
constexpr std::string_view KEY_EMAIL = "email";
constexpr std::string_view KEY_FHOST = "fhost";
constexpr std::string_view KEY_FPORT = "fport";
constexpr std::string_view KEY_HDELAY = "hdelay";
constexpr std::string_view KEY_HCOUNT = "hcount";
constexpr std::string_view KEY_FTIMEOUT = "ftimeout";
constexpr std::string_view KEY_NEWWIN = "newwin";
constexpr std::string_view KEY_SORT = "sort";
constexpr std::string_view KEY_REFRESH = "refresh";
constexpr std::string_view KEY_HELP = "help";
constexpr std::string_view KEY_VIEW = "view";
constexpr std::string_view KEY_S1 = "S1";
constexpr std::string_view KEY_S2 = "S2";
constexpr std::string_view KEY_S3 = "S3";
constexpr std::string_view KEY_S4 = "S4";
constexpr std::string_view KEY_S5 = "S5";
constexpr std::string_view KEY_S6 = "S6";
constexpr std::string_view KEY_S7 = "S7";
constexpr std::string_view KEY_SP = "SP";
constexpr std::string_view KEY_SNDPATH = "sndpath";
constexpr std::string_view KEY_L0 = "L0";
constexpr std::string_view KEY_L1 = "L1";
constexpr std::string_view KEY_L2 = "L2";
constexpr std::string_view KEY_L3 = "L3";
constexpr std::string_view KEY_L4 = "L4";
constexpr std::string_view KEY_D_MAIN = "d_main";
constexpr std::string_view KEY_D_HELP = "d_help";

// Sound files of the events ProgramStart, ProgramExit, FtpConnect, FtpDisconnect, FtpUpload,
// FtpDownload and FtpError, in this order.
constexpr std::array<std::string_view, 7> SOUND_KEYS = {KEY_S1, KEY_S2, KEY_S3, KEY_S4,
                                                        KEY_S5, KEY_S6, KEY_S7};
// Recent profiles, most recent first.
constexpr std::array<std::string_view, 5> RECENT_PROFILE_KEYS = {KEY_L0, KEY_L1, KEY_L2, KEY_L3, KEY_L4};

// Bits of the view setting; higher bits are kept as they are.
constexpr int VIEW_TOOLBAR = 1;
constexpr int VIEW_SESSION_LOG = 2;
constexpr int VIEW_BUTTONS = 4;
constexpr int VIEW_FILTER_BAR = 8;
// Everything but the filter bar shown; the higher bits come set as well.
constexpr int VIEW_DEFAULT = 247;

enum class SettingType {
    TEXT,      // absent when empty
    INTEGER,   // 32-bit signed
    FLAG,      // an integer that is 0 or 1
    PLACEMENT, // a window placement, absent until a window has one
};

struct SettingSpec {
    std::string_view key;
    SettingType type;
    int default_value = 0; // integers and flags only
};

// Write order is table order.
constexpr std::array SETTINGS_TABLE = {
    SettingSpec{KEY_BROWSER, SettingType::TEXT},
    SettingSpec{KEY_LMASK, SettingType::TEXT},
    SettingSpec{KEY_RMASK, SettingType::TEXT},
    SettingSpec{KEY_EMAIL, SettingType::TEXT},
    SettingSpec{KEY_FHOST, SettingType::TEXT},
    SettingSpec{KEY_FPORT, SettingType::INTEGER, 0},
    SettingSpec{KEY_HDELAY, SettingType::INTEGER, 4000},
    SettingSpec{KEY_HCOUNT, SettingType::INTEGER, 100},
    SettingSpec{KEY_FTIMEOUT, SettingType::INTEGER, 0},
    SettingSpec{KEY_NEWWIN, SettingType::FLAG, 0},
    SettingSpec{KEY_SORT, SettingType::FLAG, 1},
    SettingSpec{KEY_REFRESH, SettingType::FLAG, 0},
    SettingSpec{KEY_HELP, SettingType::FLAG, 1},
    SettingSpec{KEY_VIEW, SettingType::INTEGER, VIEW_DEFAULT},
    SettingSpec{KEY_S1, SettingType::TEXT},
    SettingSpec{KEY_S2, SettingType::TEXT},
    SettingSpec{KEY_S3, SettingType::TEXT},
    SettingSpec{KEY_S4, SettingType::TEXT},
    SettingSpec{KEY_S5, SettingType::TEXT},
    SettingSpec{KEY_S6, SettingType::TEXT},
    SettingSpec{KEY_S7, SettingType::TEXT},
    SettingSpec{KEY_SP, SettingType::TEXT},
    SettingSpec{KEY_SNDPATH, SettingType::TEXT},
    SettingSpec{KEY_L0, SettingType::TEXT},
    SettingSpec{KEY_L1, SettingType::TEXT},
    SettingSpec{KEY_L2, SettingType::TEXT},
    SettingSpec{KEY_L3, SettingType::TEXT},
    SettingSpec{KEY_L4, SettingType::TEXT},
    SettingSpec{KEY_D_MAIN, SettingType::PLACEMENT},
    SettingSpec{KEY_D_HELP, SettingType::PLACEMENT},
};

// The longest line write_settings produces, line feed included. A text value is cut (at a character
// boundary) so that its line fits: a reader whose line buffer holds this many bytes never sees the
// tail of a long value as a line of its own.
constexpr std::size_t MAX_SETTINGS_LINE = 4048;

// An integer as the settings read it: optional blanks and sign, then the leading decimal digits;
// text that does not start like a number is 0, values beyond 32 bits saturate.
[[nodiscard]] int lenient_integer(std::string_view text);

class Settings {
public:
    Settings(); // every setting at its default

    // Stores the value of a "key=value" line (key compared without regard to case) and returns true;
    // false, storing nothing, when the line starts with no key followed by "=". A placement that
    // cannot be read leaves the window without one.
    bool read_settings_line(std::string_view line);

    // Appends one line per setting in table order, each ended by "\n": texts only when not empty,
    // integers and flags always, placements only when there is one.
    void write_settings(std::string& out) const;

    // Empties every text setting; config.ini is read after this, so texts it lacks end empty.
    void clear_texts();

    // Typed access by key constant. A key of another type (or none) reads as empty, 0, false or
    // nullopt, and setting it does nothing.
    [[nodiscard]] std::string text(std::string_view key) const;
    // Keeps the text up to its first line break, without trailing blanks, cut to fit a line of
    // MAX_SETTINGS_LINE: exactly what config.ini gives back.
    void set_text(std::string_view key, std::string_view value);
    [[nodiscard]] int integer(std::string_view key) const; // flags read as 0 or 1
    void set_integer(std::string_view key, int value);     // a flag stores 1 for any non-zero value
    [[nodiscard]] bool flag(std::string_view key) const;   // integers: true when non-zero
    void set_flag(std::string_view key, bool on);
    [[nodiscard]] std::optional<WindowPlacement> placement(std::string_view key) const;
    void set_placement(std::string_view key, std::optional<WindowPlacement> placement);

    // L0..L4 in order, empty ones left out.
    [[nodiscard]] std::vector<std::string> recent_profiles() const;
    // Puts entry first by the recent-profile rule; true when the list changed.
    bool add_recent_profile(std::string_view entry);

private:
    struct Value {
        std::string text;
        int integer = 0;
        std::optional<WindowPlacement> placement;
    };

    [[nodiscard]] const Value* find(std::string_view key, SettingType type) const;
    Value* find(std::string_view key, SettingType type);
    void store(std::size_t index, std::string_view value);

    std::array<Value, SETTINGS_TABLE.size()> values_;
};

// The clamps of the Settings page, applied when its values are stored.
constexpr int MIN_HAMMER_DELAY = 1000;
constexpr int MIN_HAMMER_COUNT = 2;
constexpr int MIN_SERVER_TIMEOUT = 4000;
[[nodiscard]] constexpr int clamp_hammer_delay(int ms)
{
    return ms < MIN_HAMMER_DELAY ? MIN_HAMMER_DELAY : ms;
}
[[nodiscard]] constexpr int clamp_hammer_count(int count)
{
    return count < MIN_HAMMER_COUNT ? MIN_HAMMER_COUNT : count;
}
// 0 means no time-out and stays 0.
[[nodiscard]] constexpr int clamp_server_timeout(int ms)
{
    return ms != 0 && ms < MIN_SERVER_TIMEOUT ? MIN_SERVER_TIMEOUT : ms;
}

// Recent profiles: each entry is the profile's display name, ":" and its profile file path.
constexpr std::size_t MAX_RECENT_PROFILES = 5;
[[nodiscard]] std::string recent_profile_entry(std::string_view display_name, std::string_view path);
// The text a menu item shows: the entry up to its first ":".
[[nodiscard]] std::string_view recent_profile_label(std::string_view entry);
// Puts entry first: an equal entry already in the list moves to the front, otherwise the new one is
// added there and the list keeps its MAX_RECENT_PROFILES most recent entries. Empty entries in the
// list are dropped. Returns true when the list changed.
bool put_recent_profile_first(std::vector<std::string>& list, std::string_view entry);

} // namespace kestovan
