#include "ui/widgets/qt_prompts.h"

#include "ui/language.h"
#include "ui/string_ids.h"
#include "ui/widgets/certificate_dialog.h"
#include "ui/widgets/prompt_dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace kestovan {

namespace {

QMessageBox::Icon box_icon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::None: return QMessageBox::NoIcon;
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::Warning: return QMessageBox::Warning;
    case PromptIcon::Error: return QMessageBox::Critical;
    case PromptIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSpec {
    int string_id;
    QMessageBox::ButtonRole role;
    PromptAnswer answer;
};

std::vector<ButtonSpec> button_specs(PromptButtons buttons)
{
    const ButtonSpec yes{IDS_BTN_YES, QMessageBox::YesRole, PromptAnswer::Yes};
    const ButtonSpec no{IDS_BTN_NO, QMessageBox::NoRole, PromptAnswer::No};
    const ButtonSpec cancel{IDS_BTN_CANCEL, QMessageBox::RejectRole, PromptAnswer::Cancel};
    switch (buttons) {
    case PromptButtons::Ok: return {{IDS_BTN_OK, QMessageBox::AcceptRole, PromptAnswer::Ok}};
    case PromptButtons::YesNo: return {yes, no};
    case PromptButtons::YesNoCancel: return {yes, no, cancel};
    case PromptButtons::YesNoYesToAllCancel:
        return {yes, no, {IDS_BTN_YES_TO_ALL_MNEMONIC, QMessageBox::YesRole, PromptAnswer::YesToAll}, cancel};
    }
    return {};
}

// What closing the box without a button means: the last button (Cancel, No or OK).
PromptAnswer escape_answer(PromptButtons buttons)
{
    return button_specs(buttons).back().answer;
}

} // namespace

QStringList qt_name_filters(const std::string& filter)
{
    const QString text = QString::fromUtf8(filter);
    QStringList parts = text.split(QLatin1Char('$'));
    while (!parts.isEmpty() && parts.back().isEmpty())
        parts.removeLast();
    auto patterns = [](QString pattern) {
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        QStringList list = pattern.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (QString& one : list)
            if (one == QLatin1String("*.*"))
                one = QStringLiteral("*");
        return list.join(QLatin1Char(' '));
    };
    QStringList filters;
    if (parts.size() == 1) {
        filters << patterns(parts.front());
        return filters;
    }
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        // The description's own "(...)" shows the Windows patterns; Qt reads the patterns from it.
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open >= 0)
            description.truncate(open);
        filters << description.trimmed() + QStringLiteral(" (") + patterns(parts[i + 1]) + QLatin1Char(')');
    }
    return filters;
}

QtPrompts::QtPrompts(QWidget* parent) : parent_(parent) {}

void QtPrompts::message(const std::string& caption, const std::string& text, PromptIcon icon)
{
    question(caption, text, PromptButtons::Ok, icon);
}

PromptAnswer QtPrompts::question(const std::string& caption, const std::string& text, PromptButtons buttons,
                                 PromptIcon icon)
{
    QMessageBox box(box_icon(icon), QString::fromUtf8(caption), QString::fromUtf8(text),
                    QMessageBox::NoButton, parent_);
    box.setTextFormat(Qt::PlainText);
    std::vector<std::pair<QAbstractButton*, PromptAnswer>> answers;
    for (const ButtonSpec& info : button_specs(buttons)) {
        QPushButton* button = box.addButton(load_qstring(info.string_id), info.role);
        answers.emplace_back(button, info.answer);
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(answers.front().first));
    box.setEscapeButton(answers.back().first);
    box.exec();
    for (const auto& [button, answer] : answers)
        if (box.clickedButton() == button)
            return answer;
    return escape_answer(buttons);
}

CertificateAnswer QtPrompts::certificate(const CertificatePrompt& prompt)
{
    return CertificateDialog::ask(parent_, prompt);
}

std::optional<std::string> QtPrompts::password(const std::string& prompt)
{
    return TextPromptDialog::ask(parent_, password_layout(), load_string(IDS_DLG_PASSWORD), prompt, "");
}

FileExistsAnswer QtPrompts::file_exists(const std::string& text, bool offer_restart)
{
    return FileExistsDialog::ask(parent_, text, offer_restart);
}

std::optional<std::string> QtPrompts::text(const std::string& caption, const std::string& prompt,
                                           const std::string& initial)
{
    return TextPromptDialog::ask(parent_, TextPromptLayout{}, caption, prompt, initial);
}

std::optional<std::string> QtPrompts::save_file(const std::string& title, const std::string& folder,
                                                const std::string& proposed_name, const std::string& filter)
{
    QFileDialog dialog(parent_, QString::fromUtf8(title), QString::fromUtf8(folder));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(qt_name_filters(filter));
    dialog.selectFile(QString::fromUtf8(proposed_name));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

std::optional<std::string> QtPrompts::open_file(const std::string& title, const std::string& filter)
{
    return open_file_from(title, {}, filter);
}

std::optional<std::string> QtPrompts::open_file_from(const std::string& title, const std::string& folder,
                                                     const std::string& filter)
{
    QFileDialog dialog(parent_, QString::fromUtf8(title), QString::fromUtf8(folder));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(qt_name_filters(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

} // namespace kestovan
