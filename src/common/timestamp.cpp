#include "common/timestamp.h"

#include "common/paths.h"

#include <algorithm>
#include <cstdio>

namespace kestovan {

namespace {

constexpr const char* ZERO_TIMESTAMP = "00/00/00 00:00:00";

} // namespace

std::string format_timestamp(std::time_t t, bool month_first)
{
    std::tm local{};
    if (t == 0 || !localtime_r(&t, &local))
        return ZERO_TIMESTAMP;
    // Two digits of the year for every century, not only 1900 to 2099.
    const int year = ((local.tm_year % 100) + 100) % 100;
    const int month = local.tm_mon + 1;
    char text[64];
    std::snprintf(text, sizeof text, "%02i/%02i/%02i %02i:%02i:%02i", month_first ? month : local.tm_mday,
                  month_first ? local.tm_mday : month, year, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

std::string temporary_name_at(std::time_t t, std::string_view folder)
{
    std::string name = format_timestamp(t, false);
    std::erase_if(name, [](char c) { return c == '/' || c == ':' || c == ' '; });
    name += ".tmp";
    return join_local(folder, name);
}

std::string temporary_name(std::string_view folder)
{
    return temporary_name_at(std::time(nullptr), folder);
}

} // namespace kestovan
