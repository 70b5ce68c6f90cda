// Joining and cleaning of local (POSIX) and remote (FTP, "/"-separated) paths.
//
// Both joins resolve parent segments after joining: "a/b/../c" becomes "a/c", a trailing "a/b/.."
// becomes "a/" (the separator before the removed segment stays), ".." directly under the root is
// dropped ("/../x" is "/x"), and the leading ".." segments of a relative path are kept, since nothing
// is known above them ("../a/../b" is "../b"). A marker is only a whole segment: "x../y" and
// ".../y" are names, not parent markers. "." segments are left as they are.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

// dir + "/" + name, cleaned: runs of "/" collapse to one, except that a dir beginning with "//" keeps
// that pair (a network-style root); "\" is an ordinary character of a Linux name and is left alone. When
// either part is empty the other part is returned unchanged.
[[nodiscard]] std::string join_local(std::string_view dir, std::string_view name);

// dir + "/" + name for a server path, cleaned: every "\" becomes "/", runs of "/" collapse to one, a
// leading drive prefix (second character ":", as in "C:/a") is removed. Empty parts are joined like any
// other ("" and "x" give "/x").
[[nodiscard]] std::string join_remote(std::string_view dir, std::string_view name);

// join_remote where a part may be absent: an absent part yields the other part unchanged (both absent:
// ""). Absent differs from empty: join_remote_optional(std::nullopt, "x") is "x", while
// join_remote_optional("", "x") is "/x".
[[nodiscard]] std::string join_remote_optional(std::optional<std::string_view> dir,
                                               std::optional<std::string_view> name);

// The parent-segment resolution that both joins use, with sep as the separator. Exposed for callers
// that clean a path without joining. Expects runs of separators already collapsed (a leading run is
// taken as the root).
[[nodiscard]] std::string resolve_parent_segments(std::string_view path, char sep);

} // namespace kestovan
