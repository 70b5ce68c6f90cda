#include "profiles/site_profile.h"

#include "profiles/state_text.h"
#include "ui/language.h"

#include <array>
#include <cstdio>
#include <span>

namespace kestovan {

void SiteProfileDeleter::operator()(SiteProfile* profile) const noexcept
{
    std::default_delete<SiteProfile>()(profile);
}

namespace {

int scramble_key(std::size_t position)
{
    return position == 0 ? 0x5A : static_cast<int>(position) + 0x2D;
}

// The text fields that a profile file and a copy carry, with their keys (file_path has no key).
struct TextField {
    std::string_view key;
    std::optional<std::string> SiteProfile::*field;
};
constexpr std::array LEADING_TEXTS{
    TextField{PROFILE_KEY_SERVER, &SiteProfile::server},
    TextField{PROFILE_KEY_PORT, &SiteProfile::port},
    TextField{PROFILE_KEY_USERNAME, &SiteProfile::username},
    TextField{PROFILE_KEY_ACCT, &SiteProfile::account},
};
constexpr std::array TRAILING_TEXTS{
    TextField{PROFILE_KEY_LOCAL, &SiteProfile::local_folder},
    TextField{PROFILE_KEY_REMOTE, &SiteProfile::remote_folder},
    TextField{PROFILE_KEY_COMMENT, &SiteProfile::comment},
};

bool apply_text(std::string_view line, SiteProfile& profile, std::span<const TextField> fields)
{
    std::string_view value;
    for (const TextField& text : fields) {
        if (take_key_value(line, text.key, value)) {
            profile.*text.field = std::string(value);
            return true;
        }
    }
    return false;
}

void append_number(std::string& out, std::string_view key, long long value)
{
    append_key_line(out, key, std::to_string(value));
}

} // namespace

std::string scramble_password(std::string_view password)
{
    std::string stored;
    stored.reserve(password.size() * 3);
    for (std::size_t i = 0; i < password.size(); ++i) {
        const int c = static_cast<unsigned char>(password[i]);
        const int k = scramble_key(i);
        const int number = i < LONG_PASSWORD_POSITION ? (c ^ k) + static_cast<int>(i) : c ^ (k & 0xFF);
        std::array<char, 8> digits{};
        std::snprintf(digits.data(), digits.size(), "%03d", number);
        stored.append(digits.data());
    }
    return stored;
}

std::string unscramble_password(std::string_view stored)
{
    std::string password;
    for (std::size_t i = 0; i * 3 < stored.size() && stored[i * 3] != '\0'; ++i) {
        const auto number = static_cast<int>(lenient_number(stored.substr(i * 3, 3)));
        const int k = scramble_key(i);
        const int c = i < LONG_PASSWORD_POSITION ? (number - static_cast<int>(i)) ^ k : number ^ (k & 0xFF);
        if ((c & 0xFF) == 0)
            break;
        password.push_back(static_cast<char>(c & 0xFF));
    }
    return password;
}

std::unique_ptr<SiteProfile> copy_profile(const SiteProfile* profile)
{
    auto copy = std::make_unique<SiteProfile>();
    if (!profile)
        return copy;
    copy->name = profile->name;
    copy->server = profile->server;
    copy->port = profile->port;
    copy->file_path = profile->file_path;
    copy->password = profile->password;
    copy->username = profile->username;
    copy->account = profile->account;
    copy->local_folder = profile->local_folder;
    copy->remote_folder = profile->remote_folder;
    copy->comment = profile->comment;
    copy->passive = profile->passive;
    copy->name_case = profile->name_case;
    copy->save_password = profile->save_password;
    copy->anonymous = profile->anonymous;
    copy->encryption = profile->encryption;
    return copy;
}

LoginValues anonymous_login(const SiteProfile& profile, std::string_view email_setting)
{
    if (!profile.anonymous)
        return {profile.username.value_or(""), profile.password.value_or("")};
    LoginValues values;
    values.user =
        profile.username && !profile.username->empty() ? *profile.username : std::string(ANONYMOUS_USER);
    if (profile.password && !profile.password->empty())
        values.password = *profile.password;
    else if (!email_setting.empty())
        values.password = std::string(email_setting);
    else
        values.password = std::string(DEFAULT_ANONYMOUS_PASSWORD);
    return values;
}

void append_profile_lines(std::string& out, const SiteProfile& profile, std::uint8_t kind)
{
    for (const TextField& text : LEADING_TEXTS) {
        if (const auto& value = profile.*text.field)
            append_key_line(out, text.key, *value);
    }
    if (profile.password && profile.save_password)
        append_key_line(out, PROFILE_KEY_PASSWORD, scramble_password(*profile.password));
    for (const TextField& text : TRAILING_TEXTS) {
        if (const auto& value = profile.*text.field)
            append_key_line(out, text.key, *value);
    }
    append_number(out, PROFILE_KEY_PASV, profile.passive);
    append_number(out, PROFILE_KEY_CASE, profile.name_case);
    append_number(out, PROFILE_KEY_TYP, kind);
    append_number(out, PROFILE_KEY_SAVE, profile.save_password);
    append_number(out, PROFILE_KEY_ANON, profile.anonymous);
    append_number(out, PROFILE_KEY_USER, profile.user);
    // Only a site connects; folders, URL profiles and links have no use for the line.
    if (kind == KIND_SITE)
        append_number(out, PROFILE_KEY_TLS, profile.encryption);
}

std::string format_profile_file(const SiteProfile& profile, std::uint8_t kind, std::string_view display_name)
{
    std::string out;
    if (!display_name.empty())
        append_key_line(out, PROFILE_KEY_NAME, profile.name.value_or(std::string(display_name)));
    append_profile_lines(out, profile, kind);
    return out;
}

bool apply_profile_line(std::string_view line, SiteProfile& profile, std::uint8_t& kind)
{
    if (apply_text(line, profile, LEADING_TEXTS) || apply_text(line, profile, TRAILING_TEXTS))
        return true;
    std::string_view value;
    if (take_key_value(line, PROFILE_KEY_PASSWORD, value))
        profile.password = unscramble_password(value);
    else if (take_key_value(line, PROFILE_KEY_PASV, value))
        profile.passive = lenient_byte(value);
    else if (take_key_value(line, PROFILE_KEY_CASE, value))
        profile.name_case = lenient_byte(value);
    else if (take_key_value(line, PROFILE_KEY_SAVE, value))
        profile.save_password = lenient_byte(value);
    else if (take_key_value(line, PROFILE_KEY_ANON, value))
        profile.anonymous = lenient_byte(value);
    else if (take_key_value(line, PROFILE_KEY_USER, value))
        profile.user = lenient_int32(value);
    else if (take_key_value(line, PROFILE_KEY_TYP, value))
        kind = lenient_byte(value);
    else if (take_key_value(line, PROFILE_KEY_TLS, value)) {
        // A number this version does not know still asks for TLS rather than giving it up.
        const std::uint8_t stored = lenient_byte(value);
        profile.encryption = stored <= ENCRYPTION_LAST ? stored : std::uint8_t{ENCRYPTION_EXPLICIT};
    } else
        return false;
    return true;
}

void parse_profile_text(std::string_view text, SiteProfile& profile, std::uint8_t& kind)
{
    profile.encryption = ENCRYPTION_EXPLICIT_IF_AVAILABLE;
    for_each_state_line(text, PROFILE_LINE_LIMIT, PROFILE_TRAILING, [&](std::string_view line) {
        apply_profile_line(line, profile, kind);
        return true;
    });
}

std::string ProfileError::message() const
{
    return format_string(string_id, argument);
}

} // namespace kestovan
