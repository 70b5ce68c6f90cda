#include "views/listing_date.h"

#include <array>
#include <charconv>
#include <ctime>
#include <vector>

namespace kestovan {
namespace {

using namespace std::chrono;

// Time zones run from UTC-12 to UTC+14, so a server may list a file written just now up to this far
// ahead of our clock.
constexpr hours ZONE_LEAD{26};
// A February 29 without a year lies at most this many years back (2096 to 2104 has none in between).
constexpr int LEAP_SEARCH_YEARS = 8;
// Two-digit DOS years from here on are 19xx.
constexpr int DOS_CENTURY_PIVOT = 70;

constexpr std::array<std::string_view, 12> MONTH_NAMES = {"jan", "feb", "mar", "apr", "may", "jun",
                                                          "jul", "aug", "sep", "oct", "nov", "dec"};

std::vector<std::string_view> words(std::string_view text)
{
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while ((pos = text.find_first_not_of(" \t", pos)) != std::string_view::npos) {
        const std::size_t end = text.find_first_of(" \t", pos);
        out.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return out;
}

// A whole text of decimal digits, at most four of them.
std::optional<int> number(std::string_view text)
{
    int value = 0;
    if (text.empty() || text.size() > 4 || text[0] < '0' || text[0] > '9')
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<unsigned> month_of(std::string_view name)
{
    if (name.size() != 3)
        return std::nullopt;
    for (unsigned i = 0; i < MONTH_NAMES.size(); ++i) {
        bool same = true;
        for (std::size_t k = 0; k < 3; ++k)
            same = same && (name[k] | 0x20) == MONTH_NAMES[i][k];
        if (same)
            return i + 1;
    }
    return std::nullopt;
}

// "14:05", "2:05PM", "14:05:33" (seconds left out) as minutes after midnight.
std::optional<minutes> time_of_day(std::string_view text)
{
    std::optional<int> half_day_offset;
    if (text.size() > 2) {
        const std::string_view suffix = text.substr(text.size() - 2);
        if ((suffix[0] | 0x20) == 'a' && (suffix[1] | 0x20) == 'm')
            half_day_offset = 0;
        else if ((suffix[0] | 0x20) == 'p' && (suffix[1] | 0x20) == 'm')
            half_day_offset = 12;
        if (half_day_offset)
            text.remove_suffix(2);
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::string_view rest = text.substr(colon + 1);
    if (const std::size_t second = rest.find(':'); second != std::string_view::npos) {
        if (!number(rest.substr(second + 1)))
            return std::nullopt;
        rest = rest.substr(0, second);
    }
    std::optional<int> hour = number(text.substr(0, colon));
    const std::optional<int> minute = number(rest);
    if (!hour || !minute || *minute > 59)
        return std::nullopt;
    if (half_day_offset) {
        if (*hour < 1 || *hour > 12)
            return std::nullopt;
        *hour = *hour % 12 + *half_day_offset; // 12:xxAM is just after midnight, 12:xxPM after noon
    } else if (*hour > 23) {
        return std::nullopt;
    }
    return hours(*hour) + minutes(*minute);
}

std::optional<ListingTime> at(int year, unsigned month, int day, minutes time_of_day)
{
    const year_month_day date{std::chrono::year(year), std::chrono::month(month),
                              std::chrono::day(static_cast<unsigned>(day))};
    if (day < 1 || !date.ok())
        return std::nullopt;
    return ListingTime(sys_days(date)) + time_of_day;
}

// "Jan 15 2003" or "Jan 15 12:30".
std::optional<ListingTime> unix_date(const std::vector<std::string_view>& parts, ListingTime now)
{
    const std::optional<unsigned> month = month_of(parts[0]);
    const std::optional<int> day = number(parts[1]);
    if (!month || !day)
        return std::nullopt;
    if (const std::optional<int> year = number(parts[2]); year && parts[2].size() == 4)
        return at(*year, *month, *day, minutes(0));
    const std::optional<minutes> time = time_of_day(parts[2]);
    if (!time)
        return std::nullopt;
    const int this_year = static_cast<int>(year_month_day(floor<days>(now)).year());
    for (int year = this_year + 1; year >= this_year - LEAP_SEARCH_YEARS; --year) {
        const std::optional<ListingTime> candidate = at(year, *month, *day, *time);
        if (candidate && *candidate <= now + ZONE_LEAD)
            return candidate;
    }
    return std::nullopt;
}

// "01-15-04 10:30AM", "01-15-2004 22:30" or "2004-01-15 10:30".
std::optional<ListingTime> dos_date(const std::vector<std::string_view>& parts)
{
    const std::string_view date = parts[0];
    const std::size_t first = date.find('-');
    const std::size_t second = first == std::string_view::npos ? first : date.find('-', first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    const std::string_view a = date.substr(0, first);
    const std::string_view b = date.substr(first + 1, second - first - 1);
    const std::string_view c = date.substr(second + 1);
    const bool year_first = a.size() == 4;
    std::optional<int> year = number(year_first ? a : c);
    const std::optional<int> month = number(year_first ? b : a);
    const std::optional<int> day = number(year_first ? c : b);
    const std::optional<minutes> time = time_of_day(parts[1]);
    if (!year || !month || !day || !time || *month < 1 || *month > 12)
        return std::nullopt;
    const std::size_t year_digits = year_first ? a.size() : c.size();
    if (year_digits == 2)
        *year += *year >= DOS_CENTURY_PIVOT ? 1900 : 2000;
    else if (year_digits != 4)
        return std::nullopt;
    return at(*year, static_cast<unsigned>(*month), *day, *time);
}

} // namespace

ListingTime local_listing_now()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local))
        return floor<minutes>(system_clock::now());
    const year_month_day date{std::chrono::year(local.tm_year + 1900),
                              std::chrono::month(static_cast<unsigned>(local.tm_mon + 1)),
                              std::chrono::day(static_cast<unsigned>(local.tm_mday))};
    return ListingTime(sys_days(date)) + hours(local.tm_hour) + minutes(local.tm_min);
}

std::optional<ListingTime> listing_date_time(std::string_view date, ListingTime now)
{
    const std::vector<std::string_view> parts = words(date);
    if (parts.size() == 3)
        return unix_date(parts, now);
    if (parts.size() == 2)
        return dos_date(parts);
    return std::nullopt;
}

} // namespace kestovan
