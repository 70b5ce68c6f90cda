#include "importer/ftpv_reader.h"

#include "importer/tree_text.h"

#include <cstdint>

namespace kestovan {

namespace {

constexpr std::string_view FTPV_ROOT =
    "NAME=FTPVoyager Sites\nPORT=\nCOMMENT=\nPASV=0\nCASE=1\nTYP=6\nSAVE=0\n"
    "ANON=0\nUSER=1\n";

// The record's first three bytes carry nothing the import uses.
constexpr std::size_t FTPV_NAME_AT = 3;
// A second-string length byte of 0xFF announces a 16-bit length in the next two bytes.
constexpr std::uint8_t FTPV_LONG_LENGTH = 0xFF;

// Reads a record body front to back; every read that would pass its end fails.
class BodyCursor {
public:
    explicit BodyCursor(std::string_view body) : body_(body) {}

    [[nodiscard]] std::optional<std::uint8_t> byte_at(std::size_t at) const
    {
        if (at >= body_.size())
            return std::nullopt;
        return static_cast<std::uint8_t>(body_[at]);
    }

    // The length byte at `at` and the characters after it; nothing when either passes the end.
    [[nodiscard]] std::optional<std::string_view> counted(std::size_t at) const
    {
        const auto length = byte_at(at);
        if (!length || body_.size() - at - 1 < *length)
            return std::nullopt;
        return body_.substr(at + 1, *length);
    }

    [[nodiscard]] std::size_t zeros_from(std::size_t at) const
    {
        std::size_t count = 0;
        while (at + count < body_.size() && body_[at + count] == '\0')
            ++count;
        return count;
    }

private:
    std::string_view body_;
};

bool starts_with_letter_or_digit(std::string_view name)
{
    if (name.empty())
        return false;
    const char c = name.front();
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Where the third string starts: after the name and the skipped second string.
std::optional<std::size_t> third_string_at(const BodyCursor& cursor, std::size_t after_name)
{
    const auto length = cursor.byte_at(after_name);
    if (!length)
        return std::nullopt;
    if (*length != FTPV_LONG_LENGTH)
        return after_name + 1 + *length;
    const auto low = cursor.byte_at(after_name + 1);
    const auto high = cursor.byte_at(after_name + 2);
    if (!low || !high)
        return std::nullopt;
    return after_name + 3 + (static_cast<std::size_t>(*high) << 8 | *low);
}

void write_site(TreeText& out, const FtpvRecord& site)
{
    out.key("NAME", usable_name(site.name, site.third, FALLBACK_SITE_NAME));
    out.key("SERVER", site.third);
    out.raw("PORT=21\nUSERNAME=\nLOCAL=\n");
    out.key("REMOTE", site.fourth);
    out.raw("COMMENT=\nPASV=0\nCASE=0\nTYP=3\nSAVE=0\nANON=1\nUSER=1\n");
}

void write_folder(TreeText& out, const FtpvRecord& folder)
{
    out.key("NAME", usable_name(folder.name, {}, FALLBACK_FOLDER_NAME));
    out.raw("PORT=21\n");
    out.key("COMMENT", folder.third);
    out.raw("PASV=0\nCASE=1\nTYP=6\nSAVE=0\nANON=0\nUSER=1\n");
}

} // namespace

std::optional<FtpvRecord> parse_ftpv_body(std::string_view body)
{
    const BodyCursor cursor(body);
    const auto name = cursor.counted(FTPV_NAME_AT);
    if (!name || !starts_with_letter_or_digit(*name))
        return std::nullopt;
    const auto third_at = third_string_at(cursor, FTPV_NAME_AT + 1 + name->size());
    if (!third_at)
        return std::nullopt;
    const auto third = cursor.counted(*third_at);
    if (!third)
        return std::nullopt;
    std::string_view fourth;
    // With an empty third string there is no fourth, and the zeros are counted from the third's
    // length byte. Otherwise they are counted from the fourth's last byte (its length byte when it is
    // empty): the way the format tells folders from sites.
    std::size_t zeros_at = *third_at;
    if (!third->empty()) {
        const std::size_t fourth_at = *third_at + 1 + third->size();
        const auto read = cursor.counted(fourth_at);
        if (!read)
            return std::nullopt;
        fourth = *read;
        zeros_at = fourth_at + fourth.size();
    }
    FtpvRecord record;
    record.folder = cursor.zeros_from(zeros_at) >= FTPV_FOLDER_ZEROS;
    record.name = cut(*name, FTPV_STRING_LIMIT);
    record.third = cut(*third, FTPV_STRING_LIMIT);
    record.fourth = cut(fourth, FTPV_STRING_LIMIT);
    return record;
}

std::vector<FtpvRecord> read_ftpv_records(std::string_view bytes)
{
    std::vector<FtpvRecord> records;
    std::size_t at = 0;
    for (;;) {
        const std::size_t slash = bytes.find('/', at);
        if (slash == std::string_view::npos)
            break;
        // The first complete terminator ends the body, also when a 0x33 comes right before it.
        const std::size_t end = bytes.find(FTPV_TERMINATOR, slash + 1);
        if (end == std::string_view::npos)
            break;
        if (auto record = parse_ftpv_body(bytes.substr(slash + 1, end - slash - 1)))
            records.push_back(std::move(*record));
        at = end + FTPV_TERMINATOR.size();
    }
    return records;
}

std::optional<std::string> format_ftpv_tree(const std::vector<FtpvRecord>& records)
{
    if (records.empty())
        return std::nullopt;
    TreeText out;
    out.raw(FTPV_ROOT);
    out.raw(TREE_BRANCH);
    std::size_t folders_seen = 0;
    bool in_branch = false;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const FtpvRecord& record = records[i];
        if (!record.folder) {
            write_site(out, record);
            continue;
        }
        if (in_branch)
            out.raw(TREE_END_OF_BRANCH);
        in_branch = false;
        const bool sites_follow = i + 1 < records.size() && !records[i + 1].folder;
        if (folders_seen++ == 0 && !sites_follow)
            continue;
        write_folder(out, record);
        out.raw(TREE_BRANCH);
        in_branch = true;
    }
    if (in_branch)
        out.raw(TREE_END_OF_BRANCH);
    out.raw(TREE_END_OF_BRANCH);
    return out.take();
}

} // namespace kestovan
