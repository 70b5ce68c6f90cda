#include "profiles/widgets/profile_pages.h"

#include "ui/language.h"
#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kestovan {

namespace {

QString qt(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

// Filling a page: its controls' own change notifications are not edits.
class FillScope {
public:
    explicit FillScope(int& counter) : counter_(counter) { ++counter_; }
    ~FillScope() { --counter_; }
    FillScope(const FillScope&) = delete;
    FillScope& operator=(const FillScope&) = delete;

private:
    int& counter_;
};

void set_text(QLineEdit* box, const std::string& text)
{
    if (box && box->text() != qt(text))
        box->setText(qt(text));
}

} // namespace

FormPageWidget::FormPageWidget(int form, PageEdits& edits, QWidget* parent) : QWidget(parent), edits_(edits)
{
    setObjectName(QString::number(form));
    set_form_number(*this, form);
    auto* column = new QVBoxLayout(this);
    caption_ = new QLabel(this);
    caption_->setProperty(NO_TRANSLATION_PROPERTY, true);
    QFont bold = caption_->font();
    bold.setBold(true);
    caption_->setFont(bold);
    column->addWidget(caption_);
    grid_ = new QGridLayout;
    column->addLayout(grid_);
    column->addStretch(1);
}

void FormPageWidget::set_caption(const QString& caption)
{
    caption_->setText(caption);
}

QLineEdit* FormPageWidget::line_edit(FormControl control) const
{
    auto it = edit_boxes_.find(control);
    return it == edit_boxes_.end() ? nullptr : it->second;
}

QLineEdit* FormPageWidget::add_edit(FormControl control, int label_id)
{
    auto* box = new QLineEdit(this);
    box->setObjectName(QString::number(control));
    if (label_id != 0) {
        auto* label = new QLabel(this);
        bind_string_id(*label, label_id);
        label->setBuddy(box);
        grid_->addWidget(label, row_, 0);
    }
    grid_->addWidget(box, row_++, 1);
    connect(box, &QLineEdit::textEdited, this, [this, control](const QString& text) {
        if (filling_ == 0 && edits_.text)
            edits_.text(control, text.toStdString());
    });
    edit_boxes_[control] = box;
    return box;
}

// --- Ftp Server --------------------------------------------------------------------------------------

FtpServerPage::FtpServerPage(PageEdits& edits, QWidget* parent)
    : FormPageWidget(FORM_FTP_SERVER_PAGE, edits, parent)
{
    auto* name_label = new QLabel(this);
    bind_string_id(*name_label, IDS_LABEL_PROFILE_NAME);
    names_ = new QComboBox(this);
    names_->setObjectName(QString::number(CTL_PROFILE_NAME));
    names_->setEditable(true);
    names_->setInsertPolicy(QComboBox::NoInsert);
    names_->setProperty(NO_TRANSLATION_PROPERTY, true);
    name_label->setBuddy(names_);
    grid_->addWidget(name_label, row_, 0);
    grid_->addWidget(names_, row_++, 1);
    connect(names_, &QComboBox::activated, this, [this](int index) {
        if (filling_ == 0 && edits_.name_line)
            edits_.name_line(names_->itemData(index).toInt());
    });
    connect(names_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        if (filling_ == 0 && edits_.text)
            edits_.text(CTL_PROFILE_NAME, text.toStdString());
    });

    add_edit(CTL_HOST, IDS_LABEL_HOST_ADDRESS);
    add_edit(CTL_PORT, IDS_LABEL_PORT);

    auto* encryption_label = new QLabel(this);
    bind_string_id(*encryption_label, IDS_LABEL_ENCRYPTION);
    encryption_ = new QComboBox(this);
    encryption_->setObjectName(QString::number(CTL_ENCRYPTION));
    for (const EncryptionChoice& choice : ENCRYPTION_CHOICES)
        encryption_->addItem(load_qstring(choice.string_id), choice.encryption);
    encryption_label->setBuddy(encryption_);
    grid_->addWidget(encryption_label, row_, 0);
    grid_->addWidget(encryption_, row_++, 1);
    connect(encryption_, &QComboBox::activated, this, [this](int index) {
        if (filling_ == 0 && edits_.encryption)
            edits_.encryption(static_cast<std::uint8_t>(encryption_->itemData(index).toInt()));
    });

    // Each pair shares its row; one box of a pair is shown at a time.
    const int user_row = row_;
    add_edit(CTL_USER, IDS_LABEL_USERNAME);
    user_label_ = qobject_cast<QLabel*>(grid_->itemAtPosition(user_row, 0)->widget());
    row_ = user_row;
    add_edit(CTL_ANONYMOUS_USER, 0);
    const int password_row = row_;
    add_edit(CTL_PASSWORD, IDS_LABEL_PASSWORD)->setEchoMode(QLineEdit::Password);
    password_label_ = qobject_cast<QLabel*>(grid_->itemAtPosition(password_row, 0)->widget());
    row_ = password_row;
    add_edit(CTL_ANONYMOUS_PASSWORD, 0);
    add_edit(CTL_ACCOUNT, IDS_LABEL_ACCOUNT);
    add_edit(CTL_LOCAL_FOLDER, IDS_LABEL_LOCAL_DIRECTORY);
    add_edit(CTL_REMOTE_FOLDER, IDS_LABEL_REMOTE_DIRECTORY);
    add_edit(CTL_COMMENT, IDS_LABEL_COMMENT);

