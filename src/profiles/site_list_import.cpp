#include "profiles/site_list_import.h"

#include "profiles/profile_folder.h"
#include "profiles/profile_tree.h"
#include "profiles/wine_site_lists.h"
#include "ui/language.h"

#include <algorithm>
#include <system_error>

namespace kestovan {

namespace {

constexpr char FILTER_SEPARATOR = '$';
constexpr std::string_view EVERY_FILE_PATTERN = "*";

bool equals_ignoring_case(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

std::uintmax_t size_or_zero(const std::filesystem::path& path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

void outline_level(std::string& out, const EntryChain& nodes, std::size_t depth)
{
    for (const auto& node : nodes) {
        out.append(depth * 2, ' ').append(node->name);
        if (node->kind == KIND_PROFILE_FOLDER)
            out.push_back('/');
        else if (node->session && node->session->server && !node->session->server->empty())
            out.append(" (").append(*node->session->server).push_back(')');
        out.push_back('\n');
        outline_level(out, node->children, depth + 1);
    }
}

} // namespace

std::vector<FileFilter> parse_filter_text(std::string_view text)
{
    std::vector<FileFilter> filters;
    std::size_t at = 0;
    for (;;) {
        const std::size_t label_end = text.find(FILTER_SEPARATOR, at);
        if (label_end == std::string_view::npos || label_end == at)
            break;
        const std::size_t pattern_end = text.find(FILTER_SEPARATOR, label_end + 1);
        if (pattern_end == std::string_view::npos)
            break;
        filters.push_back(FileFilter{std::string(text.substr(at, label_end - at)),
                                     std::string(text.substr(label_end + 1, pattern_end - label_end - 1))});
        at = pattern_end + 1;
    }
    return filters;
}

std::vector<std::string> qt_name_filters(const std::vector<FileFilter>& filters)
{
    std::vector<std::string> out;
    for (const FileFilter& filter : filters) {
        const std::string bracketed = "(" + filter.pattern + ")";
        std::string label = filter.label;
        if (label.ends_with(bracketed))
            label.erase(label.size() - bracketed.size());
        while (!label.empty() && label.back() == ' ')
            label.pop_back();
        const std::string_view pattern =
            filter.pattern == IMPORT_DEFAULT_PATTERN ? EVERY_FILE_PATTERN : std::string_view(filter.pattern);
        out.push_back(label + " (" + std::string(pattern) + ")");
    }
    return out;
}

ImportDialogSetup import_dialog_setup(const std::filesystem::path& last_folder,
                                      const std::optional<std::filesystem::path>& prefix)
{
    ImportDialogSetup setup;
    setup.title = load_string(IDS_DLG_IMPORT);
    setup.filters = parse_filter_text(load_string(IDS_IMPORT_FILTER));
    setup.default_pattern = IMPORT_DEFAULT_PATTERN;
    setup.start_folder = last_folder;
    if (prefix)
        setup.offered = find_wine_site_lists(*prefix);
    return setup;
}

ImportKind import_kind_of(std::string_view chosen)
{
    const std::size_t slash = chosen.rfind('/');
    const std::string_view file_name = slash == std::string_view::npos ? chosen : chosen.substr(slash + 1);
    const std::size_t dot = file_name.rfind('.');
    if (dot == std::string_view::npos)
        return ImportKind::None;
    const std::string_view extension = file_name.substr(dot + 1, IMPORT_EXTENSION_LIMIT);
    if (equals_ignoring_case(extension, "ftp"))
        return ImportKind::FtpVoyager;
    if (equals_ignoring_case(extension, "dat"))
        return ImportKind::CuteFtp;
    if (equals_ignoring_case(extension, "ini"))
        return ImportKind::WsFtp;
    return ImportKind::None;
}

ImportOutcome import_by_extension(const std::string& chosen, const std::filesystem::path& tree_file,
                                  RavelinkLibrary& library)
{
    // The seed belongs to the pending tree file only; any other tree file starts empty.
    if (tree_file.filename() == PENDING_TREE_FILE)
        (void)prepare_pending_tree(tree_file.parent_path());
    ImportOutcome outcome;
    outcome.kind = import_kind_of(chosen);
    outcome.text_start = size_or_zero(tree_file);
    const std::string tree = tree_file.string();
    switch (outcome.kind) {
    case ImportKind::None: break;
    case ImportKind::FtpVoyager: outcome.code = library.import_ftpv(tree, chosen); break;
    case ImportKind::CuteFtp: outcome.code = library.import_cute_ftp(chosen, tree); break;
    case ImportKind::WsFtp: outcome.code = library.import_ws_ftp(chosen, tree); break;
    }
    return outcome;
}

ImportCommandResult run_import_command(const std::string& chosen, const std::filesystem::path& tree_file,
                                       RavelinkLibrary& library)
{
    ImportCommandResult result;
    result.last_folder = std::filesystem::path(chosen).parent_path();
    result.outcome = import_by_extension(chosen, tree_file, library);
    if (result.outcome.code == IMPORT_OK)
        result.tree = read_profile_tree(tree_file);
    else if (result.outcome.code == IMPORT_UNRECOGNISED)
        result.message = ImportMessage{PromptIcon::Warning, load_string(IDS_CAPTION_UNKNOWN_FORMAT), chosen};
    else
        result.message = ImportMessage{PromptIcon::Error, load_string(IDS_CAPTION_IMPORT_FAILED), chosen};
    return result;
}

std::string format_tree_outline(const EntryChain& nodes)
{
    std::string out;
    outline_level(out, nodes, 0);
    return out;
}

} // namespace kestovan
