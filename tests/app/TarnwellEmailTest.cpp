// E-mail options and the test e-mail, driven through the preferences window:
// the real sendemail, an SMTP server on 127.0.0.1 and the test session's
// Secret Service.
#include "AppTestSupport.h"

#include "AlertTestSupport.h"
#include "EMKeychainItem.h"
#include "KZEmailOptionsDialog.h"
#include "KZMailSender.h"
#include "KZPreferences.h"
#include "KZPreferencesWindow.h"
#include "KZTestEmailSheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <iostream>

using namespace AppTestSupport;
using AlertTestSupport::SmtpServer;

namespace {

KZPreferences &preferences()
{
    return KZPreferences::standard();
}

// Types text as the keyboard does, also characters beyond Latin-1.
void typeText(QWidget *field, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &release);
    }
}

class EmailTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        preferences().setBool("EmailDriveFailed", true);
        preferences().setString("EmailHostName", "testhost");
    }

    // Fills the e-mail options as a user does and closes them with Done.
    void enterOptions(int port, const QString &user = {}, const QString &password = {})
    {
        KZAppController &app = controller();
        app.showPreferences();
        app.preferencesWindow()->emailOptionsButton()->click();
        KZEmailOptionsDialog *dialog = app.emailOptionSheet();
        EXPECT_TRUE(dialog->isVisible());
        QTest::keyClicks(dialog->field("EmailFromAddress"), "tarnwell@example.org");
        QTest::keyClicks(dialog->field("EmailToAddress"), "admin@example.org");
        QTest::keyClicks(dialog->field("EmailSMTPAddress"), "127.0.0.1");
        dialog->portField()->setValue(port);
        if (!user.isEmpty()) {
            dialog->authenticationCheckBox()->setChecked(true);
            typeText(dialog->field("EmailUsername"), user);
            dialog->emailPasswordText()->clear();
            typeText(dialog->emailPasswordText(), password);
        }
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Close)->click();
        EXPECT_FALSE(dialog->isVisible());
        if (!user.isEmpty()) {
            // The password goes to the secret store off the GUI thread.
            const QString service = KZMailSender::keychainServiceName(user);
            EXPECT_TRUE(waitFor([&] {
                const auto item =
                    EMGenericKeychainItem::genericKeychainItemForService(service, user);
                return item && item->password() == password;
            })) << "the password did not reach the secret store";
        }
    }

    // Sends the test e-mail with the button and returns the result text.
    QString sendTestEmail()
    {
        KZAppController &app = controller();
        QSignalSpy shown(&app, &KZAppController::emailResultShown);
        app.preferencesWindow()->emailTestButton()->click();
        KZTestEmailSheet *sheet = app.emailTestSendSheet();
        EXPECT_TRUE(sheet->isVisible());
        EXPECT_TRUE(sheet->emailTestSendCancel()->isEnabled());
        EXPECT_FALSE(sheet->emailTestSendOK()->isVisible());
        EXPECT_TRUE(sheet->emailTestSendProgressBar()->isVisible());
        EXPECT_FALSE(sheet->emailTestSendErrorMessage()->isVisible());
        if (!waitFor([&] { return shown.count() > 0; }))
            return QStringLiteral("(no result)");
        return shown.first().first().toString();
    }
};

} // namespace

