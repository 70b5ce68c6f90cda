#include "views/rename_editor.h"

#include <algorithm>

namespace kestovan {

RenameListEditor::RenameListEditor(const RenameRules& table)
{
    std::copy_if(table.begin(), table.end(), std::back_inserter(rows_),
                 [](const RenameRule& rule) { return !rule.placeholder; });
    add_placeholder();
}

void RenameListEditor::add_placeholder()
{
    RenameRule placeholder;
    placeholder.enabled = false;
    placeholder.placeholder = true;
    rows_.push_back(std::move(placeholder));
}

void RenameListEditor::select(std::optional<std::size_t> row)
{
    if (row && *row >= rows_.size())
        row.reset();
    selected_ = row;
    if (!row)
        return;
    const RenameRule& rule = rows_[*row];
    fields_ = {rule.local_mask, rule.remote_mask, rule.enabled};
}

void RenameListEditor::edit(const Fields& fields)
{
    fields_ = fields;
    const std::size_t index = selected_.value_or(0);
    RenameRule& row = rows_[index];
    row.local_mask = clean_rename_mask(fields.local_mask);
    row.remote_mask = clean_rename_mask(fields.remote_mask);
    row.enabled = fields.enabled;
    if (row.placeholder && (!row.local_mask.empty() || !row.remote_mask.empty())) {
        row.placeholder = false;
        add_placeholder();
    }
}

void RenameListEditor::new_rule()
{
    const std::size_t index = rows_.size() - 1; // the placeholder is always last
    RenameRule& rule = rows_[index];
    rule.local_mask = std::string(NEW_RENAME_MASK);
    rule.remote_mask = std::string(NEW_RENAME_MASK);
    rule.enabled = false;
    rule.placeholder = false;
    add_placeholder();
    selected_ = index;
    fields_ = {std::string(NEW_RENAME_MASK), std::string(NEW_RENAME_MASK), false};
}

bool RenameListEditor::delete_selected()
{
    if (!selected_ || rows_[*selected_].placeholder)
        return false;
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(*selected_));
    selected_.reset();
    fields_ = {};
    return true;
}

RenameRules RenameListEditor::applied() const
{
    RenameRules rules;
    std::copy_if(rows_.begin(), rows_.end(), std::back_inserter(rules),
                 [](const RenameRule& rule) { return !rule.placeholder; });
    return rules;
}

} // namespace kestovan
