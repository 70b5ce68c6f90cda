#include "ui/dialog_geometry.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace kestovan {

namespace {

constexpr std::array<const char*, 4> GEOMETRY_VALUES = {"left", "top", "width", "height"};

std::optional<int> number_of(const std::optional<std::string>& text)
{
    if (!text || text->empty())
        return std::nullopt;
    int value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

std::vector<int> load_numbered(const Registry& registry, const std::string& key)
{
    std::vector<int> values;
    for (int i = 0;; ++i) {
        const auto value = number_of(registry.read_string(Hive::CurrentUser, key, std::to_string(i)));
        if (!value)
            return values;
        values.push_back(*value);
    }
}

bool save_numbered(Registry& registry, const std::string& key, const std::vector<int>& values)
{
    bool ok = true;
    for (std::size_t i = 0; i < values.size(); ++i)
        ok =
            registry.write_string(Hive::CurrentUser, key, std::to_string(i), std::to_string(values[i])) && ok;
    // A list that had more columns before must not read its old tail back.
    registry.delete_value(Hive::CurrentUser, key, std::to_string(values.size()));
    return ok;
}

} // namespace

std::string dialog_geometry_key(int dialog)
{
    return std::string(APPLICATION_REGISTRY_KEY) + "\\DLGS\\" + std::to_string(dialog);
}

std::string list_columns_key(int dialog, int control)
{
    return dialog_geometry_key(dialog) + "\\" + std::to_string(control);
}

std::optional<DialogGeometry> load_dialog_geometry(const Registry& registry, int dialog)
{
    std::array<int, 4> numbers{};
    for (std::size_t i = 0; i < GEOMETRY_VALUES.size(); ++i) {
        const auto value = number_of(
            registry.read_string(Hive::CurrentUser, dialog_geometry_key(dialog), GEOMETRY_VALUES[i]));
        if (!value || *value < 0)
            return std::nullopt;
        numbers[i] = *value;
    }
    return DialogGeometry{numbers[0], numbers[1], numbers[2], numbers[3]};
}

bool save_dialog_geometry(Registry& registry, int dialog, const DialogGeometry& geometry)
{
    const std::array<int, 4> numbers = {geometry.left, geometry.top, geometry.width, geometry.height};
    bool ok = true;
    for (std::size_t i = 0; i < GEOMETRY_VALUES.size(); ++i)
        ok = registry.write_string(Hive::CurrentUser, dialog_geometry_key(dialog), GEOMETRY_VALUES[i],
                                   std::to_string(numbers[i])) &&
             ok;
    return ok;
}

DialogGeometry keep_reachable(DialogGeometry geometry, int screen_width, int screen_height)
{
    geometry.left = std::min(geometry.left, screen_width - REACHABLE_MARGIN);
    geometry.top = std::min(geometry.top, screen_height - REACHABLE_MARGIN);
    return geometry;
}

std::vector<int> load_column_widths(const Registry& registry, int dialog, int control)
{
    return load_numbered(registry, list_columns_key(dialog, control));
}

std::vector<int> load_column_order(const Registry& registry, int dialog, int control)
{
    return load_numbered(registry, list_columns_key(dialog, control) + "\\order");
}

bool save_column_widths(Registry& registry, int dialog, int control, const std::vector<int>& widths)
{
    return save_numbered(registry, list_columns_key(dialog, control), widths);
}

bool save_column_order(Registry& registry, int dialog, int control, const std::vector<int>& order)
{
    return save_numbered(registry, list_columns_key(dialog, control) + "\\order", order);
}

} // namespace kestovan
