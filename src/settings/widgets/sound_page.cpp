#include "settings/widgets/sound_page.h"

#include "settings/event_sounds.h"
#include "ui/language.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kestovan {

namespace {

constexpr int EVENT_COLUMN_WIDTH = 120;
constexpr int SOUND_COLUMN_WIDTH = 250;
constexpr std::array<int, SOUND_EVENTS.size()> EVENT_NAME_IDS = {
    IDS_SOUND_PROGRAM_START, IDS_SOUND_PROGRAM_EXIT, IDS_SOUND_FTP_CONNECT, IDS_SOUND_FTP_DISCONNECT,
    IDS_SOUND_FTP_UPLOAD,    IDS_SOUND_FTP_DOWNLOAD, IDS_SOUND_FTP_ERROR};

} // namespace

SoundPage::SoundPage(Prompts& prompts, const std::filesystem::path& folder,
                     std::function<void(std::string_view)> play, QWidget* parent)
    : QWidget(parent), prompts_(prompts), play_(std::move(play))
{
    setObjectName("4327");
    auto* column = new QVBoxLayout(this);
    events_ = new QTreeWidget(this);
    events_->setObjectName("1838");
    events_->setRootIsDecorated(false);
    events_->setColumnCount(2);
    events_->setHeaderLabels({load_qstring(IDS_COL_SOUND_EVENT), load_qstring(IDS_COL_SOUND_FILE)});
    events_->header()->resizeSection(0, EVENT_COLUMN_WIDTH);
    events_->header()->resizeSection(1, SOUND_COLUMN_WIDTH);
    events_->setProperty(NO_TRANSLATION_PROPERTY, true);
    for (int id : EVENT_NAME_IDS)
        new QTreeWidgetItem(events_, {load_qstring(id), QString()});
    column->addWidget(events_, 1);

    auto* assign = new QLabel(this);
    bind_string_id(*assign, IDS_LABEL_ASSIGN_SOUND);
    column->addWidget(assign);
    auto* row = new QHBoxLayout;
    file_ = new QComboBox(this);
    file_->setObjectName("1842");
    file_->setEditable(true);
    file_->setProperty(NO_TRANSLATION_PROPERTY, true);
    for (const std::string& name : sound_files_in(folder))
        file_->addItem(QString::fromStdString(name));
    file_->setEditText({});
    assign->setBuddy(file_);
    row->addWidget(file_, 1);
    auto* play_button = new QPushButton(this);
    play_button->setObjectName("1840");
    bind_string_id(*play_button, IDS_BTN_PLAY);
    row->addWidget(play_button);
    auto* browse_button = new QPushButton(this);
    browse_button->setObjectName("browse");
    bind_string_id(*browse_button, IDS_BTN_BROWSE);
    row->addWidget(browse_button);
    column->addLayout(row);

    connect(events_, &QTreeWidget::currentItemChanged, this, [this] { event_selected(); });
    connect(file_, &QComboBox::editTextChanged, this, [this](const QString& text) { text_changed(text); });
    connect(play_button, &QPushButton::clicked, this, [this] {
        if (play_)
            play_(file_->currentText().toStdString());
    });
    connect(browse_button, &QPushButton::clicked, this, [this] { browse(); });
}

int SoundPage::current_event() const
{
    QTreeWidgetItem* item = events_->currentItem();
    return item ? events_->indexOfTopLevelItem(item) : -1;
}

void SoundPage::show_values(const PreferenceValues& values)
{
    sounds_ = values.sounds;
    dialog_folder_ = values.sound_dialog_folder;
    for (std::size_t i = 0; i < sounds_.size(); ++i)
        events_->topLevelItem(static_cast<int>(i))->setText(1, QString::fromStdString(sounds_[i]));
    if (!events_->currentItem())
        events_->setCurrentItem(events_->topLevelItem(0));
    event_selected();
}

void SoundPage::read_values(PreferenceValues& values) const
{
    values.sounds = sounds_;
    values.sound_dialog_folder = dialog_folder_;
}

void SoundPage::event_selected()
{
    const int event = current_event();
    filling_ = true;
    file_->setEditText(event < 0 ? QString()
                                 : QString::fromStdString(sounds_[static_cast<std::size_t>(event)]));
    filling_ = false;
}

void SoundPage::text_changed(const QString& text)
{
    const int event = current_event();
    if (filling_ || event < 0)
        return;
    sounds_[static_cast<std::size_t>(event)] = text.trimmed().toStdString();
    events_->topLevelItem(event)->setText(1, text.trimmed());
}

void SoundPage::browse()
{
    const auto chosen =
        prompts_.open_file_from(load_string(IDS_DLG_OPEN_SOUND_FILE), dialog_folder_,
                                load_string(IDS_SOUND_FILE_FILTER_ALL) + load_string(IDS_SOUND_FILE_FILTER));
    if (!chosen)
        return;
    dialog_folder_ = std::filesystem::path(*chosen).parent_path().string();
    file_->setEditText(QString::fromStdString(*chosen));
}

} // namespace kestovan
