// The session log of each site profile: colour-tagged entries ("<bbggrr>" in front of the text,
// CR LF after it), kept for as long as the program runs, shown in the log panes through observers,
// saved as stored.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

struct SiteProfile;

// Colour values 0x00BBGGRR.
constexpr std::uint32_t LOG_GREEN = 0x008000;
constexpr std::uint32_t LOG_NAVY = 0x800000;
constexpr std::uint32_t LOG_BLUE = 0xC00000;
constexpr std::uint32_t LOG_MAROON = 0x000080;
constexpr std::uint32_t LOG_BLACK = 0x000000;
constexpr std::uint32_t LOG_RED = 0x0000FF; // ours: a session that is not encrypted though TLS was wanted
constexpr std::uint32_t LOG_INPUT = 0x000000;

struct LogSegment {
    std::uint32_t colour = LOG_INPUT;
    std::string text;
};

// "<%2.2x%2.2x%2.2x>" of bits 16-23, 8-15 and 0-7.
[[nodiscard]] std::string colour_tag(std::uint32_t colour);
// Splits tagged text at its colour tags; text before the first tag takes `colour`.
[[nodiscard]] std::vector<LogSegment> split_log_segments(std::string_view tagged,
                                                         std::uint32_t colour = LOG_INPUT);
// A line beginning with "PASS " keeps its length; every character after those five becomes "*".
[[nodiscard]] std::string mask_password(std::string_view line);

class LogObserver {
public:
    virtual ~LogObserver() = default;
    // One entry to show: its segments; `typed` entries are not shown in the terminal window.
    virtual void log_appended(const SiteProfile* profile, const std::vector<LogSegment>& entry,
                              bool typed) = 0;
    virtual void log_cleared(const SiteProfile* profile) = 0;
};

class SessionLog {
public:
    void add_observer(LogObserver* observer);
    void remove_observer(LogObserver* observer);

    // Stores (with a profile) and shows one entry. The entry after a typed command is swallowed: it
    // is the engine's echo of what the terminal already shows.
    void append(SiteProfile* profile, std::string_view text, std::uint32_t colour, bool typed = false);
    void suppress_next() { suppress_next_ = true; }
    [[nodiscard]] bool suppressing() const { return suppress_next_; }

    // The stored entries of a profile, split into segments, for refilling a pane.
    [[nodiscard]] static std::vector<std::vector<LogSegment>> entries(const SiteProfile& profile);
    void clear(SiteProfile* profile);
    // Writes the stored log as it is (tags and CR LF included); false when the file cannot be made.
    [[nodiscard]] static bool save(const SiteProfile* profile, const std::filesystem::path& file);

private:
    std::vector<LogObserver*> observers_;
    bool suppress_next_ = false;
};

} // namespace kestovan
