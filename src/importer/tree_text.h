// Building the profile-tree text the importer appends: "KEY=value" lines whose values can never break
// their line, and entry names the program will accept as file and folder names.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestovan {

inline constexpr std::string_view TREE_BRANCH = "#BRANCH\n";
inline constexpr std::string_view TREE_END_OF_BRANCH = "#EOB\n";

// Names given to entries whose own name leaves nothing usable.
inline constexpr std::string_view FALLBACK_SITE_NAME = "Site";
inline constexpr std::string_view FALLBACK_FOLDER_NAME = "Folder";

// Characters the program removes from a name before it becomes a file or folder name (NUL among them).
inline constexpr std::string_view BAD_NAME_CHARS{"\"\\/:;'*?<>|\0", 12};

// name without BAD_NAME_CHARS, line breaks and trailing spaces (which the program's reader drops);
// when that leaves nothing, "." or "..", the same of fallback; when that too is unusable, last_resort.
// The program refuses such names and would drop the entry with its children, so the importer never
// writes one.
[[nodiscard]] std::string usable_name(std::string_view name, std::string_view fallback,
                                      std::string_view last_resort);

// The first limit bytes of text (the foreign formats' fixed-size fields).
[[nodiscard]] std::string_view cut(std::string_view text, std::size_t limit);

class TreeText {
public:
    // "key=value\n"; line feeds, carriage returns and NUL bytes are left out of value, so a foreign
    // string cannot end its line and start a key line of its own.
    void key(std::string_view key, std::string_view value);
    void key(std::string_view key, long long value);
    // Fixed text, appended as it stands.
    void raw(std::string_view lines) { text_.append(lines); }

    [[nodiscard]] const std::string& text() const { return text_; }
    [[nodiscard]] std::string take() { return std::move(text_); }

private:
    std::string text_;
};

} // namespace kestovan
