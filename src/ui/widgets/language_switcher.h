// Translating windows in place: the walk that applies a Language to every text a window and its
// children show, and the switch of the Options > Language menu.
//
// What the walk translates, for the window given and every widget below it:
//   - button texts (QAbstractButton; tool buttons that show a QAction take the action's text), label
//     texts, group-box titles, line-edit placeholders and the titles of windows (dialogs parented to
//     the main window are reached too): through Language::translate_text, so a switch from one
//     language to another restores English from the reverse map first;
//   - QAction texts (menu bar, menus, context menus, tool bars): from their English original, which is
//     the table text of their string id, or else the text the walk found the first time it met the
//     action (recorded in "kestovan_english_text"; when code changes the text later, the new text is
//     taken as the English one). A tool-bar action is looked up with the tool bar's form number;
//   - tab titles and column titles given by string ids (properties below).
// Layouts re-measure the controls; the caller reloads what else depends on the language (help page).
//
// Conventions, as dynamic properties set by the code that builds a window:
//   "kestovan_form"            int: the form number of this widget and everything below it (the
//                              nearest one upwards counts; none: 0). Set it on every window and dialog,
//                              and on a QToolBar for the tool bar's own form number.
//   "kestovan_string_id"       int on a widget or QAction: its text (a window's title) is always the
//                              table text of that number. Use it for texts the code changes while
//                              the program runs (button 2011's caption) and for anything built after a
//                              switch with load_string().
//   "kestovan_tooltip_id"      int on a widget or QAction: its tooltip is the table text of that number.
//   "kestovan_placeholder_id"  int on a QLineEdit: its placeholder text is the table text of that
//                              number. Tooltip and placeholder ids count even on a widget marked
//                              "kestovan_no_translation" (a filter box whose text is data).
//   "kestovan_column_ids"      QVariantList of int on a QAbstractItemView: its column titles. They are
//                              set with setHeaderData; a model that refuses that gets headerDataChanged
//                              and should answer headerData with load_string().
//   "kestovan_tab_ids"         QVariantList of int on a QTabWidget or QTabBar: its tab titles.
//   "kestovan_no_translation"  bool: this widget's texts are data (file names, status); leave them.
// The bind_* helpers set these properties and the current text at once.
#pragma once

#include "ui/language.h"

#include <initializer_list>
#include <optional>
#include <string>

class QAbstractItemView;
class QAction;
class QLineEdit;
class QTabBar;
class QTabWidget;
class QWidget;

namespace kestovan {

inline constexpr char FORM_PROPERTY[] = "kestovan_form";
inline constexpr char STRING_ID_PROPERTY[] = "kestovan_string_id";
inline constexpr char TOOLTIP_ID_PROPERTY[] = "kestovan_tooltip_id";
inline constexpr char PLACEHOLDER_ID_PROPERTY[] = "kestovan_placeholder_id";
inline constexpr char COLUMN_IDS_PROPERTY[] = "kestovan_column_ids";
inline constexpr char TAB_IDS_PROPERTY[] = "kestovan_tab_ids";
inline constexpr char NO_TRANSLATION_PROPERTY[] = "kestovan_no_translation";
inline constexpr char ENGLISH_TEXT_PROPERTY[] = "kestovan_english_text";
inline constexpr char SHOWN_TEXT_PROPERTY[] = "kestovan_shown_text";

void set_form_number(QWidget& widget, int form);

// Set the property and the text (or title) in the current language (load_string).
void bind_string_id(QWidget& widget, int id);
void bind_string_id(QAction& action, int id);
void bind_tooltip_id(QWidget& widget, int id);
void bind_tooltip_id(QAction& action, int id);
void bind_placeholder_id(QLineEdit& edit, int id);
void bind_column_ids(QAbstractItemView& view, std::initializer_list<int> ids);
void bind_tab_ids(QTabWidget& tabs, std::initializer_list<int> ids);

// Translates the texts of root and everything below it with the language in force. Dialogs call it
// when they open; switch_language calls it for the main window.
void translate_widget_tree(QWidget& root, Language& language);

// Switches the language of the whole main window: when a language is in force and a new code is
// given, English is restored first; then the language of code is loaded (none: English), its font
// applied and every text translated; code becomes the current language (Language::current_code).
void switch_language(QWidget& main_window, Language& language, const std::optional<std::string>& code,
                     const LanguageFolders& folders);

} // namespace kestovan
