#include "common/container.h"
#include "ui/language_reader.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace kestovan {
namespace {

constexpr std::string_view PRODUCT = "Kestovan FTP";

std::map<std::string, std::string> read_all(std::string_view text)
{
    std::map<std::string, std::string> all;
    read_language_text(text, PRODUCT)
        .translations.for_each([&all](std::string_view key, std::string_view value) {
            all.emplace(std::string(key), std::string(value));
        });
    return all;
}

using Entries = std::map<std::string, std::string>;

struct ReaderCase {
    const char* what;
    const char* text;
    Entries expected;
};

void PrintTo(const ReaderCase& c, std::ostream* out)
{
    *out << c.what;
}

class LanguageReader : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(LanguageReader, StoresExactlyTheExpectedKeys)
{
    EXPECT_EQ(read_all(GetParam().text), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageReader,
    ::testing::Values(
        ReaderCase{"a plain pair", "E=Close\r\nT=Fermer\r\n", {{"Close", "Fermer"}}},
        ReaderCase{"T=* stores nothing and uses up the English text",
                   "E=Open\r\nT=*\r\nT=Ouvrir\r\nE=Close\r\nT=Fermer\r\n",
                   {{"Close", "Fermer"}}},
        ReaderCase{
            "a T= line without an E= line is ignored", "T=Orphan\r\nE=A\r\nT=B\r\nT=C\r\n", {{"A", "B"}}},
        ReaderCase{"a second E= line replaces the first", "E=One\r\nE=Two\r\nT=Deux\r\n", {{"Two", "Deux"}}},
        ReaderCase{"a form number stores the qualified and the plain key",
                   "<2000\r\nE=Open\r\nT=Ouvrir\r\n",
                   {{"Open:2000", "Ouvrir"}, {"Open", "Ouvrir"}}},
        ReaderCase{"the plain key of a text that ends in a colon keeps its colon",
                   "<4302\r\nE=Port:\r\nT=Port :\r\n",
                   {{"Port::4302", "Port :"}, {"Port:", "Port :"}}},
        ReaderCase{"<0 ends the form number",
                   "<12\r\nE=A\r\nT=a\r\n<0\r\nE=B\r\nT=b\r\n",
                   {{"A:12", "a"}, {"A", "a"}, {"B", "b"}}},
        ReaderCase{"a form line that is no number is ignored",
                   "<12\r\n<x\r\n< 5\r\n<-3\r\nE=A\r\nT=a\r\n",
                   {{"A:12", "a"}, {"A", "a"}}},
        ReaderCase{"a later plain translation replaces the plain key only",
                   "<7\r\nE=View\r\nT=Ansicht\r\n<0\r\nE=View\r\nT=Anzeigen\r\n",
                   {{"View:7", "Ansicht"}, {"View", "Anzeigen"}}},
        ReaderCase{"escapes become control characters, other backslashes stay",
                   "E=\\r\\nConnecting to %s\\tx\r\nT=\\r\\nConnexion \\x %s\\\\n\r\n",
                   {{"\r\nConnecting to %s\tx", "\r\nConnexion \\x %s\\\n"}}},
        ReaderCase{"braces are dropped from both sides",
                   "E={Save} Log\r\nT={Enregistrer} le journal\r\n",
                   {{"Save Log", "Enregistrer le journal"}}},
        ReaderCase{"lang=jp keeps braces in translations, even when it comes last",
                   "E={Save}\r\nT={hozon}\r\nlang=JP\r\n",
                   {{"Save", "{hozon}"}}},
        ReaderCase{"%PRODUCT% in an English text becomes the product name, not in a translation",
                   "E=%PRODUCT% Preferences (%PRODUCT%)\r\nT=%PRODUCT% - Einstellungen\r\n",
                   {{"Kestovan FTP Preferences (Kestovan FTP)", "%PRODUCT% - Einstellungen"}}},
        ReaderCase{"comments, empty lines and any line ends",
                   "; comment\r\n\r\n\r\nE=A\nT=a\rE=B\r\n\n\rT=b\n;E=C\n;T=c\n",
                   {{"A", "a"}, {"B", "b"}}},
        ReaderCase{
            "blanks in texts are kept as they are", "E=File:  \r\nT=Datei:  \r\n", {{"File:  ", "Datei:  "}}},
        ReaderCase{"unknown lines change nothing", "X=1\r\nE=A\r\nfoo\r\nT=a\r\n", {{"A", "a"}}},
        ReaderCase{"an empty English text takes no translation", "E=\r\nT=nothing\r\n", {}}),
    [](const ::testing::TestParamInfo<ReaderCase>& info) { return "case" + std::to_string(info.index); });

TEST(LanguageReader, ReadsFontAndCode)
{
    const LanguageText read =
        read_language_text("lang=DE\r\nF_FACE=DejaVu Sans\r\nF_WIDTH=7\r\nF_HEIGHT=x\r\n", PRODUCT);
    EXPECT_EQ(read.code, std::optional<std::string>("de"));
    EXPECT_EQ(read.font.face, "DejaVu Sans");
    EXPECT_EQ(read.font.width, 7);
    EXPECT_EQ(read.font.height, 0);
    EXPECT_FALSE(read_language_text("E=A\r\nT=a\r\n", PRODUCT).code);
}

TEST(LanguageReader, CrlfLinesDropEmptyLinesAndEndEveryLine)
{
    EXPECT_EQ(to_crlf_lines("a\nb\r\n\r\nc"), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(to_crlf_lines(""), "");
    EXPECT_EQ(to_crlf_lines("x  \n"), "x  \r\n");
}

TEST(LanguageReader, SourceThroughTheContainerGivesTheSameMap)
{
    const std::string source = "; French\nlang=fr\n<4300\nE=Move File\nT=Déplacer le fichier\n<0\n"
                               "E=Cancel\nT=Annuler\nE=\\r\\nConnecting to %s\nT=\\r\\nConnexion à %s\n";
    const std::optional<std::string> unpacked = decode_container(encode_container(to_crlf_lines(source)));
    ASSERT_TRUE(unpacked);
    EXPECT_EQ(read_all(*unpacked), read_all(source));
    EXPECT_EQ(read_all(*unpacked), (Entries{{"Move File:4300", "Déplacer le fichier"},
                                            {"Move File", "Déplacer le fichier"},
                                            {"Cancel", "Annuler"},
                                            {"\r\nConnecting to %s", "\r\nConnexion à %s"}}));
}

} // namespace
} // namespace kestovan
