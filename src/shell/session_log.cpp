#include "shell/session_log.h"

#include "profiles/site_profile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>

namespace kestovan {

namespace {

// A tag is "<" six lower- or upper-case hex digits ">".
bool is_tag_at(std::string_view text, std::size_t pos)
{
    if (pos + 8 > text.size() || text[pos] != '<' || text[pos + 7] != '>')
        return false;
    return std::all_of(text.begin() + static_cast<long>(pos) + 1, text.begin() + static_cast<long>(pos) + 7,
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

std::uint32_t tag_colour(std::string_view text, std::size_t pos)
{
    // The tag reads blue, green, red; the colour value is 0x00BBGGRR.
    return static_cast<std::uint32_t>(std::stoul(std::string(text.substr(pos + 1, 6)), nullptr, 16));
}

} // namespace

std::string colour_tag(std::uint32_t colour)
{
    char tag[16];
    std::snprintf(tag, sizeof tag, "<%2.2x%2.2x%2.2x>", (colour >> 16) & 0xFF, (colour >> 8) & 0xFF,
                  colour & 0xFF);
    return tag;
}

std::vector<LogSegment> split_log_segments(std::string_view tagged, std::uint32_t colour)
{
    std::vector<LogSegment> segments;
    LogSegment current{colour, {}};
    for (std::size_t pos = 0; pos < tagged.size();) {
        if (is_tag_at(tagged, pos)) {
            if (!current.text.empty())
                segments.push_back(std::move(current));
            current = LogSegment{tag_colour(tagged, pos), {}};
            pos += 8;
            continue;
        }
        current.text.push_back(tagged[pos++]);
    }
    if (!current.text.empty() || segments.empty())
        segments.push_back(std::move(current));
    return segments;
}

std::string mask_password(std::string_view line)
{
    std::string masked(line);
    if (masked.rfind("PASS ", 0) == 0)
        std::fill(masked.begin() + 5, masked.end(), '*');
    return masked;
}

void SessionLog::add_observer(LogObserver* observer)
{
    observers_.push_back(observer);
}

void SessionLog::remove_observer(LogObserver* observer)
{
    std::erase(observers_, observer);
}

void SessionLog::append(SiteProfile* profile, std::string_view text, std::uint32_t colour, bool typed)
{
    const std::string entry = colour_tag(colour) + std::string(text);
    if (profile) {
        if (suppress_next_) {
            suppress_next_ = false;
            return;
        }
        profile->log += entry;
        profile->log += "\r\n";
    }
    const auto segments = split_log_segments(entry);
    for (LogObserver* observer : std::vector<LogObserver*>(observers_))
        observer->log_appended(profile, segments, typed);
}

std::vector<std::vector<LogSegment>> SessionLog::entries(const SiteProfile& profile)
{
    std::vector<std::vector<LogSegment>> all;
    std::string_view log = profile.log;
    while (!log.empty()) {
        std::size_t end = log.find("\r\n");
        // An entry may itself hold CR LF ("\r\nConnecting to"): entries start with a tag.
        while (end != std::string_view::npos && end + 2 < log.size() && !is_tag_at(log, end + 2))
            end = log.find("\r\n", end + 2);
        std::string_view entry = log.substr(0, end);
        all.push_back(split_log_segments(entry));
        if (end == std::string_view::npos)
            break;
        log.remove_prefix(end + 2);
    }
    return all;
}

void SessionLog::clear(SiteProfile* profile)
{
    if (profile) {
        profile->log.clear();
        profile->log.shrink_to_fit();
    }
    for (LogObserver* observer : std::vector<LogObserver*>(observers_))
        observer->log_cleared(profile);
}

bool SessionLog::save(const SiteProfile* profile, const std::filesystem::path& file)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    if (profile)
        out << profile->log;
    return static_cast<bool>(out.flush());
}

} // namespace kestovan
