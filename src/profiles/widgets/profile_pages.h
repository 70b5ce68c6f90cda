// The three form pages of the profile manager: Ftp Server (4302), URL (4303) and Folder (4310). Each
// shows the values of its form and forwards every edit; while a page is being filled its change
// notifications are ignored (a counter, as fills can nest).
#pragma once

#include "profiles/profile_manager.h"

#include <QWidget>

#include <functional>
#include <map>

class QCheckBox;
class QComboBox;
class QLabel;
class QGridLayout;
class QLineEdit;

namespace kestovan {

inline constexpr int FORM_FTP_SERVER_PAGE = 4302;
inline constexpr int FORM_URL_PAGE = 4303;
inline constexpr int FORM_FOLDER_PAGE = 4310;

// What every page forwards.
struct PageEdits {
    std::function<void(FormControl, const std::string&)> text;
    std::function<void(FormControl, bool)> check;
    std::function<void(std::uint8_t)> encryption;
    std::function<void(int)> name_line; // a line of the profile-name list was chosen
};

class FormPageWidget : public QWidget {
public:
    FormPageWidget(int form, PageEdits& edits, QWidget* parent);
    void set_caption(const QString& caption);
    // The edit box (or name list's edit) of a control; null when the page has none.
    [[nodiscard]] QLineEdit* line_edit(FormControl control) const;

protected:
    QLineEdit* add_edit(FormControl control, int label_id);
    QLabel* caption_ = nullptr;
    PageEdits& edits_;
    int filling_ = 0;
    std::map<FormControl, QLineEdit*> edit_boxes_;
    QGridLayout* grid_ = nullptr;
    int row_ = 0;
};

class FtpServerPage : public FormPageWidget {
public:
    FtpServerPage(PageEdits& edits, QWidget* parent);
    void fill(const FtpForm& form, const std::vector<NameLine>& lines, int current_line);
    // Enabling of the page's boxes (they wait for a host).
    void set_boxes_enabled(bool on);
    [[nodiscard]] QCheckBox* check_box(FormControl control) const;
    [[nodiscard]] QComboBox& name_list() const { return *names_; }
    [[nodiscard]] QComboBox& encryption_list() const { return *encryption_; }

private:
    QComboBox* names_ = nullptr;
    QComboBox* encryption_ = nullptr;
    std::map<FormControl, QCheckBox*> checks_;
    QLabel* user_label_ = nullptr;
    QLabel* password_label_ = nullptr;
};

class UrlPage : public FormPageWidget {
public:
    UrlPage(PageEdits& edits, QWidget* parent);
    void fill(const LinkForm& form);
};

class FolderPage : public FormPageWidget {
public:
    FolderPage(PageEdits& edits, QWidget* parent);
    void fill(const FolderForm& form);
};

} // namespace kestovan
