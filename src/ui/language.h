// The language in force and the way every user-visible text reaches the screen: the code names a text
// by its number (ui/string_ids.h), load_string() gives it in the current language, and format_string()
// fills its printf placeholders.
//
// A Language holds the translation map of the loaded language file (English text, or English text
// + ":" + form number, to translation), the reverse map (shown text + ":" + form number to the English
// text it replaced, filled as window texts are translated) that brings English back before another
// language is applied, the language's font values and its code. Widget code only reads and writes
// texts through it; ui/widgets/language_switcher.h walks the windows.
#pragma once

#include "ui/language_reader.h"
#include "ui/printf_format.h"
#include "ui/string_table.h"
#include "ui/translation_map.h"

#include <QString>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

// The folders whose "lang/lang_<code>.dat" is looked for, in order.
struct LanguageFolders {
    std::vector<std::filesystem::path> bases;
};

// The program's own data folder (help.htm, lang): the installed data folder beside the executable's
// prefix, else the resources folder of the source tree.
[[nodiscard]] std::filesystem::path program_data_folder();

// help.htm of the data folder, or its translation help_<code>.htm when the language has one.
[[nodiscard]] std::filesystem::path help_page_file(const std::filesystem::path& data,
                                                   const std::optional<std::string>& code);

// The working folder, then (when run from a build tree) the build folder that holds the packed
// language files, then the program's data folder.
[[nodiscard]] LanguageFolders default_language_folders();

// A language code fit for a file name: ASCII letters and digits, 1 to 8 of them, lower-cased; nullopt
// for anything else (a code read from the registry must not lead outside the "lang" folder).
[[nodiscard]] std::optional<std::string> normalized_language_code(std::string_view code);

// "lang/lang_" + code + ".dat", relative to a folder of LanguageFolders.
[[nodiscard]] std::filesystem::path language_file_name(std::string_view code);

[[nodiscard]] std::optional<std::filesystem::path> find_language_file(std::string_view code,
                                                                      const LanguageFolders& folders);

class Language {
public:
    // Discards the current translations; loads the file of code when there is one (a missing or
    // unreadable file, or no code, leaves English in force). Returns the code of the file's "lang="
    // line, or nullopt.
    std::optional<std::string> load_language(const std::optional<std::string>& code,
                                             const LanguageFolders& folders);

    // Loads a language file, plain text or compressed container; false (and English) when it cannot
    // be read or the container is damaged.
    bool load_file(const std::filesystem::path& file);

    // Loads the text of a language file as the translations in force.
    void load_text(std::string_view text);

    // English: no translations. The reverse map stays, so shown translations can still go back.
    void unload();

    [[nodiscard]] bool has_translations() const { return translations_.has_value(); }
    [[nodiscard]] const TranslationMap* translations() const
    {
        return translations_ ? &*translations_ : nullptr;
    }
    [[nodiscard]] const TranslationMap& reverse_map() const { return reverse_; }
    [[nodiscard]] const LanguageFont& font() const { return font_; }
    [[nodiscard]] const std::optional<std::string>& file_code() const { return file_code_; }

    // The code the user chose last (the Options > Language menu), kept for the registry.
    [[nodiscard]] const std::optional<std::string>& current_code() const { return current_code_; }
    void set_current_code(std::optional<std::string> code) { current_code_ = std::move(code); }

    // The translation of a table text, or nullopt when none is loaded. A text with blanks around it is
    // also found under the text without them (as window texts are), the blanks put back.
    [[nodiscard]] std::optional<std::string> find_translation(std::string_view english) const;

    // What load_string shows for an English table text: its translation, or the text itself.
    [[nodiscard]] std::string translate_string(std::string_view english) const;

    // The table text of id in this language; empty for a number the table does not hold.
    [[nodiscard]] std::string text(int id) const;

    // A text whose English original is known (menu items, tool-bar buttons) as shown in form `form`:
    // the translation under text + ":" + form, else under the plain text, else the English text.
    [[nodiscard]] std::string translate_known_text(std::string_view english, int form) const;

    // Translates one window text of form `form` and returns the text to show:
    //  - trailing blanks, tabs and line ends and leading blanks are set aside and put back afterwards;
    //  - with translations loaded: text + ":" + form, then the plain text; the reverse map learns
    //    translation + ":" + form -> the English text;
    //  - without: text + ":" + form in the reverse map gives the English text back.
    // A text that is found nowhere, or is empty, stays exactly as it is.
    std::string translate_text(std::string_view text, int form);

private:
    [[nodiscard]] std::optional<std::string> lookup(std::string_view core, int form) const;

    std::optional<TranslationMap> translations_;
    TranslationMap reverse_;
    LanguageFont font_;
    std::optional<std::string> file_code_;
    std::optional<std::string> current_code_;
};

// The language that load_string() uses, like an installed translator; none means English. The
// program installs its one Language at start-up.
void set_current_language(Language* language);
[[nodiscard]] Language* current_language();

// The table text of id in the current language, as an owned string (it never dangles); empty for a
// number the table does not hold.
[[nodiscard]] std::string load_string(int id);
[[nodiscard]] QString load_qstring(int id);

namespace detail {
// The format for id in the current language; the English text when the translation's placeholders
// differ from the English ones, so a faulty language file cannot garble the arguments.
[[nodiscard]] std::string format_for(int id);
} // namespace detail

// printf-style formatting of a table text, checked at compile time against the English text:
// format_string<IDS_LOG_CONNECTED_TO>(server).
template <int Id, typename... Args>
[[nodiscard]] std::string format_string(const Args&... args)
{
    static_assert(english_text(Id).has_value(), "the string table has no text with this number");
    static_assert(format_matches<Args...>(*english_text(Id)),
                  "the arguments do not fit the text's placeholders");
    return format_text(detail::format_for(Id), args...);
}

// The same for a number known only at run time; placeholders that do not fit stay as written.
template <typename... Args>
[[nodiscard]] std::string format_string(int id, const Args&... args)
{
    return format_text(detail::format_for(id), args...);
}

} // namespace kestovan
