#include "importer/wsftp_reader.h"

#include "importer/tree_text.h"

#include <algorithm>
#include <iterator>
#include <set>

namespace kestovan {

namespace {

constexpr std::string_view WS_ROOT =
    "NAME=WS_FTP Sites\nPORT=\nCOMMENT=\nPASV=0\nCASE=1\nTYP=6\nSAVE=0\nANON=0\n"
    "USER=1\n";

constexpr std::string_view ANONYMOUS = "anonymous";

struct WsEntry {
    bool folder = false;
    WsSection section;             // a folder's name is its section's name
    std::vector<WsEntry> children; // a folder's sites and folders
};

// One line as the reader sees it: cut at WS_LINE_LIMIT characters and at a NUL (the files are C
// text), its line end removed; `next` moves past the whole physical line.
std::string_view next_line(std::string_view text, std::size_t& at)
{
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    line = line.substr(0, std::min(line.find('\0'), WS_LINE_LIMIT));
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    return line;
}

bool take_value(std::string_view line, std::string_view key, std::string_view& value)
{
    if (!line.starts_with(key))
        return false;
    value = line.substr(key.size());
    return true;
}

void apply_line(WsSection& section, std::string_view line)
{
    std::string_view value;
    if (take_value(line, "HOST=", value)) {
        section.host = cut(value, WS_HOST_LIMIT);
    } else if (take_value(line, "DIR=", value)) {
        section.remote.clear();
        for (const char c : value) {
            if (c != '"')
                section.remote.push_back(c);
        }
    } else if (take_value(line, "COMMENT=", value)) {
        section.comment = cut(value, WS_COMMENT_LIMIT);
    } else if (take_value(line, "UID=", value)) {
        section.user = cut(value, WS_UID_LIMIT);
    } else if (take_value(line, "FILENAME=", value)) {
        section.file_name = std::string(cut(value, WS_FILENAME_LIMIT));
    }
}

bool equals_ignoring_case(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

std::string_view last_component(std::string_view path)
{
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

class WsReader {
public:
    explicit WsReader(WsFileOpener& opener) : opener_(opener) {}

    // The entries of a file's sections, folders filled from their files.
    std::vector<WsEntry> read_file(const WsFile& file, std::size_t depth)
    {
        read_.push_back(file.identity);
        std::vector<WsEntry> entries;
        for (WsSection& section : parse_ws_sections(file.text)) {
            if (section.content_lines == 0)
                continue;
            if (!section.file_name) {
                entries.push_back(WsEntry{false, std::move(section), {}});
            } else if (auto folder = read_folder(*section.file_name, file, depth)) {
                entries.push_back(WsEntry{true, std::move(section), std::move(*folder)});
            }
        }
        return entries;
    }

private:
    std::optional<std::vector<WsEntry>> read_folder(std::string_view name, const WsFile& from,
                                                    std::size_t depth)
    {
        if (depth + 1 >= WS_MAX_FILE_DEPTH)
            return std::nullopt;
        // A name looked for once from a folder was either read then or cannot be read: either way a
        // second look finds nothing new.
        std::string asked = from.path.parent_path().string();
        asked.append(1, '\0').append(name);
        if (asked_.size() >= WS_MAX_NAMED_FILES || !asked_.insert(std::move(asked)).second)
            return std::nullopt;
        const auto already_read = [this](const FileIdentity& identity) {
            return std::find(read_.begin(), read_.end(), identity) != read_.end();
        };
        auto file = opener_.open_named(name, from, already_read);
        if (!file || already_read(file->identity))
            return std::nullopt;
        return read_file(*file, depth + 1);
    }

    WsFileOpener& opener_;
    std::vector<FileIdentity> read_;
    std::set<std::string> asked_;
};

void write_site(TreeText& out, const WsSection& site)
{
    out.key("NAME", usable_name(site.name, site.host, FALLBACK_SITE_NAME));
    out.key("SERVER", site.host);
    out.raw("PORT=21\nUSERNAME=\nLOCAL=\n");
    out.key("REMOTE", site.remote);
    out.raw("COMMENT=\nPASV=0\nCASE=0\nTYP=3\nSAVE=0\n");
    out.key("ANON", equals_ignoring_case(site.user, ANONYMOUS) ? 1 : 0);
    out.raw("USER=1\n");
}

void write_folder_lines(TreeText& out, std::string_view name)
{
    out.key("NAME", usable_name(name, {}, FALLBACK_FOLDER_NAME));
    out.raw("PORT=\nCOMMENT=\nPASV=0\nCASE=1\nTYP=6\nSAVE=0\nANON=0\nUSER=1\n");
}

void write_entries(TreeText& out, const std::vector<WsEntry>& entries)
{
    for (const WsEntry& entry : entries) {
        if (!entry.folder) {
            write_site(out, entry.section);
            continue;
        }
        write_folder_lines(out, entry.section.name);
        out.raw(TREE_BRANCH);
        write_entries(out, entry.children);
        out.raw(TREE_END_OF_BRANCH);
    }
}

} // namespace

std::vector<WsSection> parse_ws_sections(std::string_view text)
{
    std::vector<WsSection> sections;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::string_view line = next_line(text, at);
        if (line.starts_with('[')) {
            std::string_view name = line.substr(1);
            if (name.ends_with(']'))
                name.remove_suffix(1);
            sections.push_back(WsSection{});
            sections.back().name = cut(name, WS_NAME_LIMIT);
        } else if (!sections.empty() && !line.empty()) {
            ++sections.back().content_lines;
            apply_line(sections.back(), line);
        }
    }
    return sections;
}

std::optional<std::string> format_ws_tree(const WsFile& top, WsFileOpener& opener)
{
    WsReader reader(opener);
    std::vector<WsEntry> entries = reader.read_file(top, 0);
    if (entries.empty())
        return std::nullopt;
    TreeText out;
    out.raw(WS_ROOT);
    out.raw(TREE_BRANCH);
    // The top file's own sites come first, in a folder of their own; its folders follow.
    const auto first_folder = std::stable_partition(entries.begin(), entries.end(),
                                                    [](const WsEntry& entry) { return !entry.folder; });
    if (first_folder != entries.begin()) {
        write_folder_lines(out, last_component(top.path.string()));
        out.raw(TREE_BRANCH);
        write_entries(out, std::vector<WsEntry>(std::make_move_iterator(entries.begin()),
                                                std::make_move_iterator(first_folder)));
        out.raw(TREE_END_OF_BRANCH);
    }
    write_entries(out, std::vector<WsEntry>(std::make_move_iterator(first_folder),
                                            std::make_move_iterator(entries.end())));
    out.raw(TREE_END_OF_BRANCH);
    return out.take();
}

} // namespace kestovan
