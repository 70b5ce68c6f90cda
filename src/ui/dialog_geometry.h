// Where dialogs keep their place between runs: under HKEY_CURRENT_USER
// "Software\KESTOVAN\Kestovan FTP\DLGS\<dialog number>" the values "left", "top", "width" and
// "height", and for each list of a dialog "...\<dialog>\<control>" with the column widths as values
// "0", "1", ... in column order and "...\<dialog>\<control>\order" with the column order. Numbers are
// stored as decimal text.
#pragma once

#include "platform/registry.h"

#include <optional>
#include <string>
#include <vector>

namespace kestovan {

inline constexpr std::string_view APPLICATION_REGISTRY_KEY = "Software\\KESTOVAN\\Kestovan FTP";
// A dialog whose stored left or top edge lies this close to the screen's far edge, or beyond it, is
// moved back so that this much of it stays on the screen.
inline constexpr int REACHABLE_MARGIN = 100;

struct DialogGeometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const DialogGeometry&) const = default;
};

[[nodiscard]] std::string dialog_geometry_key(int dialog);
[[nodiscard]] std::string list_columns_key(int dialog, int control);

// The stored geometry, only when all four numbers are there and none is negative.
[[nodiscard]] std::optional<DialogGeometry> load_dialog_geometry(const Registry& registry, int dialog);
bool save_dialog_geometry(Registry& registry, int dialog, const DialogGeometry& geometry);

// A left edge at screen_width - REACHABLE_MARGIN or more becomes exactly that, and the top edge the
// same with the height, so the dialog can still be grabbed.
[[nodiscard]] DialogGeometry keep_reachable(DialogGeometry geometry, int screen_width, int screen_height);

// The values "0", "1", ... read in order until one is missing or not a number; empty when none.
[[nodiscard]] std::vector<int> load_column_widths(const Registry& registry, int dialog, int control);
[[nodiscard]] std::vector<int> load_column_order(const Registry& registry, int dialog, int control);
bool save_column_widths(Registry& registry, int dialog, int control, const std::vector<int>& widths);
bool save_column_order(Registry& registry, int dialog, int control, const std::vector<int>& order);

} // namespace kestovan
