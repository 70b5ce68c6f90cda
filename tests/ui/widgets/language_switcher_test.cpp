#include "ui/widgets/language_switcher.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <fstream>
#include <map>

namespace kestovan {
namespace {

constexpr int MAIN_FORM = 102;
constexpr int TOOLBAR_FORM = 403;
constexpr int MOVE_FORM = 4300;
constexpr int PREFERENCES_FORM = 4320;

// A model whose titles come from load_string and cannot be set from outside, as a pane model's.
class TitleModel : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& = {}) const override { return 0; }
    int columnCount(const QModelIndex& = {}) const override { return 2; }
    QVariant data(const QModelIndex&, int) const override { return {}; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return load_qstring(section == 0 ? IDS_COL_LOCAL_FILENAME : IDS_COL_LOCAL_SIZE);
    }
};

// A main window with the kinds of texts the program shows, built in English as the program builds it.
struct MainWindow {
    MainWindow()
    {
        set_form_number(window, MAIN_FORM);
        window.setWindowTitle("Kestovan FTP");

        file_menu = window.menuBar()->addMenu("&File");
        file_menu->addAction("&Connect");
        file_menu->addSeparator();
        recent = file_menu->addAction("site one");
        quit = file_menu->addAction("&Quit");
        QMenu* commands = window.menuBar()->addMenu("&Commands");
        mkdir = commands->addAction("Create Directory \tMKDIR");
        compare = commands->addAction(QString());
        bind_string_id(*compare, IDS_MENU_DIRECTORY_COMPARE);
        QMenu* language = commands->addMenu("&Language");
        language->addAction("German");

        toolbar = window.addToolBar("toolbar");
        set_form_number(*toolbar, TOOLBAR_FORM);
        tool_connect = toolbar->addAction("Connect");
        bind_tooltip_id(*tool_connect, IDS_TIP_CONNECT);
        tool_refresh = new QAction(&window);
        bind_string_id(*tool_refresh, IDS_TIP_REFRESH);
        toolbar->addAction(tool_refresh);

        auto* central = new QWidget;
        auto* layout = new QVBoxLayout(central);
        ok = new QPushButton("OK ");
        cancel = new QPushButton("&Cancel");
        sort = new QCheckBox("Sort directory listings ");
        binary = new QRadioButton("  Binary");
        host = new QLabel("Host Address:");
        data = new QLabel("Folder");
        data->setProperty(NO_TRANSLATION_PROPERTY, true);
        unknown = new QLabel("Not a text of the table");
        owner = new QGroupBox("Owner");
        folder = new QLineEdit;
        folder->setPlaceholderText("Enter new Directory name:");
        for (QWidget* w :
             std::initializer_list<QWidget*>{ok, cancel, sort, binary, host, data, unknown, owner, folder})
            layout->addWidget(w);

        tabs = new QTabWidget;
        tabs->addTab(new QWidget, "Session Log");
        tabs->addTab(new QWidget, "Tasks");
        auto* options = new QWidget;
        set_form_number(*options, PREFERENCES_FORM);
        close = new QPushButton("Close", options);
        tabs->addTab(options, "Options");
        bind_tab_ids(*tabs, {IDS_TAB_SESSION_LOG, IDS_TAB_TASKS});
        layout->addWidget(tabs);

        remote = new QTreeWidget;
        remote->setColumnCount(3);
        bind_column_ids(*remote, {IDS_COL_REMOTE_FILE, IDS_COL_REMOTE_SIZE, IDS_COL_REMOTE_DATE});
        layout->addWidget(remote);
        local = new QTreeView;
        local->setModel(&titles);
        local->setProperty(COLUMN_IDS_PROPERTY, QVariantList{IDS_COL_LOCAL_FILENAME, IDS_COL_LOCAL_SIZE});
        layout->addWidget(local);
        window.setCentralWidget(central);

        move = new QDialog(&window);
        set_form_number(*move, MOVE_FORM);
        move->setWindowTitle("Move File");
        auto* move_layout = new QVBoxLayout(move);
        move_ok = new QPushButton("OK ");
        move_layout->addWidget(move_ok);
        move_layout->addWidget(new QLabel("Enter FTP Server command:"));
    }

    TitleModel titles; // outlives the window, whose view refers to it
    QMainWindow window;
    QMenu* file_menu = nullptr;
    QAction* recent = nullptr;
    QAction* quit = nullptr;
    QAction* mkdir = nullptr;
    QAction* compare = nullptr;
    QToolBar* toolbar = nullptr;
    QAction* tool_connect = nullptr;
    QAction* tool_refresh = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QCheckBox* sort = nullptr;
    QRadioButton* binary = nullptr;
    QLabel* host = nullptr;
    QLabel* data = nullptr;
    QLabel* unknown = nullptr;
    QGroupBox* owner = nullptr;
    QLineEdit* folder = nullptr;
    QTabWidget* tabs = nullptr;
    QPushButton* close = nullptr;
    QTreeWidget* remote = nullptr;
    QTreeView* local = nullptr;
    QDialog* move = nullptr;
    QPushButton* move_ok = nullptr;
};

