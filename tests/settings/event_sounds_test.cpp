// Which file each sound event plays: a bare name in the `SP` folder or, without one, in the sound
// theme; a full path as it stands; nothing at all without a setting. The exit sound is waited for.
#include "settings/event_sounds.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace kestovan {
namespace {

struct RecordingOutput : SoundOutput {
    struct Played {
        std::string path;
        bool waited = false;
        bool operator==(const Played&) const = default;
    };
    std::vector<Played> played;
    void play_file(const std::string& path) override { played.push_back({path, false}); }
    void play_file_and_wait(const std::string& path, std::chrono::milliseconds limit) override
    {
        EXPECT_LE(limit, SOUND_WAIT_LIMIT);
        played.push_back({path, true});
    }
};

void touch(const std::filesystem::path& path)
{
    std::ofstream(path) << "RIFF";
}

TEST(EventSounds, EachEventPlaysTheFileItsSettingNames)
{
    QTemporaryDir theme;
    const std::filesystem::path theme_folder = theme.path().toStdString();
    touch(theme_folder / "bell.oga");
    struct Row {
        std::string_view event;
        std::string setting; // of that event
        std::string sp;
        std::string expected; // empty: nothing plays
    };
    const Row rows[] = {
        {SOUND_FTP_CONNECT, "ding.wav", "/srv/sounds", "/srv/sounds/ding.wav"},
        {SOUND_FTP_ERROR, "/home/me/oops.ogg", "/srv/sounds", "/home/me/oops.ogg"},
        {SOUND_FTP_UPLOAD, "bell.oga", "", (theme_folder / "bell.oga").string()},
        {SOUND_FTP_DOWNLOAD, "absent.wav", "", ""},
        {SOUND_FTP_DISCONNECT, "", "/srv/sounds", ""},
        {SOUND_PROGRAM_START, "start.wav", "/srv/sounds", "/srv/sounds/start.wav"},
    };
    for (const Row& row : rows) {
        Settings settings;
        const int index = sound_event_index(row.event);
        ASSERT_GE(index, 1) << row.event;
        settings.set_text(SOUND_KEYS[static_cast<std::size_t>(index - 1)], row.setting);
        settings.set_text(KEY_SP, row.sp);
        RecordingOutput output;
        EventSounds sounds(settings, output, {theme_folder});
        sounds.play(row.event);
        const std::vector<RecordingOutput::Played> expected =
            row.expected.empty() ? std::vector<RecordingOutput::Played>{}
                                 : std::vector<RecordingOutput::Played>{{row.expected, false}};
        EXPECT_EQ(output.played, expected) << row.event << " " << row.setting;
        // Only that event's setting counts: the others play nothing.
        output.played.clear();
        for (std::string_view other : SOUND_EVENTS)
            if (other != row.event)
                sounds.play(other);
        EXPECT_TRUE(output.played.empty()) << row.event;
    }
}

TEST(EventSounds, TheExitSoundIsWaitedForAndThePagePlaysItsText)
{
    Settings settings;
    settings.set_text(KEY_S2, "bye.wav");
    settings.set_text(KEY_SP, "/srv/sounds");
    RecordingOutput output;
    EventSounds sounds(settings, output, {});
    sounds.play(SOUND_PROGRAM_EXIT, true);
    sounds.play_sound_text("try.wav");
    sounds.play_sound_text(std::string(300, 'x'));
    const std::vector<RecordingOutput::Played> expected = {
        {"/srv/sounds/bye.wav", true},
        {"/srv/sounds/try.wav", false},
        {"/srv/sounds/" + std::string(MAX_SOUND_TEXT, 'x'), false},
    };
    EXPECT_EQ(output.played, expected);
}

TEST(EventSounds, AFolderListsItsWaveAndOggFilesByName)
{
    QTemporaryDir folder;
    const std::filesystem::path base = folder.path().toStdString();
    for (const char* name : {"b.OGG", "a.wav", "c.oga", "notes.txt", "d.mp3"})
        touch(base / name);
    std::filesystem::create_directory(base / "dir.wav");
    EXPECT_EQ(sound_files_in(base), (std::vector<std::string>{"a.wav", "b.OGG", "c.oga"}));
    EXPECT_TRUE(sound_files_in(base / "missing").empty());
}

TEST(CanberraSoundOutput, AFileThatCannotBePlayedIsSilentAndNeverWaitedFor)
{
    QTemporaryDir folder;
    const std::string not_a_sound = folder.path().toStdString() + "/broken.wav";
    std::ofstream(not_a_sound) << "not a wave file";
    CanberraSoundOutput output;
    const auto start = std::chrono::steady_clock::now();
    output.play_file(folder.path().toStdString() + "/missing.wav");
    output.play_file_and_wait(not_a_sound, SOUND_WAIT_LIMIT);
    output.play_file_and_wait(folder.path().toStdString() + "/missing.oga", SOUND_WAIT_LIMIT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, SOUND_WAIT_LIMIT);
}

} // namespace
} // namespace kestovan