// The test e-mail's result text after a delivery, a refused connection and a
// wrong password; the sheet then shows the text and OK, Cancel disabled.
TEST_F(EmailTest, TestEmailResultTexts)
{
    SKIP_WITHOUT_SMTP();
    QString keychainMissing;
    const bool keychain = AlertTestSupport::keychainSessionAvailable(&keychainMissing);
    const QString user = AlertTestSupport::uniqueName("smtp-user");
    SmtpServer open;
    SmtpServer guarded({user, QStringLiteral("right pass"), {}, {}});
    ASSERT_TRUE(open.started()) << open.error().toStdString();
    ASSERT_TRUE(guarded.started()) << guarded.error().toStdString();
    const int refused = AlertTestSupport::closedPort();
    launch();

    const struct
    {
        const char *name;
        int port;
        QString user;
        QString password;
        QString expectedStart;
        QString expectedEnd;
    } cases[] = {
        {"delivered", open.port(), {}, {}, "Email sent successfully.", "."},
        {"refused",
         refused,
         {},
         {},
         "Send failed: Connection attempt to 127.0.0.1:",
         "Connection refused"},
        {"wrong password", guarded.port(), user, "wrong pass",
         "Send failed: ERROR => SMTP-AUTH: Authentication to 127.0.0.1:", " failed."},
    };
    for (const auto &item : cases) {
        if (!item.user.isEmpty() && !keychain) {
            std::cout << "skipping \"" << item.name << "\": " << keychainMissing.toStdString()
                      << "\n";
            continue;
        }
        enterOptions(item.port, item.user, item.password);
        const QString text = sendTestEmail();
        EXPECT_TRUE(text.startsWith(item.expectedStart)) << item.name << ": " << text.toStdString();
        EXPECT_TRUE(text.endsWith(item.expectedEnd)) << item.name << ": " << text.toStdString();

        KZTestEmailSheet *sheet = controller().emailTestSendSheet();
        EXPECT_EQ(sheet->emailTestSendErrorMessage()->text(), text);
        EXPECT_TRUE(sheet->emailTestSendErrorMessage()->isVisible());
        EXPECT_TRUE(sheet->emailTestSendOK()->isVisible());
        EXPECT_FALSE(sheet->emailTestSendCancel()->isEnabled());
        EXPECT_FALSE(sheet->emailTestSendProgressBar()->isVisible());
        // The settings' own message field gets the text too and stays hidden.
        QLabel *settingsMessage = controller().preferencesWindow()->emailErrorMessage();
        EXPECT_EQ(settingsMessage->text(), text);
        EXPECT_FALSE(settingsMessage->isVisible());
        sheet->emailTestSendOK()->click();
        EXPECT_FALSE(sheet->isVisible());
        preferences().setInteger("EmailAuthenticationType", 0);
        preferences().setString("EmailFromAddress", "");
        preferences().setString("EmailToAddress", "");
        preferences().setString("EmailSMTPAddress", "");
        preferences().setString("EmailUsername", "");
    }
    const QList<QJsonObject> delivered = open.waitForMessages(1);
    ASSERT_EQ(delivered.size(), 1);
    EXPECT_EQ(delivered.first().value("subject").toString(), "Tarnwell Test Email (testhost)");
    EXPECT_EQ(delivered.first().value("body").toString().trimmed(),
              "If you are reading this, the email test was successful.");
    EXPECT_TRUE(guarded.messages().isEmpty());
}

// Cancel closes the sheet at once; the send goes on and its result still
// lands in the sheet's fields.
TEST_F(EmailTest, CancelClosesTheSheetWhileTheSendGoesOn)
{
    SKIP_WITHOUT_SMTP();
    SmtpServer server;
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    launch();
    enterOptions(server.port());
    KZAppController &app = controller();
    QSignalSpy shown(&app, &KZAppController::emailResultShown);
    app.preferencesWindow()->emailTestButton()->click();
    app.emailTestSendSheet()->emailTestSendCancel()->click();
    EXPECT_FALSE(app.emailTestSendSheet()->isVisible());
    ASSERT_TRUE(waitFor([&] { return shown.count() > 0; }));
    EXPECT_EQ(app.emailTestSendSheet()->emailTestSendErrorMessage()->text(),
              "Email sent successfully.");
    EXPECT_EQ(server.waitForMessages(1).size(), 1);
}

// The password typed in the options goes to the Secret Service only: never
// into the log (debugging on) or the preferences file; the next start puts
// it back into the password field.
TEST_F(EmailTest, PasswordNeverInTheLogOrThePreferencesFile)
{
    SKIP_WITHOUT_SMTP();
    SKIP_WITHOUT_KEYCHAIN();
    const QString user = AlertTestSupport::uniqueName(QStringLiteral("smtp-ü"));
    const QString password = QStringLiteral("pässwört ✓ 42");
    SmtpServer server({user, password, {}, {}});
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    preferences().setBool("OutputDebugMessages", true);

    TestSupport::StderrCapture capture;
    launch();
    enterOptions(server.port(), user, password);
    EXPECT_EQ(sendTestEmail(), "Email sent successfully.");
    const QString log = capture.text();
    EXPECT_TRUE(log.contains("Arguments:")) << "debug lines were written";
    EXPECT_FALSE(log.contains(password));
    EXPECT_FALSE(log.contains(password.toUtf8().toBase64()));
    const QByteArray stored = TestSupport::readFile(preferences().fileName());
    EXPECT_TRUE(stored.contains("EmailUsername"));
    EXPECT_FALSE(stored.contains(password.toUtf8()));
    EXPECT_FALSE(QString::fromUtf8(stored).contains(password));
    EXPECT_EQ(server.waitForMessages(1).size(), 1);

    KZAppController next(environment);
    next.awakeFromNib();
    QSignalSpy scanned(&next, &KZAppController::scanFinished);
    next.applicationDidFinishLaunching();
    QLineEdit *field = next.emailOptionSheet()->emailPasswordText();
    EXPECT_TRUE(waitFor([&] { return field->text() == password; }));
    ASSERT_TRUE(waitFor([&] { return scanned.count() > 0; }));
}