// Every text the tree shows, keyed by object and role.
std::map<std::string, QString> texts_of(QWidget& root)
{
    std::map<std::string, QString> texts;
    auto put = [&texts](const QObject* object, const std::string& role, const QString& text) {
        texts[std::to_string(reinterpret_cast<quintptr>(object)) + ":" + role] = text;
    };
    QList<QWidget*> widgets = root.findChildren<QWidget*>();
    widgets.prepend(&root);
    for (QWidget* w : widgets) {
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            put(w, "text", button->text());
        if (auto* label = qobject_cast<QLabel*>(w))
            put(w, "text", label->text());
        if (auto* group = qobject_cast<QGroupBox*>(w))
            put(w, "title", group->title());
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            put(w, "placeholder", edit->placeholderText());
        if (auto* bar = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < bar->count(); ++i)
                put(w, "tab" + std::to_string(i), bar->tabText(i));
        }
        if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
            for (int i = 0; i < tree->columnCount(); ++i)
                put(w, "column" + std::to_string(i), tree->headerItem()->text(i));
        }
        if (w->isWindow())
            put(w, "window", w->windowTitle());
        put(w, "tooltip", w->toolTip());
    }
    for (QAction* action : root.findChildren<QAction*>()) {
        put(action, "text", action->text());
        put(action, "tooltip", action->toolTip());
    }
    return texts;
}

class LanguageSwitcher : public ::testing::Test {
protected:
    LanguageSwitcher() { set_current_language(&language); }
    ~LanguageSwitcher() override { set_current_language(nullptr); }

    const LanguageFolders packed{{std::filesystem::path(KESTOVAN_LANG_DIR).parent_path()}};
    Language language;
};

TEST_F(LanguageSwitcher, EnglishFrenchGermanEnglishRestoresEveryText)
{
    MainWindow w;
    const auto english = texts_of(w.window);
    QSignalSpy titles_changed(&w.titles, &QAbstractItemModel::headerDataChanged);

    switch_language(w.window, language, "fr", packed);
    ASSERT_TRUE(language.has_translations());
    EXPECT_EQ(language.current_code(), std::optional<std::string>("fr"));
    EXPECT_EQ(w.ok->text(), "OK ");
    EXPECT_EQ(w.cancel->text(), "&Annuler");
    EXPECT_EQ(w.sort->text(), "Trier les listes de dossiers ");
    EXPECT_EQ(w.binary->text(), "  Binaire");
    EXPECT_EQ(w.host->text(), "Adresse de l'hôte :");
    EXPECT_EQ(w.data->text(), "Folder");
    EXPECT_EQ(w.unknown->text(), "Not a text of the table");
    EXPECT_EQ(w.owner->title(), "Propriétaire");
    EXPECT_EQ(w.folder->placeholderText(), "Nom du nouveau dossier :");
    EXPECT_EQ(w.file_menu->title(), "&Fichier");
    EXPECT_EQ(w.quit->text(), "&Quitter");
    EXPECT_EQ(w.recent->text(), "site one");
    EXPECT_EQ(w.mkdir->text(), "Créer un dossier \tMKDIR");
    EXPECT_EQ(w.compare->text(), "&Comparaison de dossiers\tF11");
    EXPECT_EQ(w.tool_connect->text(), "Connecter");
    EXPECT_EQ(w.tool_connect->toolTip(), "Connecter");
    EXPECT_EQ(w.tool_refresh->text(), "Actualiser");
    EXPECT_EQ(w.tabs->tabText(0), "Journal de session");
    EXPECT_EQ(w.tabs->tabText(2), "Options");
    EXPECT_EQ(w.close->text(), "Fermer");
    EXPECT_EQ(w.remote->headerItem()->text(0), "Fichier :");
    EXPECT_EQ(w.local->model()->headerData(0, Qt::Horizontal).toString(), "Nom de fichier");
    EXPECT_GE(titles_changed.count(), 2);
    EXPECT_EQ(w.move->windowTitle(), "Déplacer le fichier");
    EXPECT_EQ(w.move_ok->text(), "OK ");

    switch_language(w.window, language, "de", packed);
    EXPECT_EQ(language.current_code(), std::optional<std::string>("de"));
    EXPECT_EQ(w.cancel->text(), "&Abbrechen");
    EXPECT_EQ(w.sort->text(), "Ordnerlisten sortieren ");
    EXPECT_EQ(w.host->text(), "Hostadresse:");
    EXPECT_EQ(w.file_menu->title(), "&Datei");
    EXPECT_EQ(w.tabs->tabText(1), "Aufgaben");
    EXPECT_EQ(w.tabs->tabText(2), "Optionen");
    EXPECT_EQ(w.close->text(), "Schließen");
    EXPECT_EQ(w.remote->headerItem()->text(2), "Datum:");
    EXPECT_EQ(w.move->windowTitle(), "Datei verschieben");
    EXPECT_EQ(w.window.windowTitle(), "Kestovan FTP");

    switch_language(w.window, language, std::nullopt, packed);
    EXPECT_FALSE(language.has_translations());
    EXPECT_EQ(language.current_code(), std::nullopt);
    EXPECT_EQ(texts_of(w.window), english);
}

