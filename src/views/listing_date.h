// The time that a remote listing's date text stands for, so that the remote list can order dates by
// time instead of as text. The listing keeps the text as the server sent it; this only reads it.
#pragma once

#include <chrono>
#include <optional>
#include <string_view>

namespace kestovan {

// A date and time on the wall clock, without a time zone, to the minute. Servers list their own local
// time, so that is all a listing date can tell.
using ListingTime = std::chrono::sys_time<std::chrono::minutes>;

// The local wall-clock time now.
[[nodiscard]] ListingTime local_listing_now();

// The time a listing date stands for, or nullopt when the text is none of these forms:
//  - Unix with a year, "Jan 15 2003" (midnight);
//  - Unix with a time, "Mar 3 14:05": the year is the latest one that does not put the date after
//    now, give or take the widest gap between two time zones, since the server lists its own time;
//  - DOS, "01-15-04 10:30AM" (two-digit years from 70 are 19xx, the others 20xx; four digits and a
//    24-hour time are read too), and the same with the year first, "2004-01-15 10:30".
// Month names are the English abbreviations, without regard to case; blanks between the parts may
// be repeated.
[[nodiscard]] std::optional<ListingTime> listing_date_time(std::string_view date, ListingTime now);

} // namespace kestovan
