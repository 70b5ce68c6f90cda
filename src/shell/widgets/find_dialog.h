// The Find dialog of the log panes (dialog 293): a text, "Match Case", "Find Next" and "Cancel".
// Modeless: each Find Next asks the pane for the next match, the dialog stays open until Cancel.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kestovan {

inline constexpr int FORM_FIND = 293;

class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(QWidget* parent = nullptr);

    [[nodiscard]] QString text() const;
    [[nodiscard]] bool match_case() const;

signals:
    void findNext(const QString& text, bool match_case);

private:
    QLineEdit* text_;
    QCheckBox* match_case_;
    QPushButton* find_next_;
};

} // namespace kestovan
