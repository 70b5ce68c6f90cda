#include "common/container.h"
#include "ui/language.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace kestovan {
namespace {

void write_file(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

class LanguageFiles : public ::testing::Test {
protected:
    std::filesystem::path working() const
    {
        return std::filesystem::path(dir_.path().toStdString()) / "work";
    }
    std::filesystem::path data() const { return std::filesystem::path(dir_.path().toStdString()) / "data"; }
    LanguageFolders folders() const { return {{working(), data()}}; }

    QTemporaryDir dir_;
};

TEST_F(LanguageFiles, MissingFileOrNoCodeLeavesEnglish)
{
    Language language;
    language.load_text("E=Close\r\nT=Fermer\r\n");
    EXPECT_EQ(language.load_language("fr", folders()), std::nullopt);
    EXPECT_FALSE(language.has_translations());
    language.load_text("E=Close\r\nT=Fermer\r\n");
    EXPECT_EQ(language.load_language(std::nullopt, folders()), std::nullopt);
    EXPECT_FALSE(language.has_translations());
}

TEST_F(LanguageFiles, WorkingFolderComesBeforeTheDataFolder)
{
    write_file(data() / "lang/lang_fr.dat", encode_container("lang=fr\r\nE=Close\r\nT=Fermer\r\n"));
    Language language;
    EXPECT_EQ(language.load_language("fr", folders()), std::optional<std::string>("fr"));
    EXPECT_EQ(language.translate_string("Close"), "Fermer");

    write_file(working() / "lang/lang_fr.dat", "lang=FRX\r\nE=Close\r\nT=Fermer (local)\r\n"); // plain text
    EXPECT_EQ(language.load_language("fr", folders()), std::optional<std::string>("frx"));
    EXPECT_EQ(language.translate_string("Close"), "Fermer (local)");
}

TEST_F(LanguageFiles, CodesThatAreNoFileNameAreRefused)
{
    write_file(working() / "lang_x.dat", "E=Close\r\nT=Fermer\r\n");
    write_file(working() / "lang/lang_de.dat", "E=Close\r\nT=Schließen\r\n");
    Language language;
    for (const char* code : {"../x", "/x", "x/../../x", "", "d e", "toolongcode"})
        EXPECT_FALSE(language.load_language(code, folders())) << code;
    EXPECT_FALSE(language.has_translations());
    // Upper-case codes name the same lower-case file.
    language.load_language("DE", folders());
    EXPECT_EQ(language.translate_string("Close"), "Schließen");
}

TEST_F(LanguageFiles, DamagedContainerLeavesEnglish)
{
    std::string packed = encode_container("E=Close\r\nT=Fermer\r\n");
    packed.resize(packed.size() - 3);
    write_file(working() / "lang/lang_fr.dat", packed);
    Language language;
    EXPECT_FALSE(language.load_language("fr", folders()));
    EXPECT_FALSE(language.has_translations());
}

TEST(Language, WindowTextsKeepTheirBlanksAndPreferTheFormKey)
{
    Language language;
    language.load_text("E=OK\r\nT=Bien\r\n<102\r\nE=View\r\nT=Afficher\r\n<0\r\nE=View\r\nT=Vue\r\n");
    struct Case {
        const char* text;
        int form;
        const char* shown;
    };
    for (const Case& c :
         {Case{"OK ", 0, "Bien "}, Case{"OK", 5, "Bien"}, Case{"  OK\t\r\n", 0, "  Bien\t\r\n"},
          Case{"View", 102, "Afficher"}, Case{"View", 7, "Vue"}, Case{"Unknown ", 0, "Unknown "},
          Case{"   ", 0, "   "}, Case{"", 0, ""}, Case{"\tOK", 0, "\tOK"}}) {
        EXPECT_EQ(language.translate_text(c.text, c.form), c.shown) << c.text;
    }
}

TEST(Language, EnglishComesBackFromTheReverseMap)
{
    Language language;
    language.load_text("E=Close\r\nT=Fermer\r\nE=Open\r\nT=Ouvrir\r\n");
    EXPECT_EQ(language.translate_text("Close ", 102), "Fermer ");
    EXPECT_EQ(language.translate_text("Open", 4300), "Ouvrir");
    EXPECT_EQ(language.translate_text("Data", 102), "Data");
    EXPECT_EQ(language.reverse_map().size(), 2u); // untranslated texts are not recorded

    language.unload();
    EXPECT_EQ(language.translate_text("Fermer ", 102), "Close ");
    EXPECT_EQ(language.translate_text("Ouvrir", 4300), "Open");
    EXPECT_EQ(language.translate_text("Ouvrir", 102), "Ouvrir"); // other form: not this window's text
    // Back in English the restored texts stay English however often windows are translated.
    EXPECT_EQ(language.translate_text("Close ", 102), "Close ");
    EXPECT_EQ(language.translate_text("Close ", 102), "Close ");
}

TEST(Language, TranslatingATranslatedWindowAgainKeepsTheWayBack)
{
    Language language;
    language.load_text("E=Close\r\nT=Fermer\r\n");
    EXPECT_EQ(language.translate_text("Close", 1), "Fermer");
    EXPECT_EQ(language.translate_text("Fermer", 1), "Fermer"); // a second pass over the same window
    language.unload();
    EXPECT_EQ(language.translate_text("Fermer", 1), "Close");
}

TEST(Language, TableTextsWithBlanksAreFoundWithoutThem)
{
    Language language;
    language.load_text("E=Sort directory listings\r\nT=Trier les listes\r\nE=File:  \r\nT=Fichier :  \r\n");
    EXPECT_EQ(language.translate_string("Sort directory listings "), "Trier les listes ");
    EXPECT_EQ(language.translate_string("File:  "), "Fichier :  ");
    EXPECT_EQ(language.translate_string("File:"), "File:");
    EXPECT_EQ(language.translate_known_text("Sort directory listings ", 7), "Trier les listes ");
}

class CurrentLanguage : public ::testing::Test {
protected:
    ~CurrentLanguage() override { set_current_language(nullptr); }
};

TEST_F(CurrentLanguage, LoadStringIsEnglishWithoutALanguage)
{
    set_current_language(nullptr);
    EXPECT_EQ(load_string(IDS_BTN_CANCEL), "Cancel");
    EXPECT_EQ(load_string(IDS_LOG_CONNECTING_TO), "\r\nConnecting to %s");
    EXPECT_EQ(load_string(-1), "");
    EXPECT_EQ(load_qstring(IDS_ERR_CONFIG_WRITE), QString("ERROR W114: Unable to open file 'config.ini'"));
}

TEST_F(CurrentLanguage, LoadStringResultsStayValidAcrossCallsAndSwitches)
{
    Language french;
    french.load_text("E=Cancel\r\nT=Annuler\r\nE=Close\r\nT=Fermer\r\n");
    set_current_language(&french);
    // More results than the ten rotating buffers of old, held across a language change.
    std::vector<std::string> held;
    std::vector<std::string_view> views;
    for (int i = 0; i < 25; ++i)
        held.push_back(load_string(i % 2 ? IDS_BTN_CANCEL : IDS_BTN_CLOSE));
    for (const std::string& text : held)
        views.emplace_back(text);
    set_current_language(nullptr);
    std::string later;
    for (int i = 0; i < 25; ++i)
        later += load_string(IDS_BTN_HELP);
    EXPECT_EQ(later.size(), 25 * std::string("Help").size());
    for (int i = 0; i < 25; ++i)
        EXPECT_EQ(views[static_cast<std::size_t>(i)], i % 2 ? "Annuler" : "Fermer");
}

TEST_F(CurrentLanguage, FormatStringUsesTheTranslationOnlyWhenItsPlaceholdersFit)
{
    Language language;
    language.load_text("E=Connected to %s\r\nT=Verbunden mit %s\r\n"
                       "E=Winsock Error %i\r\nT=Winsock-Fehler %s\r\n"
                       "E=Error moving file '%s' to '%s'\r\nT=Fehler: '%s' nach '%s'\r\n");
    set_current_language(&language);
    EXPECT_EQ(format_string<IDS_LOG_CONNECTED_TO>("ftp.example.org"), "Verbunden mit ftp.example.org");
    EXPECT_EQ(format_string<IDS_LOG_CONNECTED_TO>(std::string("h")), "Verbunden mit h");
    // A translation that would read an int as a text falls back to the English format.
    EXPECT_EQ(format_string<IDS_STATUS_WINSOCK_ERROR>(10061), "Winsock Error 10061");
    EXPECT_EQ(format_string(IDS_ERR_MOVE_FILE, "a", "b"), "Fehler: 'a' nach 'b'");
    // A run-time number with unfitting arguments leaves the placeholders as written.
    EXPECT_EQ(format_string(IDS_STATUS_WINSOCK_ERROR, "x"), "Winsock Error %i");
    EXPECT_EQ(format_string(IDS_ERR_MOVE_FILE, "a"), "Fehler: 'a' nach '%s'");
    static_assert(format_matches<int, int>(*english_text(IDS_STATUS_FILE_COMPARE)));
    static_assert(!format_matches<const char*>(*english_text(IDS_STATUS_FILE_COMPARE)));
}

} // namespace
} // namespace kestovan