TEST_F(LanguageSwitcher, SwitchingToTheSameLanguageOrEnglishTwiceChangesNothing)
{
    MainWindow w;
    const auto english = texts_of(w.window);
    switch_language(w.window, language, std::nullopt, packed);
    EXPECT_EQ(texts_of(w.window), english);
    switch_language(w.window, language, "fr", packed);
    const auto french = texts_of(w.window);
    switch_language(w.window, language, "fr", packed);
    EXPECT_EQ(texts_of(w.window), french);
    switch_language(w.window, language, std::nullopt, packed);
    switch_language(w.window, language, std::nullopt, packed);
    EXPECT_EQ(texts_of(w.window), english);
}

TEST_F(LanguageSwitcher, TextsTheProgramChangesFollowTheLanguage)
{
    MainWindow w;
    auto* button = new QPushButton(w.window.centralWidget());
    bind_string_id(*button, IDS_BTN_CONNECT_HAMMER);
    switch_language(w.window, language, "fr", packed);
    EXPECT_EQ(button->text(), "Insister");

    // Built or changed while French is in force, as button 2011 and the recent-profile items are.
    bind_string_id(*button, IDS_BTN_CONNECT_DISCONNECT);
    EXPECT_EQ(button->text(), "Déconnecter");
    w.recent->setText("site two");
    auto* late = new QDialog(&w.window);
    bind_string_id(*late, IDS_DLG_PASSWORD);
    EXPECT_EQ(late->windowTitle(), "Mot de passe");

    switch_language(w.window, language, "de", packed);
    EXPECT_EQ(button->text(), "Trennen");
    EXPECT_EQ(w.recent->text(), "site two");
    EXPECT_EQ(late->windowTitle(), "Passwort");
    switch_language(w.window, language, std::nullopt, packed);
    EXPECT_EQ(button->text(), "Disconnect");
    EXPECT_EQ(late->windowTitle(), "Password");
}

TEST_F(LanguageSwitcher, ToolBarTextsUseTheToolBarsFormNumberAndFontsFollowTheLanguage)
{
    QTemporaryDir dir;
    const std::filesystem::path base = dir.path().toStdString();
    std::filesystem::create_directories(base / "lang");
    std::ofstream(base / "lang/lang_xx.dat")
        << "lang=xx\r\nF_FACE=Serif Test\r\nF_HEIGHT=17\r\n<403\r\nE=Connect\r\n"
           "T=Connect (tool bar)\r\n<0\r\nE=Connect\r\nT=Connect (plain)\r\n"
           "<102\r\nE=&Connect\r\nT=&Connect (main)\r\n";
    MainWindow w;
    QAction* menu_connect = w.file_menu->actions().front();
    w.window.menuBar()->addAction("Connect");
    QAction* bar_connect = w.window.menuBar()->actions().back();

    switch_language(w.window, language, "xx", LanguageFolders{{base}});
    EXPECT_EQ(w.tool_connect->text(), "Connect (tool bar)");
    EXPECT_EQ(bar_connect->text(), "Connect (plain)");
    EXPECT_EQ(menu_connect->text(), "&Connect (main)");
    EXPECT_EQ(w.window.font().family(), "Serif Test");
    EXPECT_EQ(w.window.font().pixelSize(), 17);

    switch_language(w.window, language, std::nullopt, LanguageFolders{{base}});
    EXPECT_EQ(w.tool_connect->text(), "Connect");
    EXPECT_EQ(menu_connect->text(), "&Connect");
    EXPECT_NE(w.window.font().family(), "Serif Test");
}

TEST_F(LanguageSwitcher, MissingLanguageFileLeavesEnglish)
{
    MainWindow w;
    const auto english = texts_of(w.window);
    switch_language(w.window, language, "xx", packed);
    EXPECT_FALSE(language.has_translations());
    EXPECT_EQ(texts_of(w.window), english);
}

} // namespace
} // namespace kestovan
