// The certificate dialog offscreen: what it shows of a certificate the server sent, and the answer
// each way out of it gives. With KESTOVAN_SHOTS_DIR set, a screenshot is saved there.
#include "support/modal_dialogs.h"
#include "ui/widgets/certificate_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace kestovan {
namespace {

CertificatePrompt sample_prompt()
{
    return {"ftp.example.org:21",
            "CN=<b>ftp.example.org</b>,O=Example",
            "CN=Example Private CA",
            "2026-01-31 12:00:00 UTC",
            "2027-01-31 12:00:00 UTC",
            "3A:F0:91:5C:7E:22:0B:D4:6A:18:C3:E5:90:71:2F:AB:4C:D2:66:07:E1:98:5B:3D:F4:0A:72:C6:19:8E:B3:05",
            {"It is not issued by an authority this computer trusts (self-signed or unknown issuer).",
             "It is made out to another name than ftp.example.org."}};
}

QString label_text(QWidget& dialog, const char* name)
{
    auto* label = dialog.findChild<QLabel*>(name);
    return label ? label->text() : QString("<no label %1>").arg(name);
}

TEST(CertificateDialog, ShowsTheCertificateAsPlainTextWithEveryReason)
{
    const CertificatePrompt prompt = sample_prompt();
    CertificateDialog dialog(prompt);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Server Certificate");
    EXPECT_TRUE(label_text(dialog, "intro").contains("ftp.example.org:21"));
    // Server text is never markup: the tags stay visible as typed.
    auto* subject = dialog.findChild<QLabel*>("subject");
    ASSERT_NE(subject, nullptr);
    EXPECT_EQ(subject->textFormat(), Qt::PlainText);
    EXPECT_EQ(subject->text().toStdString(), prompt.subject);
    EXPECT_EQ(label_text(dialog, "issuer").toStdString(), prompt.issuer);
    EXPECT_EQ(label_text(dialog, "valid_from").toStdString(), prompt.valid_from);
    EXPECT_EQ(label_text(dialog, "valid_until").toStdString(), prompt.valid_until);
    EXPECT_EQ(label_text(dialog, "sha256").toStdString(), prompt.sha256);
    EXPECT_EQ(label_text(dialog, "reasons").toStdString(), prompt.reasons[0] + "\n" + prompt.reasons[1]);

    if (const char* folder = std::getenv("KESTOVAN_SHOTS_DIR"); folder && *folder) {
        std::filesystem::create_directories(folder);
        dialog.grab().save(QString::fromUtf8(folder) + "/certificate-dialog.png");
    }
}

TEST(CertificateDialog, EachWayOutGivesItsAnswerAndEnterTrustsNothing)
{
    struct Case {
        const char* button; // clicked; null: the key is pressed instead
        Qt::Key key;
        const char* caption;
        CertificateAnswer answer;
    };
    const Case cases[] = {
        {"trust_once", Qt::Key_unknown, "Trust &once", CertificateAnswer::TrustOnce},
        {"trust_always", Qt::Key_unknown, "&Always trust", CertificateAnswer::TrustAlways},
        {"cancel", Qt::Key_unknown, "&Cancel", CertificateAnswer::Cancel},
        {nullptr, Qt::Key_Return, nullptr, CertificateAnswer::Cancel},
        {nullptr, Qt::Key_Escape, nullptr, CertificateAnswer::Cancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button ? c.button : "key");
        test::when_modal_opens([&](QWidget& dialog) {
            if (!c.button) {
                QTest::keyClick(&dialog, c.key);
                return;
            }
            auto* button = dialog.findChild<QPushButton*>(c.button);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->text(), c.caption);
            button->click();
        });
        EXPECT_EQ(CertificateDialog::ask(nullptr, sample_prompt()), c.answer);
    }
}

} // namespace
} // namespace kestovan
