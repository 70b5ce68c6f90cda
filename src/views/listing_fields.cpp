#include "views/listing_fields.h"

#include <algorithm>

namespace kestovan {

namespace {

// Positions of the fields in the Unix layout.
enum FieldIndex : std::size_t {
    F_PERMISSIONS = 0,
    F_LINKS = 1,
    F_OWNER = 2,
    F_GROUP = 3,
    F_SIZE = 4,
    F_DATE1 = 5,
    F_DATE2 = 6,
    F_DATE3 = 7,
    F_NAME = 8,
};

using Slots = std::array<std::optional<std::string_view>, MAX_LISTING_FIELDS>;

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

bool is_line_end(char c)
{
    return c == '\r' || c == '\n';
}

bool is_space(char c)
{
    return is_blank(c) || is_line_end(c);
}

bool contains(std::string_view text, char c)
{
    return text.find(c) != std::string_view::npos;
}

// "01-15-04 10:30AM <DIR> stuff": date, time, size or <DIR>, name.
bool is_dos_line(const ListingLine& line)
{
    return line.count == 4 && contains(line.fields[1], ':') && contains(line.fields[0], '-');
}

// Moves slots [from, F_DATE3] one place to the right; the slot at from becomes empty.
void shift_right_from(Slots& slots, std::size_t from)
{
    for (std::size_t i = F_DATE3; i > from; --i)
        slots[i] = slots[i - 1];
    slots[from].reset();
}

} // namespace

std::string_view listing_text(std::string_view received)
{
    return received.substr(0, std::min(received.find('\0'), received.size()));
}

std::optional<ListingLine> read_listing_line(std::string_view text, std::size_t& pos)
{
    while (pos < text.size() && is_space(text[pos]))
        ++pos;
    if (pos >= text.size())
        return std::nullopt;

    ListingLine line;
    for (;;) {
        const std::size_t start = pos;
        if (line.count + 1 == MAX_LISTING_FIELDS) {
            // The name column may hold blanks and tabs of its own, trailing ones included.
            while (pos < text.size() && !is_line_end(text[pos]))
                ++pos;
            line.fields[line.count++] = text.substr(start, pos - start);
            return line;
        }
        while (pos < text.size() && !is_space(text[pos]))
            ++pos;
        line.fields[line.count++] = text.substr(start, pos - start);
        while (pos < text.size() && is_blank(text[pos]))
            ++pos;
        if (pos >= text.size() || is_line_end(text[pos]))
            return line;
    }
}

bool is_listing_number(std::string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

void append_bounded(std::string& out, std::string_view part)
{
    if (out.size() < MAX_NAME_LENGTH)
        out.append(part.substr(0, MAX_NAME_LENGTH - out.size()));
}

std::optional<PlacedFields> place_fields(const ListingLine& line)
{
    Slots slots{};
    for (std::size_t i = 0; i < line.count && i < MAX_LISTING_FIELDS; ++i)
        slots[i] = line.fields[i];

    PlacedFields placed;
    if (is_dos_line(line)) {
        slots = Slots{};
        slots[F_DATE1] = line.fields[0];
        slots[F_DATE2] = line.fields[1];
        slots[F_SIZE] = line.fields[2];
        slots[F_NAME] = line.fields[3];
    } else if (line.count >= MAX_LISTING_FIELDS && !is_listing_number(line.fields[F_SIZE])) {
        // A name of several words on a line without a group column: the name starts one column early.
        append_bounded(placed.name, line.fields[F_DATE3]);
        append_bounded(placed.name, " ");
        append_bounded(placed.name, line.fields[F_NAME]);
        shift_right_from(slots, F_GROUP);
    } else if (line.count + 1 == MAX_LISTING_FIELDS) {
        slots[F_NAME] = slots[F_DATE3];
        shift_right_from(slots, F_GROUP);
    }

    if (placed.name.empty()) {
        if (!slots[F_NAME] || slots[F_NAME]->empty())
            return std::nullopt;
        append_bounded(placed.name, *slots[F_NAME]);
    }
    placed.permissions = slots[F_PERMISSIONS];
    placed.links = slots[F_LINKS];
    placed.owner = slots[F_OWNER];
    placed.group = slots[F_GROUP];
    placed.size = slots[F_SIZE];
    placed.date_parts = {slots[F_DATE1], slots[F_DATE2], slots[F_DATE3]};
    return placed;
}

} // namespace kestovan
