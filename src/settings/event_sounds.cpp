#include "settings/event_sounds.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace kestovan {

namespace {

constexpr std::string_view THEME_SUBFOLDER = "sounds/freedesktop/stereo";
constexpr std::array<std::string_view, 3> SOUND_EXTENSIONS = {".wav", ".oga", ".ogg"};

std::string lower_ascii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

std::vector<std::filesystem::path> data_folders()
{
    std::vector<std::filesystem::path> folders;
    if (const char* home = std::getenv("XDG_DATA_HOME"); home && *home)
        folders.emplace_back(home);
    else if (const char* user = std::getenv("HOME"); user && *user)
        folders.push_back(std::filesystem::path(user) / ".local" / "share");
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string_view list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        const std::string_view one = list.substr(0, colon);
        if (!one.empty())
            folders.emplace_back(std::string(one));
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    return folders;
}

bool is_file(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

} // namespace

int sound_event_index(std::string_view event)
{
    const auto it = std::find(SOUND_EVENTS.begin(), SOUND_EVENTS.end(), event);
    return it == SOUND_EVENTS.end() ? 0 : static_cast<int>(it - SOUND_EVENTS.begin()) + 1;
}

std::vector<std::filesystem::path> sound_theme_folders()
{
    std::vector<std::filesystem::path> folders;
    for (const std::filesystem::path& base : data_folders()) {
        std::error_code ec;
        const std::filesystem::path folder = base / THEME_SUBFOLDER;
        if (std::filesystem::is_directory(folder, ec))
            folders.push_back(folder);
    }
    return folders;
}

std::vector<std::string> sound_files_in(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string extension = lower_ascii(it->path().extension().string());
        if (std::find(SOUND_EXTENSIONS.begin(), SOUND_EXTENSIONS.end(), extension) !=
                SOUND_EXTENSIONS.end() &&
            is_file(it->path()))
            names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string sound_file_path(std::string_view setting, const std::string& sound_folder,
                            const std::vector<std::filesystem::path>& theme_folders)
{
    if (setting.empty())
        return {};
    if (setting.find('/') != std::string_view::npos)
        return std::string(setting);
    if (!sound_folder.empty())
        return (std::filesystem::path(sound_folder) / std::string(setting)).string();
    for (const std::filesystem::path& folder : theme_folders) {
        const std::filesystem::path candidate = folder / std::string(setting);
        if (is_file(candidate))
            return candidate.string();
    }
    return {};
}

EventSounds::EventSounds(const Settings& settings, SoundOutput& output,
                         std::vector<std::filesystem::path> theme_folders)
    : settings_(settings), output_(output), theme_folders_(std::move(theme_folders))
{}

std::string EventSounds::file_of(std::string_view setting) const
{
    return sound_file_path(setting, settings_.text(KEY_SP), theme_folders_);
}

void EventSounds::play_event_sound(int index)
{
    if (index < 1 || index > static_cast<int>(SOUND_KEYS.size()))
        return;
    if (const std::string file = file_of(settings_.text(SOUND_KEYS[static_cast<std::size_t>(index - 1)]));
        !file.empty())
        output_.play_file(file);
}

void EventSounds::play_event_sound_wait(int index)
{
    if (index < 1 || index > static_cast<int>(SOUND_KEYS.size()))
        return;
    if (const std::string file = file_of(settings_.text(SOUND_KEYS[static_cast<std::size_t>(index - 1)]));
        !file.empty())
        output_.play_file_and_wait(file, SOUND_WAIT_LIMIT);
}

void EventSounds::play_sound_text(std::string_view text)
{
    if (const std::string file = file_of(text.substr(0, MAX_SOUND_TEXT)); !file.empty())
        output_.play_file(file);
}

void EventSounds::play(std::string_view event, bool wait_until_done)
{
    const int index = sound_event_index(event);
    if (wait_until_done)
        play_event_sound_wait(index);
    else
        play_event_sound(index);
}

} // namespace kestovan
