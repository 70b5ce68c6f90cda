// The permission bits of the CHMOD dialog: nine boxes (owner, group, other by read, write,
// execute), preset from a listing's permissions text, and the mode they make.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

// Box index: 3 * who (0 owner, 1 group, 2 other) + what (0 read, 1 write, 2 execute).
using PermissionBoxes = std::array<bool, 9>;

// Boxes preset from a permissions text such as "-rwxr-x---": characters 2 to 10 check a box only
// when they are exactly "r", "w" or "x" in their place; "s", "t", a DOS listing's missing text or
// a short text leave boxes clear.
[[nodiscard]] PermissionBoxes boxes_from_permissions(const std::optional<std::string>& permissions);

// The three digits (owner, group, other, each the sum of read 4, write 2, execute 1) read as one
// decimal number: 755, or 44 for 044, or 0 for 000.
[[nodiscard]] int mode_value(const PermissionBoxes& boxes);

// "SITE chmod <mode> <path>".
[[nodiscard]] std::string chmod_command(int mode, std::string_view path);

} // namespace kestovan
