// The sound events: seven events, each with a sound file in the settings S1..S7. A setting is a full
// path (it holds a "/") or a bare file name, which is looked up in the folder of `SP` or, when `SP`
// is not set, in the desktop's sound theme folders. Sounds play asynchronously, except the exit
// sound, which the program waits for (bounded).
#pragma once

#include "platform/sound_output.h"
#include "settings/settings.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

inline constexpr std::string_view SOUND_PROGRAM_START = "ProgramStart";
inline constexpr std::string_view SOUND_PROGRAM_EXIT = "ProgramExit";
inline constexpr std::string_view SOUND_FTP_CONNECT = "FtpConnect";
inline constexpr std::string_view SOUND_FTP_DISCONNECT = "FtpDisconnect";
inline constexpr std::string_view SOUND_FTP_UPLOAD = "FtpUpload";
inline constexpr std::string_view SOUND_FTP_DOWNLOAD = "FtpDownload";
inline constexpr std::string_view SOUND_FTP_ERROR = "FtpError";

// The events in index order: index 1 is the first entry and plays the file of S1.
inline constexpr std::array<std::string_view, 7> SOUND_EVENTS = {
    SOUND_PROGRAM_START, SOUND_PROGRAM_EXIT, SOUND_FTP_CONNECT, SOUND_FTP_DISCONNECT,
    SOUND_FTP_UPLOAD,    SOUND_FTP_DOWNLOAD, SOUND_FTP_ERROR};
inline constexpr int SOUND_INDEX_PROGRAM_EXIT = 2;

// What the shell asks for when an event happens.
class Sounds {
public:
    virtual ~Sounds() = default;
    virtual void play(std::string_view event, bool wait_until_done = false)
    {
        (void)event, (void)wait_until_done;
    }
};

// 1..7 for an event name, 0 for none.
[[nodiscard]] int sound_event_index(std::string_view event);

// The freedesktop sound theme's folders, most personal first: "sounds/freedesktop/stereo" under
// $XDG_DATA_HOME (default ~/.local/share) and under each folder of $XDG_DATA_DIRS (default
// /usr/local/share:/usr/share). Folders that do not exist are left out.
[[nodiscard]] std::vector<std::filesystem::path> sound_theme_folders();

// The sound files of a folder (.wav, .oga and .ogg, any case), by name.
[[nodiscard]] std::vector<std::string> sound_files_in(const std::filesystem::path& folder);

// The file a setting names: a text with "/" as it stands; a bare name joined to sound_folder, or,
// when that is empty, found in the first theme folder that holds it. Empty when the text is empty
// or a bare name is found nowhere.
[[nodiscard]] std::string sound_file_path(std::string_view setting, const std::string& sound_folder,
                                          const std::vector<std::filesystem::path>& theme_folders);

class EventSounds : public Sounds {
public:
    EventSounds(const Settings& settings, SoundOutput& output,
                std::vector<std::filesystem::path> theme_folders = sound_theme_folders());

    // The event's file (setting S<index>), asynchronously; nothing when none is assigned.
    void play_event_sound(int index);
    // The same, returning when the sound has ended (at most SOUND_WAIT_LIMIT).
    void play_event_sound_wait(int index);
    // A file named as the Sound page names it (at most 255 characters), asynchronously.
    void play_sound_text(std::string_view text);
    // By event name; the exit sound is waited for when asked.
    void play(std::string_view event, bool wait_until_done = false) override;

    [[nodiscard]] const std::vector<std::filesystem::path>& theme_folders() const { return theme_folders_; }

private:
    [[nodiscard]] std::string file_of(std::string_view setting) const;
    const Settings& settings_;
    SoundOutput& output_;
    std::vector<std::filesystem::path> theme_folders_;
};

// The Sound page plays at most this many characters of its text.
inline constexpr std::size_t MAX_SOUND_TEXT = 255;

} // namespace kestovan
