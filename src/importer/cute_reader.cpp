#include "importer/cute_reader.h"

#include "importer/tree_text.h"

#include <algorithm>
#include <unordered_map>

namespace kestovan {

namespace {

constexpr std::string_view CUTE_ROOT =
    "NAME=CuteFTP sites\nSERVER=\nPORT=\nUSERNAME=\nLOCAL=\nREMOTE=\nCOMMENT=\n"
    "PASV=\nCASE=\nTYP=6\nSAVE=\nANON=\nUSER=\n";

// Record markers: a new record class (tag, schema, 16-bit name length, class name), then the short
// tags of known classes.
constexpr std::string_view TYPED_MARKER{"\xFF\xFF\x01\x00", 4};
constexpr std::string_view FOLDER_MARKER{"\x0E\x80\x01", 3};
constexpr std::string_view SITE_MARKER{"\x80\x01", 2};

constexpr std::size_t NAME_GAP = 20; // between a site's name and its host
constexpr std::size_t PORT_GAP = 63; // between a site's port and its comment
constexpr std::size_t NO_PARENT = static_cast<std::size_t>(-1);

enum class RecordKind {
    Folder,
    Site,
    FromKindWord, // a typed record: its third word decides
};

// Reads a record front to back; a read past the end of the file marks the record as cut off.
class RecordCursor {
public:
    RecordCursor(std::string_view bytes, std::size_t at)
        : bytes_(bytes), at_(std::min(at, bytes.size())), ok_(at <= bytes.size())
    {}

    void skip(std::size_t count)
    {
        if (bytes_.size() - at_ < count) {
            ok_ = false;
            at_ = bytes_.size();
        } else {
            at_ += count;
        }
    }

    std::uint8_t byte()
    {
        if (at_ >= bytes_.size()) {
            ok_ = false;
            return 0;
        }
        return static_cast<std::uint8_t>(bytes_[at_++]);
    }

    std::uint32_t word()
    {
        std::uint32_t value = 0;
        for (int shift = 0; shift < 32; shift += 8)
            value |= static_cast<std::uint32_t>(byte()) << shift;
        return value;
    }

    // length characters of which the first limit are kept; the rest is skipped so that the fields
    // after it stay in place.
    std::string characters(std::size_t length, std::size_t limit)
    {
        const std::size_t start = at_;
        skip(length);
        if (!ok_)
            return {};
        return std::string(bytes_.substr(start, std::min(length, limit)));
    }

    std::string counted(std::size_t limit) { return characters(byte(), limit); }

