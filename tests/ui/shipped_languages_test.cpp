// The German and French translations shipped with the program: complete, faithful to the
// placeholders, unambiguous for the reverse map, and packed by the build exactly as written.
#include "common/container.h"
#include "common/text_file.h"
#include "ui/language.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace kestovan {
namespace {

const std::filesystem::path SOURCES = std::filesystem::path(KESTOVAN_RESOURCES_DIR) / "lang";
const std::filesystem::path PACKED = std::filesystem::path(KESTOVAN_LANG_DIR);

std::string trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return first == std::string_view::npos ? std::string()
                                           : std::string(text.substr(first, last - first + 1));
}

class ShippedLanguage : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(language_.load_file(SOURCES / ("lang_" + GetParam() + ".txt")));
        ASSERT_TRUE(language_.has_translations());
    }

    Language language_;
};

TEST_P(ShippedLanguage, TranslatesEveryTableTextWithTheSamePlaceholders)
{
    EXPECT_EQ(language_.file_code(), GetParam());
    for (const StringEntry& entry : string_table()) {
        const std::optional<std::string> translation = language_.find_translation(entry.text);
        ASSERT_TRUE(translation) << GetParam() << " lacks " << entry.id << " \"" << entry.text << "\"";
        EXPECT_FALSE(translation->empty()) << entry.text;
        EXPECT_EQ(printf_placeholders(*translation), printf_placeholders(entry.text)) << entry.text;
        EXPECT_EQ(entry.text.find('&') == std::string_view::npos, translation->find('&') == std::string::npos)
            << "mnemonic lost or added: " << entry.text;
    }
}

TEST_P(ShippedLanguage, TranslationsLeadBackToOneEnglishText)
{
    // The reverse map turns a shown translation back into English: two texts sharing a translation,
    // or a translation that is another English text, would bring back the wrong one.
    std::set<std::string> english;
    for (const StringEntry& entry : string_table())
        english.insert(std::string(entry.text));
    std::map<std::string, std::string> origin;
    for (const std::string& text : english) {
        const std::string translation = language_.translate_string(text);
        auto [it, fresh] = origin.emplace(translation, text);
        EXPECT_TRUE(fresh) << "\"" << text << "\" and \"" << it->second << "\" both become \"" << translation
                           << "\"";
        if (translation != text) {
            EXPECT_EQ(english.count(translation), 0u)
                << "\"" << text << "\" becomes the English \"" << translation << "\"";
        }
    }
}

TEST_P(ShippedLanguage, HoldsNoTextTheTableLacks)
{
    std::set<std::string> known;
    for (const StringEntry& entry : string_table()) {
        known.insert(std::string(entry.text));
        known.insert(trimmed(entry.text));
    }
    language_.translations()->for_each([&known](std::string_view key, std::string_view) {
        EXPECT_EQ(known.count(std::string(key)), 1u) << "stale entry \"" << key << "\"";
    });
}

TEST_P(ShippedLanguage, BuildPacksTheSourceUnchanged)
{
    const std::optional<std::string> source = read_whole_file(SOURCES / ("lang_" + GetParam() + ".txt"));
    const std::optional<std::string> packed = read_container(PACKED / ("lang_" + GetParam() + ".dat"));
    ASSERT_TRUE(source);
    ASSERT_TRUE(packed) << "the build did not write " << (PACKED / ("lang_" + GetParam() + ".dat"));
    EXPECT_EQ(*packed, to_crlf_lines(*source));

    // The program finds the packed file through its default folders.
    Language packed_language;
    EXPECT_EQ(packed_language.load_language(GetParam(), default_language_folders()), GetParam());
    EXPECT_EQ(packed_language.translations()->size(), language_.translations()->size());
}

TEST_P(ShippedLanguage, HasAHelpPageWithEverySectionOfTheEnglishOne)
{
    const std::filesystem::path resources(KESTOVAN_RESOURCES_DIR);
    const std::filesystem::path page = help_page_file(resources, GetParam());
    ASSERT_EQ(page, resources / ("help_" + GetParam() + ".htm"));
    auto sections = [](const std::filesystem::path& file) {
        const std::string text = read_whole_file(file).value_or("");
        std::size_t count = 0;
        for (std::size_t at = text.find("<h3>"); at != std::string::npos; at = text.find("<h3>", at + 1))
            ++count;
        return count;
    };
    EXPECT_EQ(sections(page), sections(resources / "help.htm"));
    EXPECT_GE(sections(page), 7u) << "getting started, profiles, transfers, queue, proxies, TLS, keyboard";
    EXPECT_EQ(help_page_file(resources, std::nullopt), resources / "help.htm") << "English";
    EXPECT_EQ(help_page_file(resources, "xx"), resources / "help.htm") << "a language without a page";
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguage, ::testing::Values("de", "fr"));

} // namespace
} // namespace kestovan
