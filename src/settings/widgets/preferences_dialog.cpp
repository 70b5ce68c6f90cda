#include "settings/widgets/preferences_dialog.h"

#include "settings/widgets/preference_pages.h"
#include "settings/widgets/sound_page.h"
#include "ui/language.h"
#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"
#include "views/widgets/rename_page.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace kestovan {

namespace {

constexpr int TREE_WIDTH = 130;
constexpr int TREE_PADDING = 32;
constexpr std::array<int, PREFERENCES_PAGE_COUNT> PAGE_TITLES = {
    IDS_PAGE_SETTINGS, IDS_PAGE_OPTIONS, IDS_PAGE_FIREWALL_PROXY, IDS_PAGE_SOUND, IDS_PAGE_AUTO_RENAME};

} // namespace

PreferencesDialog::PreferencesDialog(const PreferenceValues& values, Prompts& prompts,
                                     const PreferencesServices& services, QWidget* parent)
    : QDialog(parent), values_(values)
{
    setObjectName(QString::number(FORM_PREFERENCES));
    set_form_number(*this, FORM_PREFERENCES);
    bind_string_id(*this, IDS_DLG_PREFERENCES);
    auto* column = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    tree_ = new QTreeWidget(this);
    tree_->setObjectName("page_tree");
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(false);
    tree_->setProperty(NO_TRANSLATION_PROPERTY, true);
    int widest = 0;
    for (int title : PAGE_TITLES) {
        new QTreeWidgetItem(tree_, {load_qstring(title)});
        widest = std::max(widest, tree_->fontMetrics().horizontalAdvance(load_qstring(title)));
    }
    // Wide enough for the longest page title in the language in force.
    tree_->setFixedWidth(std::max(TREE_WIDTH, widest + TREE_PADDING));
    row->addWidget(tree_);

    pages_ = new QStackedWidget(this);
    pages_->setObjectName("pages");
    settings_ = new SettingsPage(services.browsers, pages_);
    options_ = new OptionsPage(pages_);
    proxy_ = new ProxyPage(pages_);
    sound_ = new SoundPage(prompts, services.sound_folder, services.play_sound, pages_);
    rename_ = new RenamePage(pages_);
    for (QWidget* page : std::initializer_list<QWidget*>{settings_, options_, proxy_, sound_, rename_})
        pages_->addWidget(page);
    row->addWidget(pages_, 1);
    column->addLayout(row, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName("1");
    bind_string_id(*ok, IDS_BTN_OK);
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setObjectName("2");
    bind_string_id(*cancel, IDS_BTN_CANCEL);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);

    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            pages_->setCurrentIndex(tree_->indexOfTopLevelItem(item));
    });

    settings_->show_values(values_);
    options_->show_values(values_);
    proxy_->show_values(values_);
    sound_->show_values(values_);
    rename_->show_rules(values_.rename_rules);
    show_page(PAGE_SETTINGS);
    resize(720, 460);
}

void PreferencesDialog::show_page(int page)
{
    if (page < 0 || page >= PREFERENCES_PAGE_COUNT)
        page = PAGE_SETTINGS;
    tree_->setCurrentItem(tree_->topLevelItem(page));
    pages_->setCurrentIndex(page);
}

int PreferencesDialog::current_page() const
{
    return pages_->currentIndex();
}

PreferenceValues PreferencesDialog::values() const
{
    PreferenceValues values = values_;
    settings_->read_values(values);
    options_->read_values(values);
    proxy_->read_values(values);
    sound_->read_values(values);
    values.rename_rules = rename_->rules();
    return values;
}

} // namespace kestovan
