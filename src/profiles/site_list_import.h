// File > Import without widgets: what the file dialog offers, the import of the chosen file into the
// tree file through the importer library, and what the main window does afterwards (refill the
// session tree, or show a warning or error box). The main window only shows the dialog and the box.
#pragma once

#include "profiles/ravelink_library.h"
#include "ui/prompts.h"
#include "views/dir_entry.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

inline constexpr std::string_view IMPORT_DEFAULT_PATTERN = "*.*";
// The extension is the text after the last "." of the file name, of which this much is compared.
inline constexpr std::size_t IMPORT_EXTENSION_LIMIT = 15;

struct FileFilter {
    std::string label;   // "FTP Voyager files (*.ftp)"
    std::string pattern; // "*.ftp"
};

// The pairs of a filter text whose parts are separated by "$" and which ends with "$$".
[[nodiscard]] std::vector<FileFilter> parse_filter_text(std::string_view text);

// A Qt file-dialog name filter for each pair: the label, followed by the pattern in round brackets
// unless the label already ends with it. "*.*" means every file, also those without a ".", so it is
// given to Qt as "*".
[[nodiscard]] std::vector<std::string> qt_name_filters(const std::vector<FileFilter>& filters);

struct ImportDialogSetup {
    std::string title;                          // "Import"
    std::vector<FileFilter> filters;            // from the string table, in the current language
    std::string default_pattern;                // "*.*"
    std::filesystem::path start_folder;         // the folder used last
    std::vector<std::filesystem::path> offered; // site lists found in the Wine prefix
};

// prefix: the Wine prefix to offer site lists from (none: offer nothing).
[[nodiscard]] ImportDialogSetup import_dialog_setup(const std::filesystem::path& last_folder,
                                                    const std::optional<std::filesystem::path>& prefix);

enum class ImportKind {
    None, // no extension or an unknown one: nothing is imported
    FtpVoyager,
    CuteFtp,
    WsFtp,
};

// By extension, compared without regard to case: "ftp", "dat" or "ini".
[[nodiscard]] ImportKind import_kind_of(std::string_view chosen);

struct ImportOutcome {
    int code = IMPORT_OK; // the library's code, IMPORT_LIBRARY_MISSING, or IMPORT_OK for ImportKind::None
    ImportKind kind = ImportKind::None;
    std::uintmax_t text_start = 0; // the tree file's size before the library appended to it
};

// Imports the chosen file into tree_file by its extension. When tree_file is the pending tree file
// ("ftp.sav") and does not exist, the seed "default.sav" beside it is copied to it first. The library
// is loaded only for a known extension.
[[nodiscard]] ImportOutcome import_by_extension(const std::string& chosen,
                                                const std::filesystem::path& tree_file,
                                                RavelinkLibrary& library);

// For Prompts::message.
struct ImportMessage {
    PromptIcon icon = PromptIcon::Error; // Warning for an unknown format
    std::string caption;                 // "Unknown file format" or "Import Failed", in the current language
    std::string text;                    // the chosen path
};

struct ImportCommandResult {
    ImportOutcome outcome;
    std::optional<EntryChain> tree;       // on success: the tree file's entries for the session tree
    std::optional<ImportMessage> message; // on failure: the box to show
    std::filesystem::path last_folder;    // the chosen file's folder, where the next dialog starts
};

// The Import command after the dialog: import_by_extension, then the tree to show or the message.
[[nodiscard]] ImportCommandResult run_import_command(const std::string& chosen,
                                                     const std::filesystem::path& tree_file,
                                                     RavelinkLibrary& library);

// A tree as indented lines for a terminal: two spaces per level, folders ending in "/", sites and
// links followed by their server in round brackets when they have one.
[[nodiscard]] std::string format_tree_outline(const EntryChain& nodes);

} // namespace kestovan
