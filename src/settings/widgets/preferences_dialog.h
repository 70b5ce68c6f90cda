// The Preferences dialog ("Kestovan FTP Preferences", resource 4320): a tree of the five pages on the
// left, the selected page on the right, OK and Cancel. It edits a copy of the values; the caller
// applies values() after OK. Cancel leaves every setting as it was.
#pragma once

#include "settings/preferences.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QStackedWidget;
class QTreeWidget;

namespace kestovan {

class Prompts;
class SettingsPage;
class OptionsPage;
class ProxyPage;
class SoundPage;
class RenamePage;

inline constexpr int FORM_PREFERENCES = 4320;

// What the pages need besides the values.
struct PreferencesServices {
    std::vector<std::string> browsers;                // offered in the Browser box
    std::filesystem::path sound_folder;               // the Sound page's file list
    std::function<void(std::string_view)> play_sound; // the Sound page's Play
};

class PreferencesDialog : public QDialog {
public:
    PreferencesDialog(const PreferenceValues& values, Prompts& prompts, const PreferencesServices& services,
                      QWidget* parent = nullptr);

    void show_page(int page);
    [[nodiscard]] int current_page() const;
    // Every page read back.
    [[nodiscard]] PreferenceValues values() const;

private:
    PreferenceValues values_;
    QTreeWidget* tree_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    SettingsPage* settings_ = nullptr;
    OptionsPage* options_ = nullptr;
    ProxyPage* proxy_ = nullptr;
    SoundPage* sound_ = nullptr;
    RenamePage* rename_ = nullptr;
};

} // namespace kestovan
