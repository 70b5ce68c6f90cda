// The "CHMOD" dialog (4299): nine boxes, Owner, Group and Other by Read, Write and Execute, preset
// from the entry's permissions; its title shows the mode they make and the entry's name after
// every click.
#pragma once

#include "views/chmod_mode.h"

#include <QDialog>

#include <array>

class QCheckBox;

namespace kestovan {

inline constexpr int FORM_CHMOD = 4299;

class ChmodDialog : public QDialog {
    Q_OBJECT
public:
    ChmodDialog(const QString& name, const PermissionBoxes& boxes, QWidget* parent = nullptr);

    [[nodiscard]] int mode() const { return mode_value(boxes()); }
    [[nodiscard]] PermissionBoxes boxes() const;
    // Box index as in PermissionBoxes; named "owner_read", ..., "other_execute".
    [[nodiscard]] QCheckBox& box(std::size_t index) { return *boxes_[index]; }

    // Runs the dialog: the mode on OK, nothing on Cancel.
    static std::optional<int> ask(QWidget* parent, const std::string& name,
                                  const std::optional<std::string>& permissions);

private:
    void update_title();
    QString name_;
    std::array<QCheckBox*, 9> boxes_{};
};

} // namespace kestovan
