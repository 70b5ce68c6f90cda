// Short local date and time texts, and names for temporary files made from them.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace kestovan {

// "dd/mm/yy hh:mm:ss" in local time, or "mm/dd/yy hh:mm:ss" when month_first is set. A zero time (and
// a time that cannot be converted) gives "00/00/00 00:00:00".
[[nodiscard]] std::string format_timestamp(std::time_t t, bool month_first);

// The current local time as twelve digits (day, month, year, hour, minute, second) followed by ".tmp",
// under folder (joined with join_local) when one is given.
[[nodiscard]] std::string temporary_name(std::string_view folder = {});

// temporary_name for a given time, so that callers and tests can fix the clock.
[[nodiscard]] std::string temporary_name_at(std::time_t t, std::string_view folder = {});

} // namespace kestovan
