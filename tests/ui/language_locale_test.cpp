#include "platform/registry.h"
#include "ui/language.h"
#include "ui/language_locale.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace kestovan {
namespace {

TEST(LanguageLocale, LocaleLettersMapToLanguageCodes)
{
    struct Case {
        const char* abbreviation;
        std::optional<std::string> code;
    };
    for (const Case& c : {
             Case{"ENU", std::nullopt},
             Case{"en", std::nullopt},
             Case{"DAN", "dk"},
             Case{"GER", "de"},
             Case{"DEU", "de"},
             Case{"SVE", "se"},
             Case{"sw", "se"},
             Case{"CHS", "cn"},
             Case{"JPN", "jp"},
             Case{"ja", "jp"},
             Case{"SPA", "es"},
             Case{"KOR", "kr"},
             Case{"CSY", "cz"},
             Case{"fr", "fr"},
             Case{"NLD", "nl"},
             Case{"x", std::nullopt},
             Case{"", std::nullopt},
             Case{"?!", std::nullopt},
         }) {
        EXPECT_EQ(default_language_for_locale(c.abbreviation), c.code) << c.abbreviation;
    }
}

TEST(LanguageLocale, StoredCodeWinsOverTheLocale)
{
    QTemporaryDir dir;
    Registry registry(dir.path().toStdString());
    EXPECT_EQ(stored_or_default_language(registry, "de"), std::optional<std::string>("de"));
    EXPECT_EQ(stored_or_default_language(registry, "en"), std::nullopt);

    ASSERT_TRUE(store_language(registry, std::string("fr")));
    EXPECT_EQ(stored_or_default_language(registry, "de"), std::optional<std::string>("fr"));

    // English is stored as an empty value, which is not "nothing stored".
    ASSERT_TRUE(store_language(registry, std::nullopt));
    EXPECT_EQ(stored_or_default_language(registry, "de"), std::nullopt);

    ASSERT_TRUE(registry.write_string(Hive::LocalMachine, std::string(LANGUAGE_REGISTRY_KEY),
                                      std::string(LANGUAGE_REGISTRY_VALUE), "../../etc/passwd"));
    EXPECT_EQ(stored_or_default_language(registry, "de"), std::nullopt);
}

TEST(LanguageLocale, MenuItemsAreDistinctAndNameUsableCodes)
{
    std::set<int> commands;
    std::set<std::string_view> codes;
    for (const LanguageMenuItem& item : LANGUAGE_MENU) {
        EXPECT_TRUE(commands.insert(item.command).second) << item.command;
        EXPECT_TRUE(codes.insert(item.code).second) << item.code;
        EXPECT_TRUE(english_text(item.caption)) << item.command;
        if (!item.code.empty()) {
            EXPECT_EQ(normalized_language_code(item.code), std::optional<std::string>(item.code));
        }
    }
    EXPECT_TRUE(codes.count("de") && codes.count("fr") && codes.count(""));
}

} // namespace
} // namespace kestovan
