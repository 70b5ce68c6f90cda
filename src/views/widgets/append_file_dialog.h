// The "Append File" dialog: "Append '<local file>' to:" over a combo box of the shown remote
// folder's files, which starts with the selected remote file; another name may be typed.
#pragma once

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QComboBox;

namespace kestovan {

class AppendFileDialog : public QDialog {
    Q_OBJECT
public:
    AppendFileDialog(const QString& prompt, const std::vector<std::string>& names, const QString& initial,
                     QWidget* parent = nullptr);

    [[nodiscard]] QString name() const;
    [[nodiscard]] QComboBox& combo() { return *combo_; }

    static std::optional<std::string> ask(QWidget* parent, const std::string& prompt,
                                          const std::vector<std::string>& names, const std::string& initial);

private:
    QComboBox* combo_;
};

} // namespace kestovan
