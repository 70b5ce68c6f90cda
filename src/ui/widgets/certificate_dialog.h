// The certificate dialog: a server's certificate that could not be verified, with its subject,
// issuer, validity, SHA-256 fingerprint and the reasons, and the choice "Trust once", "Always trust"
// or "Cancel" (the default: nothing is trusted by pressing Enter).
#pragma once

#include "ui/prompts.h"

#include <QDialog>

namespace kestovan {

class CertificateDialog : public QDialog {
    Q_OBJECT
public:
    explicit CertificateDialog(const CertificatePrompt& prompt, QWidget* parent = nullptr);

    // The button pressed; Cancel when the dialog was closed otherwise.
    [[nodiscard]] CertificateAnswer answer() const { return answer_; }

    static CertificateAnswer ask(QWidget* parent, const CertificatePrompt& prompt);

private:
    CertificateAnswer answer_ = CertificateAnswer::Cancel;
};

} // namespace kestovan