    // Login choices, then the transfer mode, then the two lower-case conversions side by side.
    struct CheckPlace {
        FormControl control;
        int label;
        int row;
        int column;
    };
    auto* checks = new QGridLayout;
    for (auto [control, label, at_row, at_column] :
         {CheckPlace{CTL_ANONYMOUS, IDS_CHECK_ANONYMOUS_LOGIN, 0, 0},
          CheckPlace{CTL_SAVE_PASSWORD, IDS_CHECK_SAVE_PASSWORD, 0, 1},
          CheckPlace{CTL_PASSIVE, IDS_CHECK_PASSIVE_MODE, 1, 0},
          CheckPlace{CTL_LOWER_FILES, IDS_CHECK_LOWER_CASE_FILENAMES, 2, 0},
          CheckPlace{CTL_LOWER_FOLDERS, IDS_CHECK_LOWER_CASE_DIRECTORIES, 2, 1}}) {
        auto* box = new QCheckBox(this);
        box->setObjectName(QString::number(control));
        bind_string_id(*box, label);
        connect(box, &QCheckBox::toggled, this, [this, control = control](bool on) {
            if (filling_ == 0 && edits_.check)
                edits_.check(control, on);
        });
        checks->addWidget(box, at_row, at_column);
        checks_[control] = box;
    }
    grid_->addLayout(checks, row_++, 0, 1, 2);
}

QCheckBox* FtpServerPage::check_box(FormControl control) const
{
    auto it = checks_.find(control);
    return it == checks_.end() ? nullptr : it->second;
}

void FtpServerPage::fill(const FtpForm& form, const std::vector<NameLine>& lines, int current_line)
{
    FillScope scope(filling_);
    names_->clear();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].node) {
            names_->insertSeparator(names_->count());
            continue;
        }
        const QIcon icon = QIcon::fromTheme(lines[i].connected ? QStringLiteral("network-connect")
                                                               : QStringLiteral("network-server"));
        names_->addItem(icon, qt(lines[i].text), static_cast<int>(i));
    }
    const int shown = names_->findData(current_line);
    if (shown >= 0)
        names_->setCurrentIndex(shown);
    // The box names the profile being edited, whatever line the list marks.
    names_->setEditText(qt(form.name));

    set_text(line_edit(CTL_HOST), form.host);
    set_text(line_edit(CTL_PORT), form.port);
    set_text(line_edit(CTL_USER), form.user);
    set_text(line_edit(CTL_PASSWORD), form.password);
    set_text(line_edit(CTL_ANONYMOUS_USER), form.anonymous_user);
    set_text(line_edit(CTL_ANONYMOUS_PASSWORD), form.anonymous_password);
    set_text(line_edit(CTL_ACCOUNT), form.account);
    set_text(line_edit(CTL_LOCAL_FOLDER), form.local_folder);
    set_text(line_edit(CTL_REMOTE_FOLDER), form.remote_folder);
    set_text(line_edit(CTL_COMMENT), form.comment);
    // The walk over the window does not reach a list's lines: they follow the language here.
    for (std::size_t i = 0; i < ENCRYPTION_CHOICES.size(); ++i)
        encryption_->setItemText(static_cast<int>(i), load_qstring(ENCRYPTION_CHOICES[i].string_id));
    encryption_->setCurrentIndex(std::max(0, encryption_->findData(form.encryption)));
    line_edit(CTL_USER)->setVisible(!form.anonymous);
    line_edit(CTL_PASSWORD)->setVisible(!form.anonymous);
    line_edit(CTL_ANONYMOUS_USER)->setVisible(form.anonymous);
    line_edit(CTL_ANONYMOUS_PASSWORD)->setVisible(form.anonymous);
    user_label_->setBuddy(line_edit(form.anonymous ? CTL_ANONYMOUS_USER : CTL_USER));
    password_label_->setBuddy(line_edit(form.anonymous ? CTL_ANONYMOUS_PASSWORD : CTL_PASSWORD));
    checks_[CTL_ANONYMOUS]->setChecked(form.anonymous);
    checks_[CTL_SAVE_PASSWORD]->setChecked(form.save_password);
    checks_[CTL_PASSIVE]->setChecked(form.passive);
    checks_[CTL_LOWER_FILES]->setChecked(form.lower_files);
    checks_[CTL_LOWER_FOLDERS]->setChecked(form.lower_folders);
    set_boxes_enabled(form.boxes_enabled());
}

void FtpServerPage::set_boxes_enabled(bool on)
{
    for (auto& [control, box] : edit_boxes_)
        if (control != CTL_HOST)
            box->setEnabled(on);
    for (auto& [control, box] : checks_)
        box->setEnabled(on);
    encryption_->setEnabled(on);
}

// --- URL and Folder ---------------------------------------------------------------------------------

UrlPage::UrlPage(PageEdits& edits, QWidget* parent) : FormPageWidget(FORM_URL_PAGE, edits, parent)
{
    add_edit(CTL_URL_TITLE, IDS_LABEL_URL_TITLE);
    add_edit(CTL_URL, IDS_LABEL_URL);
    add_edit(CTL_URL_COMMENT, IDS_LABEL_COMMENT);
}

void UrlPage::fill(const LinkForm& form)
{
    FillScope scope(filling_);
    set_text(line_edit(CTL_URL_TITLE), form.name);
    set_text(line_edit(CTL_URL), form.url);
    set_text(line_edit(CTL_URL_COMMENT), form.comment);
}

FolderPage::FolderPage(PageEdits& edits, QWidget* parent) : FormPageWidget(FORM_FOLDER_PAGE, edits, parent)
{
    add_edit(CTL_FOLDER_TITLE, IDS_LABEL_FOLDER_TITLE);
    add_edit(CTL_FOLDER_COMMENT, IDS_LABEL_COMMENT);
}

void FolderPage::fill(const FolderForm& form)
{
    FillScope scope(filling_);
    set_text(line_edit(CTL_FOLDER_TITLE), form.title);
    set_text(line_edit(CTL_FOLDER_COMMENT), form.comment);
}

} // namespace kestovan
