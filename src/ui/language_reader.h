// The reader of language files: the text of a "lang/lang_XX.dat" file (already inflated when it was a
// compressed container) becomes a translation map, the language's font values and its own code.
//
// Lines end at CR or LF; empty lines and lines starting with ";" are skipped. In a line with a
// backslash, "\r", "\n" and "\t" become CR, LF and TAB. Then, by the start of the line:
//   "<" number   form number for the texts that follow (0: none)
//   "E="         the English text; "%PRODUCT%" becomes the product name, "{" and "}" are dropped, and
//                ":" and the form number are appended while a form number is in force
//   "T="         its translation, stored under that key and, for a key with a form number, under the
//                plain text as well; "T=*" stores nothing. Either way the English text is used up.
//                Braces are dropped from translations unless the file says "lang=jp".
//   "F_FACE=", "F_WIDTH=", "F_HEIGHT="   the language's font
//   "lang="      the language's own code (lower-cased)
// Any other line is ignored.
#pragma once

#include "ui/translation_map.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

struct LanguageFont {
    std::string face;
    int width = 0;
    int height = 0;
};

struct LanguageText {
    TranslationMap translations;
    LanguageFont font;
    std::optional<std::string> code; // from the "lang=" line
};

[[nodiscard]] LanguageText read_language_text(std::string_view text, std::string_view product_name);

// The same text with every line ended by CR LF and no empty lines: the form in which the build packs
// language sources, whatever line ends the source file had.
[[nodiscard]] std::string to_crlf_lines(std::string_view text);

} // namespace kestovan
