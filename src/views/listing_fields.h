// The text level of a LIST reply: splitting the listing into lines of at most nine fields, and moving
// the fields of DOS-style lines and of lines without a group column into the Unix layout. All views
// point into the listing text; nothing here owns a copy except joined names.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

inline constexpr std::size_t MAX_LISTING_FIELDS = 9;

// Names and dates once went through a 4048-byte formatting buffer; the bound stays so that one
// hostile line cannot produce an arbitrarily long name or date.
inline constexpr std::size_t MAX_NAME_LENGTH = 4047;

struct ListingLine {
    std::array<std::string_view, MAX_LISTING_FIELDS> fields{};
    std::size_t count = 0;
};

// The listing is NUL-terminated text in the receive buffer: whatever follows a NUL is not part of it.
// This also guarantees that no entry text ever holds a NUL.
[[nodiscard]] std::string_view listing_text(std::string_view received);

// Reads the line that starts at or after pos and advances pos past it; nullopt at the end of the text.
// Fields are runs of anything but blank, tab, CR and LF; blank lines vanish. A line ends at its first
// CR or LF (trailing blanks do not join it to the next line). The ninth field is the rest of the line
// with its inner and trailing blanks and tabs, up to the line end.
[[nodiscard]] std::optional<ListingLine> read_listing_line(std::string_view text, std::size_t& pos);

// Non-empty and made of the digits 0-9 and "." only.
[[nodiscard]] bool is_listing_number(std::string_view text);

// One line's fields in the Unix layout
//   permissions links owner group size date_parts[0..2] name
// Absent fields stay nullopt: DOS-style lines have no permissions, links, owner or group; lines
// without a group column have no group.
struct PlacedFields {
    std::optional<std::string_view> permissions;
    std::optional<std::string_view> links;
    std::optional<std::string_view> owner;
    std::optional<std::string_view> group;
    std::optional<std::string_view> size;
    std::array<std::optional<std::string_view>, 3> date_parts{}; // month or date, day or time, time or year
    std::string name;                                            // at most MAX_NAME_LENGTH bytes
};

// Places the fields of one line; nullopt when the line has no name column (the "total" line and
// every line of fewer than eight fields that is not DOS style).
[[nodiscard]] std::optional<PlacedFields> place_fields(const ListingLine& line);

// Appends part to out without letting out grow beyond MAX_NAME_LENGTH.
void append_bounded(std::string& out, std::string_view part);

} // namespace kestovan
