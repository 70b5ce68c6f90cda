#include "queue/config_file.h"

#include "profiles/state_text.h"
#include "ui/language.h"

#include <array>
#include <cstdio>

namespace kestovan {

namespace {

// Writes the lines of one record, each key behind its prefix digit.
class RecordWriter {
public:
    RecordWriter(std::string& out, char prefix) : out_(out), prefix_(prefix) {}

    void text(std::string_view key, const std::optional<std::string>& value)
    {
        if (value)
            append_key_line(out_, prefixed(key), *value);
    }

    void number(std::string_view key, long long value)
    {
        append_key_line(out_, prefixed(key), std::to_string(value));
    }

    // Byte fields are written signed, so 255 is stored as -1.
    void byte(std::string_view key, std::uint8_t value) { number(key, static_cast<std::int8_t>(value)); }

private:
    std::string prefixed(std::string_view key) const { return prefix_ + std::string(key); }

    std::string& out_;
    char prefix_;
};

void append_record(std::string& out, char prefix, const Task& task)
{
    RecordWriter w(out, prefix);
    w.text(TASK_KEY_NAME, task.name);
    if (const SiteProfile* p = task.profile.get()) {
        w.text(TASK_KEY_SNAME, p->name);
        w.text(TASK_KEY_SERVER, p->server);
        w.text(TASK_KEY_PORT, p->port);
        w.text(TASK_KEY_USERNAME, p->username);
        w.text(TASK_KEY_ACCT, p->account);
        // The queue needs the password to run, whatever the profile's save-password flag says.
        if (p->password)
            w.text(TASK_KEY_PASSWORD, scramble_password(*p->password));
        w.text(TASK_KEY_STR, p->remote_folder);
        w.byte(TASK_KEY_PASV, p->passive);
        w.byte(TASK_KEY_CASE, p->name_case);
        w.byte(TASK_KEY_ANON, p->anonymous);
        w.number(TASK_KEY_USER, p->user);
        w.byte(TASK_KEY_TLS, p->encryption);
    }
    w.text(TASK_KEY_LOCAL, task.source);
    w.text(TASK_KEY_REMOTE, task.destination);
    w.byte(TASK_KEY_TYP, task.kind);
    w.byte(TASK_KEY_STATUS, task.status);
    w.byte(TASK_KEY_STATE, task.state);
    w.byte(TASK_KEY_MODE, task.mode);
    w.number(TASK_KEY_SIZE, task.size);
}

struct RecordText {
    std::string_view key;
    std::optional<std::string> SiteProfile::*profile_field;
    std::optional<std::string> Task::*task_field;
};
constexpr std::array RECORD_TEXTS{
    RecordText{TASK_KEY_SERVER, &SiteProfile::server, nullptr},
    RecordText{TASK_KEY_SNAME, &SiteProfile::name, nullptr},
    RecordText{TASK_KEY_PORT, &SiteProfile::port, nullptr},
    RecordText{TASK_KEY_USERNAME, &SiteProfile::username, nullptr},
    RecordText{TASK_KEY_ACCT, &SiteProfile::account, nullptr},
    RecordText{TASK_KEY_STR, &SiteProfile::remote_folder, nullptr},
    RecordText{TASK_KEY_LOCAL, nullptr, &Task::source},
    RecordText{TASK_KEY_REMOTE, nullptr, &Task::destination},
};

struct RecordByte {
    std::string_view key;
    std::uint8_t SiteProfile::*profile_field;
    std::uint8_t Task::*task_field;
};
constexpr std::array RECORD_BYTES{
    RecordByte{TASK_KEY_PASV, &SiteProfile::passive, nullptr},
    RecordByte{TASK_KEY_CASE, &SiteProfile::name_case, nullptr},
    RecordByte{TASK_KEY_ANON, &SiteProfile::anonymous, nullptr},
    RecordByte{TASK_KEY_TLS, &SiteProfile::encryption, nullptr},
    RecordByte{TASK_KEY_TYP, nullptr, &Task::kind},
    RecordByte{TASK_KEY_STATUS, nullptr, &Task::status},
    RecordByte{TASK_KEY_STATE, nullptr, &Task::state},
    RecordByte{TASK_KEY_MODE, nullptr, &Task::mode},
};

// Applies a record line (without its prefix digit) to task, whose profile exists; unknown keys are
// ignored.
void apply_record_line(std::string_view line, Task& task)
{
    SiteProfile& profile = *task.profile;
    std::string_view value;
    for (const RecordText& text : RECORD_TEXTS) {
        if (take_key_value(line, text.key, value)) {
            (text.profile_field ? profile.*text.profile_field : task.*text.task_field) = std::string(value);
            return;
        }
    }
    for (const RecordByte& field : RECORD_BYTES) {
        if (take_key_value(line, field.key, value)) {
            (field.profile_field ? profile.*field.profile_field : task.*field.task_field) =
                lenient_byte(value);
            return;
        }
    }
    if (take_key_value(line, TASK_KEY_PASSWORD, value))
        profile.password = unscramble_password(value);
    else if (take_key_value(line, TASK_KEY_USER, value))
        profile.user = lenient_int32(value);
    else if (take_key_value(line, TASK_KEY_SIZE, value))
        task.size = lenient_number(value);
}

} // namespace

std::string format_version(const VersionTriple& version)
{
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%d.%02d.%03d", version.major, version.middle, version.minor);
    return text.data();
}

VersionTriple parse_version_triple(std::string_view dotted)
{
    std::array<int, 3> parts{};
    for (int& part : parts) {
        const std::size_t dot = dotted.find('.');
        part = lenient_int32(dotted.substr(0, dot));
        dotted = dot == std::string_view::npos ? std::string_view() : dotted.substr(dot + 1);
    }
    return {parts[0], parts[1], parts[2]};
}

VersionTriple program_version()
{
    return parse_version_triple(KESTOVAN_VERSION);
}

std::string format_config(const ConfigState& state, const VersionTriple& version)
{
    return format_config(state, state.settings, version);
}

std::string format_config(const ConfigState& state, const Settings& settings, const VersionTriple& version)
{
    std::string out;
    append_key_line(out, CONFIG_VERSION_KEY, format_version(version));
    append_key_line(out, CONFIG_PRODUCT_KEY, PRODUCT_NAME);
    settings.write_settings(out);
    for (const auto& task : state.queue)
        append_record(out, TASK_PREFIX, *task);
    for (const auto& bookmark : state.bookmarks)
        append_record(out, BOOKMARK_PREFIX, *bookmark);
    write_rename_block(state.rename_rules, out);
    return out;
}

ConfigWriteResult write_config(ConfigState& state, const std::filesystem::path& path,
                               const ConfigHooks& hooks)
{
    if (hooks.before_write)
        hooks.before_write(state);
    const std::string text =
        hooks.settings_to_write
            ? format_config(state, hooks.settings_to_write(state.settings), program_version())
            : format_config(state, program_version());
    if (!write_file_atomically(path, text, hooks.file))
        return {false, load_string(IDS_ERR_CONFIG_WRITE)};
    if (hooks.after_write)
        hooks.after_write();
    return {};
}

void parse_config(std::string_view text, ConfigState& state)
{
    StateLines lines(text, CONFIG_LINE_LIMIT, CONFIG_TRAILING);
    Task* current = nullptr; // the most recent record, whatever its prefix
    while (const auto line = lines.next()) {
        if (state.settings.read_settings_line(*line))
            continue;
        if (line->starts_with(TASK_PREFIX) || line->starts_with(BOOKMARK_PREFIX)) {
            const std::string_view rest = line->substr(1);
            if (std::string_view name; take_key_value(rest, TASK_KEY_NAME, name)) {
                auto task = std::make_unique<Task>();
                task->profile = std::make_unique<SiteProfile>();
                // Records written before they had a "TLS" line use TLS when the server offers it.
                task->profile->encryption = ENCRYPTION_EXPLICIT_IF_AVAILABLE;
                task->name = std::string(name);
                current = task.get();
                (line->front() == TASK_PREFIX ? state.queue : state.bookmarks).push_back(std::move(task));
            } else if (current) {
                apply_record_line(rest, *current);
            }
        } else if (is_rename_block_start(*line)) {
            read_rename_block(state.rename_rules, [&]() -> std::optional<std::string> {
                if (const auto next = lines.next())
                    return std::string(*next);
                return std::nullopt;
            });
        }
    }
}

bool read_config(ConfigState& state, const std::filesystem::path& path, const ConfigHooks& hooks)
{
    state.settings.clear_texts();
    const auto text = read_state_file(path);
    if (text)
        parse_config(*text, state);
    if (hooks.after_read)
        hooks.after_read();
    return text.has_value();
}

} // namespace kestovan
