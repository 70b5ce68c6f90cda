#include "ui/widgets/certificate_dialog.h"

#include "ui/language.h"
#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kestovan {

namespace {

constexpr int DIALOG_WIDTH_CHARS = 60;

// Certificate texts come from the server: plain text, never markup, and selectable for copying.
QLabel* value_label(const std::string& text)
{
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setProperty(NO_TRANSLATION_PROPERTY, true);
    return label;
}

QLabel* caption_label(int string_id)
{
    auto* label = new QLabel;
    bind_string_id(*label, string_id);
    return label;
}

} // namespace

CertificateDialog::CertificateDialog(const CertificatePrompt& prompt, QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(IDS_DLG_CERTIFICATE));
    bind_string_id(*this, IDS_DLG_CERTIFICATE);

    auto* icon = new QLabel;
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);
    auto* intro = value_label(format_string(IDS_CERT_INTRO, prompt.server));
    intro->setObjectName("intro");
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(intro, 1);

    auto* facts = new QFormLayout;
    auto add = [&](int caption, const std::string& text, const char* name) {
        QLabel* value = value_label(text);
        value->setObjectName(name);
        facts->addRow(caption_label(caption), value);
        return value;
    };
    add(IDS_CERT_SUBJECT, prompt.subject, "subject");
    add(IDS_CERT_ISSUER, prompt.issuer, "issuer");
    add(IDS_CERT_VALID_FROM, prompt.valid_from, "valid_from");
    add(IDS_CERT_VALID_UNTIL, prompt.valid_until, "valid_until");
    QLabel* fingerprint = add(IDS_CERT_FINGERPRINT, prompt.sha256, "sha256");
    fingerprint->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // One line, as the command-line client and other tools print it, so it can be compared at a glance.
    fingerprint->setWordWrap(false);
    std::string reasons;
    for (const std::string& reason : prompt.reasons)
        reasons += (reasons.empty() ? "" : "\n") + reason;
    add(IDS_CERT_REASON, reasons, "reasons");

    auto* buttons = new QDialogButtonBox;
    auto add_button = [&](int string_id, QDialogButtonBox::ButtonRole role, const char* name,
                          CertificateAnswer answer) {
        auto* button = new QPushButton;
        bind_string_id(*button, string_id);
        button->setObjectName(name);
        button->setAutoDefault(false);
        buttons->addButton(button, role);
        connect(button, &QPushButton::clicked, this, [this, answer] {
            answer_ = answer;
            done(answer == CertificateAnswer::Cancel ? QDialog::Rejected : QDialog::Accepted);
        });
        return button;
    };
    add_button(IDS_CERT_TRUST_ONCE, QDialogButtonBox::AcceptRole, "trust_once", CertificateAnswer::TrustOnce);
    add_button(IDS_CERT_TRUST_ALWAYS, QDialogButtonBox::AcceptRole, "trust_always",
               CertificateAnswer::TrustAlways);
    add_button(IDS_BTN_CANCEL_MNEMONIC, QDialogButtonBox::RejectRole, "cancel", CertificateAnswer::Cancel)
        ->setDefault(true);

    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addLayout(facts);
    column->addWidget(buttons);
    // A width for the wrapped texts; the layout still widens the dialog for the fingerprint's line.
    intro->setMinimumWidth(fontMetrics().averageCharWidth() * DIALOG_WIDTH_CHARS);
}

CertificateAnswer CertificateDialog::ask(QWidget* parent, const CertificatePrompt& prompt)
{
    CertificateDialog dialog(prompt, parent);
    dialog.exec();
    return dialog.answer();
}

} // namespace kestovan