    [[nodiscard]] bool ok() const { return ok_; }
    [[nodiscard]] std::size_t at() const { return at_; }

private:
    std::string_view bytes_;
    std::size_t at_;
    bool ok_;
};

void read_site_fields(RecordCursor& cursor, CuteRecord& record)
{
    cursor.skip(NAME_GAP);
    record.host = cursor.counted(CUTE_HOST_LIMIT);
    // A zero length byte means no user name and no password: the password's length byte follows.
    if (const std::uint8_t user_length = cursor.byte(); user_length == 0) {
        cursor.skip(1);
    } else {
        record.user = cursor.characters(user_length, CUTE_USER_LIMIT);
        record.password = cursor.counted(CUTE_PASSWORD_LIMIT);
    }
    record.remote = cursor.counted(CUTE_REMOTE_LIMIT);
    cursor.skip(1);
    record.port = cursor.byte();
    cursor.skip(PORT_GAP);
    record.comment = cursor.counted(CUTE_COMMENT_LIMIT);
}

// The record at `at` and the position after it; nothing when the file ends inside it.
std::optional<std::pair<CuteRecord, std::size_t>> read_record(std::string_view bytes, std::size_t at,
                                                              RecordKind kind)
{
    RecordCursor cursor(bytes, at);
    CuteRecord record;
    cursor.skip(4);
    record.id = cursor.word();
    const std::uint32_t kind_word = cursor.word();
    record.parent = cursor.word();
    record.folder = kind == RecordKind::Folder || (kind == RecordKind::FromKindWord && kind_word != 0);
    record.name = cursor.counted(CUTE_NAME_LIMIT);
    if (!record.folder)
        read_site_fields(cursor, record);
    if (!cursor.ok())
        return std::nullopt;
    return std::pair{std::move(record), cursor.at()};
}

void write_entry(TreeText& out, const CuteRecord& record, bool has_children)
{
    out.key("NAME", usable_name(record.name, record.folder ? std::string_view() : record.host,
                                record.folder ? FALLBACK_FOLDER_NAME : FALLBACK_SITE_NAME));
    out.key("SERVER", record.host);
    out.key("PORT", record.port);
    out.key("USERNAME", record.user);
    out.key("LOCAL", "");
    out.key("REMOTE", record.remote);
    out.key("COMMENT", record.comment);
    out.raw("PASV=0\nCASE=0\n");
    out.raw(has_children ? "TYP=6\n" : "TYP=3\n");
    out.raw("SAVE=0\n");
    out.key("ANON", record.folder ? 0 : 1);
    out.raw("USER=0\n");
}

// The list index of each record's parent: the first record (in list order) with the parent's
// identifier, other than the record itself; NO_PARENT when there is none.
std::vector<std::size_t> find_parents(const std::vector<CuteRecord>& records)
{
    std::unordered_map<std::uint32_t, std::size_t> first_with_id;
    for (std::size_t i = 0; i < records.size(); ++i)
        first_with_id.try_emplace(records[i].id, i);
    std::vector<std::size_t> parents(records.size(), NO_PARENT);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto found = first_with_id.find(records[i].parent);
        if (found != first_with_id.end() && found->second != i)
            parents[i] = found->second;
    }
    return parents;
}

// Every loop of parents loses one link, at its member that comes first in the list, which then
// stands at the top level; each record is visited once.
void break_parent_loops(std::vector<std::size_t>& parents)
{
    enum : std::uint8_t {
        UNSEEN,
        ON_PATH,
        DONE
    };
    std::vector<std::uint8_t> state(parents.size(), UNSEEN);
    std::vector<std::size_t> path;
    for (std::size_t start = 0; start < parents.size(); ++start) {
        path.clear();
        std::size_t i = start;
        while (i != NO_PARENT && state[i] == UNSEEN) {
            state[i] = ON_PATH;
            path.push_back(i);
            i = parents[i];
        }
        if (i != NO_PARENT && state[i] == ON_PATH) {
            const auto loop = std::find(path.begin(), path.end(), i);
            parents[*std::min_element(loop, path.end())] = NO_PARENT;
        }
        for (const std::size_t done : path)
            state[done] = DONE;
    }
}

void write_tree(TreeText& out, const std::vector<CuteRecord>& records,
                const std::vector<std::vector<std::size_t>>& children, const std::vector<std::size_t>& top)
{
    struct Level {
        const std::vector<std::size_t>* entries;
        std::size_t next;
    };
    std::vector<Level> levels{Level{&top, 0}};
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next == level.entries->size()) {
            levels.pop_back();
            if (!levels.empty())
                out.raw(TREE_END_OF_BRANCH);
            continue;
        }
        const std::size_t i = (*level.entries)[level.next++];
        write_entry(out, records[i], !children[i].empty());
        if (!children[i].empty()) {
            out.raw(TREE_BRANCH);
            levels.push_back(Level{&children[i], 0});
        }
    }
}

} // namespace

std::vector<CuteRecord> read_cute_records(std::string_view bytes)
{
    std::vector<CuteRecord> records;
    std::size_t at = CUTE_HEADER_SIZE;
    while (at < bytes.size()) {
        const std::string_view rest = bytes.substr(at);
        std::optional<std::pair<CuteRecord, std::size_t>> read;
        if (rest.starts_with(TYPED_MARKER)) {
            if (rest.size() < TYPED_MARKER.size() + 2)
                break;
            const std::size_t name_length = static_cast<std::uint8_t>(rest[4]) |
                                            static_cast<std::size_t>(static_cast<std::uint8_t>(rest[5])) << 8;
            read = read_record(bytes, at + TYPED_MARKER.size() + 2 + name_length, RecordKind::FromKindWord);
        } else if (rest.starts_with(FOLDER_MARKER)) {
            read = read_record(bytes, at + 2, RecordKind::Folder);
        } else if (rest.starts_with(SITE_MARKER)) {
            read = read_record(bytes, at + 1, RecordKind::Site);
        } else {
            ++at;
            continue;
        }
        if (!read) // cut off by the end of the file: nothing complete can follow
            break;
        records.push_back(std::move(read->first));
        at = read->second;
    }
    return records;
}

std::optional<std::string> format_cute_tree(std::vector<CuteRecord> records)
{
    if (records.empty())
        return std::nullopt;
    // Ordered by parent identifier; records with equal parents keep their file order.
    std::stable_sort(records.begin(), records.end(),
                     [](const CuteRecord& a, const CuteRecord& b) { return a.parent < b.parent; });
    std::vector<std::size_t> parents = find_parents(records);
    break_parent_loops(parents);
    std::vector<std::vector<std::size_t>> children(records.size());
    std::vector<std::size_t> top;
    for (std::size_t i = 0; i < records.size(); ++i)
        (parents[i] == NO_PARENT ? top : children[parents[i]]).push_back(i);

    TreeText out;
    out.raw(CUTE_ROOT);
    out.raw(TREE_BRANCH);
    write_tree(out, records, children, top);
    out.raw(TREE_END_OF_BRANCH);
    return out.take();
}

} // namespace kestovan
