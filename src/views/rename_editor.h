// The editing list of the "Set Rename Masks:" page: copies of the rules and one empty placeholder
// row at the end, which becomes a rule as soon as a mask is typed into it (a new placeholder then
// follows). The page's widgets show rows() and the fields, and report every edit here.
#pragma once

#include "views/rename_rules.h"

#include <cstddef>
#include <optional>
#include <string>

namespace kestovan {

// What "New" puts into both masks.
inline constexpr std::string_view NEW_RENAME_MASK = "*.html";

class RenameListEditor {
public:
    // The rules of the table (placeholders left out) and a placeholder row.
    explicit RenameListEditor(const RenameRules& table);

    struct Fields {
        std::string local_mask;
        std::string remote_mask;
        bool enabled = false;
    };

    [[nodiscard]] const RenameRules& rows() const { return rows_; }
    [[nodiscard]] std::optional<std::size_t> selected() const { return selected_; }
    [[nodiscard]] const Fields& fields() const { return fields_; }

    // Selecting a row loads its masks and state into the fields.
    void select(std::optional<std::size_t> row);
    // A field or the check box changed: the fields go into the selected row (the first row when none
    // is selected). A placeholder that gets a mask becomes a rule and a new placeholder follows.
    void edit(const Fields& fields);
    // The placeholder becomes a disabled rule with NEW_RENAME_MASK on both sides and is selected; a
    // new placeholder follows.
    void new_rule();
    // Removes the selected row unless it is the placeholder (nothing is selected then and the fields
    // are empty); true when a row went.
    bool delete_selected();
    // The rules as the table takes them when the preferences are applied, in list order.
    [[nodiscard]] RenameRules applied() const;

private:
    void add_placeholder();
    RenameRules rows_;
    std::optional<std::size_t> selected_;
    Fields fields_;
};

} // namespace kestovan
