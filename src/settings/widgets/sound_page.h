// The Sound page of the Preferences dialog (resource 4327): the seven events with their files, a box
// to assign a file to the selected event, Play and Browse.
#pragma once

#include "settings/preferences.h"

#include <QWidget>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

class QComboBox;
class QTreeWidget;

namespace kestovan {

class Prompts;

class SoundPage : public QWidget {
public:
    // folder: where the box's file list comes from (`SP`, else the sound theme's folder); play plays
    // a file named as the box names it.
    SoundPage(Prompts& prompts, const std::filesystem::path& folder,
              std::function<void(std::string_view)> play, QWidget* parent = nullptr);
    void show_values(const PreferenceValues& values);
    void read_values(PreferenceValues& values) const;

private:
    void event_selected();
    void text_changed(const QString& text);
    void browse();
    [[nodiscard]] int current_event() const; // 0-based, -1 when none

    Prompts& prompts_;
    std::function<void(std::string_view)> play_;
    QTreeWidget* events_ = nullptr;
    QComboBox* file_ = nullptr;
    std::array<std::string, SOUND_KEYS.size()> sounds_;
    std::string dialog_folder_;
    bool filling_ = false;
};

} // namespace kestovan
