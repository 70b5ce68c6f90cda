#include "settings/settings.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace kestovan {
namespace {

char lower_ascii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool starts_with_key(std::string_view line, std::string_view key)
{
    if (line.size() <= key.size() || line[key.size()] != '=')
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (lower_ascii(line[i]) != lower_ascii(key[i]))
            return false;
    }
    return true;
}

std::optional<std::size_t> index_of(std::string_view key)
{
    for (std::size_t i = 0; i < SETTINGS_TABLE.size(); ++i) {
        if (SETTINGS_TABLE[i].key == key)
            return i;
    }
    return std::nullopt;
}

bool is_numeric(SettingType type)
{
    return type == SettingType::INTEGER || type == SettingType::FLAG;
}

// Cuts text to at most limit bytes without splitting a UTF-8 sequence.
std::string_view cut_at_character(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

std::string one_line_value(std::string_view key, std::string_view value)
{
    value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.remove_suffix(1);
    // key, "=", value and "\n" fit in MAX_SETTINGS_LINE.
    return std::string(cut_at_character(value, MAX_SETTINGS_LINE - key.size() - 2));
}

} // namespace

int lenient_integer(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1; // saturated; stays small enough to keep going
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

Settings::Settings()
{
    for (std::size_t i = 0; i < SETTINGS_TABLE.size(); ++i)
        values_[i].integer = SETTINGS_TABLE[i].default_value;
}

bool Settings::read_settings_line(std::string_view line)
{
    for (std::size_t i = 0; i < SETTINGS_TABLE.size(); ++i) {
        if (starts_with_key(line, SETTINGS_TABLE[i].key)) {
            store(i, line.substr(SETTINGS_TABLE[i].key.size() + 1));
            return true;
        }
    }
    return false;
}

void Settings::store(std::size_t index, std::string_view value)
{
    const SettingSpec& setting = SETTINGS_TABLE[index];
    Value& target = values_[index];
    switch (setting.type) {
    case SettingType::TEXT: target.text = one_line_value(setting.key, value); return;
    case SettingType::INTEGER: target.integer = lenient_integer(value); return;
    case SettingType::FLAG: target.integer = lenient_integer(value) != 0 ? 1 : 0; return;
    case SettingType::PLACEMENT: target.placement = parse_window_placement(value); return;
    }
}

void Settings::write_settings(std::string& out) const
{
    for (std::size_t i = 0; i < SETTINGS_TABLE.size(); ++i) {
        const SettingSpec& setting = SETTINGS_TABLE[i];
        const Value& value = values_[i];
        std::string line;
        switch (setting.type) {
        case SettingType::TEXT:
            if (!value.text.empty())
                line = value.text;
            else
                continue;
            break;
        case SettingType::INTEGER:
        case SettingType::FLAG: line = std::to_string(value.integer); break;
        case SettingType::PLACEMENT:
            if (value.placement)
                line = format_window_placement(*value.placement);
            else
                continue;
            break;
        }
        out += setting.key;
        out += '=';
        out += line;
        out += '\n';
    }
}

void Settings::clear_texts()
{
    for (std::size_t i = 0; i < SETTINGS_TABLE.size(); ++i) {
        if (SETTINGS_TABLE[i].type == SettingType::TEXT)
            values_[i].text.clear();
    }
}

const Settings::Value* Settings::find(std::string_view key, SettingType type) const
{
    const std::optional<std::size_t> index = index_of(key);
    if (!index)
        return nullptr;
    const SettingType actual = SETTINGS_TABLE[*index].type;
    const bool fits = actual == type || (is_numeric(actual) && is_numeric(type));
    return fits ? &values_[*index] : nullptr;
}

Settings::Value* Settings::find(std::string_view key, SettingType type)
{
    return const_cast<Value*>(std::as_const(*this).find(key, type));
}

std::string Settings::text(std::string_view key) const
{
    const Value* value = find(key, SettingType::TEXT);
    return value ? value->text : std::string();
}

void Settings::set_text(std::string_view key, std::string_view text)
{
    if (Value* value = find(key, SettingType::TEXT))
        value->text = one_line_value(key, text);
}

int Settings::integer(std::string_view key) const
{
    const Value* value = find(key, SettingType::INTEGER);
    return value ? value->integer : 0;
}

void Settings::set_integer(std::string_view key, int number)
{
    const std::optional<std::size_t> index = index_of(key);
    if (Value* value = find(key, SettingType::INTEGER))
        value->integer = SETTINGS_TABLE[*index].type == SettingType::FLAG && number != 0 ? 1 : number;
}

bool Settings::flag(std::string_view key) const
{
    return integer(key) != 0;
}

void Settings::set_flag(std::string_view key, bool on)
{
    set_integer(key, on ? 1 : 0);
}

std::optional<WindowPlacement> Settings::placement(std::string_view key) const
{
    const Value* value = find(key, SettingType::PLACEMENT);
    return value ? value->placement : std::nullopt;
}

void Settings::set_placement(std::string_view key, std::optional<WindowPlacement> placement)
{
    if (Value* value = find(key, SettingType::PLACEMENT))
        value->placement = std::move(placement);
}

std::vector<std::string> Settings::recent_profiles() const
{
    std::vector<std::string> list;
    for (std::string_view key : RECENT_PROFILE_KEYS) {
        std::string entry = text(key);
        if (!entry.empty())
            list.push_back(std::move(entry));
    }
    return list;
}

bool Settings::add_recent_profile(std::string_view entry)
{
    std::vector<std::string> list = recent_profiles();
    const bool changed = put_recent_profile_first(list, entry);
    for (std::size_t i = 0; i < RECENT_PROFILE_KEYS.size(); ++i)
        set_text(RECENT_PROFILE_KEYS[i], i < list.size() ? list[i] : std::string());
    return changed;
}

std::string recent_profile_entry(std::string_view display_name, std::string_view path)
{
    std::string entry(display_name);
    entry += ':';
    entry += path;
    return entry;
}

std::string_view recent_profile_label(std::string_view entry)
{
    return entry.substr(0, entry.find(':'));
}

bool put_recent_profile_first(std::vector<std::string>& list, std::string_view entry)
{
    std::vector<std::string> updated;
    if (!entry.empty())
        updated.emplace_back(entry);
    for (const std::string& old : list) {
        if (!old.empty() && old != entry && updated.size() < MAX_RECENT_PROFILES)
            updated.push_back(old);
    }
    if (updated == list)
        return false;
    list = std::move(updated);
    return true;
}

} // namespace kestovan
