#include "ui/language_locale.h"

#include "platform/registry.h"
#include "ui/language.h"

#include <QLocale>
#include <QString>

#include <array>
#include <utility>

namespace kestovan {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 11> LOCALE_LANGUAGES{{
    {"EN", "EN"},
    {"DA", "DK"},
    {"GE", "DE"},
    {"SV", "SE"},
    {"SW", "SE"},
    {"CH", "CN"},
    {"JA", "JP"},
    {"JP", "JP"},
    {"SP", "ES"},
    {"KO", "KR"},
    {"CS", "CZ"},
}};

char upper_ascii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

std::optional<std::string> default_language_for_locale(std::string_view abbreviation)
{
    if (abbreviation.size() < 2)
        return std::nullopt;
    std::string letters{upper_ascii(abbreviation[0]), upper_ascii(abbreviation[1])};
    for (const auto& [from, to] : LOCALE_LANGUAGES) {
        if (letters == from) {
            letters = to;
            break;
        }
    }
    if (letters == "EN")
        return std::nullopt;
    return normalized_language_code(letters);
}

std::string system_locale_letters()
{
    return QLocale::system().name().left(2).toStdString();
}

std::optional<std::string> stored_or_default_language(const Registry& registry,
                                                      std::string_view locale_letters)
{
    const std::optional<std::string> stored = registry.read_string(
        Hive::LocalMachine, std::string(LANGUAGE_REGISTRY_KEY), std::string(LANGUAGE_REGISTRY_VALUE));
    if (!stored)
        return default_language_for_locale(locale_letters);
    return normalized_language_code(*stored);
}

bool store_language(Registry& registry, const std::optional<std::string>& code)
{
    return registry.write_string(Hive::LocalMachine, std::string(LANGUAGE_REGISTRY_KEY),
                                 std::string(LANGUAGE_REGISTRY_VALUE), code.value_or(std::string()));
}

} // namespace kestovan
