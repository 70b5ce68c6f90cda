// The Auto-Rename page of the Preferences dialog ("Set Rename Masks:"): the rules with a placeholder
// row at the end, the two masks and "Enabled" of the selected row, "New", and the Delete key and the
// list's context menu ("New", "Delete"). The editing itself is RenameListEditor's.
#pragma once

#include "views/rename_editor.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QLineEdit;
class QMenu;
class QTreeWidget;

namespace kestovan {

class RenamePage : public QWidget {
public:
    explicit RenamePage(QWidget* parent = nullptr);
    ~RenamePage() override;
    void show_rules(const RenameRules& rules);
    [[nodiscard]] RenameRules rules() const;

    [[nodiscard]] QMenu& context_menu() const { return *menu_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill_list();
    void show_fields();
    void fields_edited();
    void new_rule();
    void delete_row();

    std::unique_ptr<RenameListEditor> editor_;
    QTreeWidget* list_ = nullptr;
    QLineEdit* local_ = nullptr;
    QLineEdit* remote_ = nullptr;
    QCheckBox* enabled_ = nullptr;
    QMenu* menu_ = nullptr;
    bool filling_ = false;
};

} // namespace kestovan
