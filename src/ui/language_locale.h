// Which language the program starts in: the code stored in the registry when the program's state was
// last saved, else a default taken from the user's locale.
#pragma once

#include "ui/string_ids.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

class Registry;

// The items of the Options > Language menu in menu order: command identifier, caption and the code it
// switches to (empty: English).
struct LanguageMenuItem {
    int command = 0;
    int caption = 0;
    std::string_view code;
};

inline constexpr std::array LANGUAGE_MENU{
    LanguageMenuItem{3033, IDS_LANGUAGE_ENGLISH, ""},      LanguageMenuItem{2362, IDS_LANGUAGE_ARABIC, "jo"},
    LanguageMenuItem{537, IDS_LANGUAGE_CZECH, "cz"},       LanguageMenuItem{1192, IDS_LANGUAGE_DUTCH, "nl"},
    LanguageMenuItem{3032, IDS_LANGUAGE_FRENCH, "fr"},     LanguageMenuItem{1193, IDS_LANGUAGE_GERMAN, "de"},
    LanguageMenuItem{538, IDS_LANGUAGE_GREEK, "gr"},       LanguageMenuItem{1194, IDS_LANGUAGE_ITALIAN, "it"},
    LanguageMenuItem{3035, IDS_LANGUAGE_JAPANESE, "jp"},   LanguageMenuItem{3036, IDS_LANGUAGE_KOREAN, "kr"},
    LanguageMenuItem{2365, IDS_LANGUAGE_PORTUGUESE, "pt"}, LanguageMenuItem{2366, IDS_LANGUAGE_SPANISH, "sp"},
    LanguageMenuItem{2399, IDS_LANGUAGE_SWEDISH, "se"},
};

// Where the chosen language is kept (HKEY_LOCAL_MACHINE); the key is shared with the maker's other
// programs.
inline constexpr std::string_view LANGUAGE_REGISTRY_KEY = "Software\\KESTOVAN\\Common";
inline constexpr std::string_view LANGUAGE_REGISTRY_VALUE = "lang";

// The language for a locale: the first two letters of the locale's language abbreviation, upper-cased,
// through the table below (other letters stand for themselves), lower-cased as the language files are
// named. "EN" and letters that are no language code give nullopt, which means English.
//   EN->EN  DA->DK  GE->DE  SV->SE  SW->SE  CH->CN  JA->JP  JP->JP  SP->ES  KO->KR  CS->CZ
[[nodiscard]] std::optional<std::string> default_language_for_locale(std::string_view abbreviation);

// The two letters of the system locale's language (as QLocale names it, "de" for de_DE).
[[nodiscard]] std::string system_locale_letters();

// The code stored in the registry (an empty value means English); without a stored value, the
// default for locale_letters.
[[nodiscard]] std::optional<std::string> stored_or_default_language(const Registry& registry,
                                                                    std::string_view locale_letters);

// Stores code, or the empty value for English.
bool store_language(Registry& registry, const std::optional<std::string>& code);

} // namespace kestovan
