#include "KZAppController.h"

#include "EMKeychainItem.h"
#include "KZAlertMail.h"
#include "KZBackground.h"
#include "KZEmailOptionsDialog.h"
#include "KZLog.h"
#include "KZPreferenceKeys.h"
#include "KZPreferenceRules.h"
#include "KZPreferences.h"
#include "KZPreferencesWindow.h"
#include "KZTestEmailSheet.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

KZPreferences &preferences()
{
    return KZPreferences::standard();
}

} // namespace

void KZAppController::showEmailOptions()
{
    preferencesWindow()->emailErrorMessage()->hide();
    emailOptionSheet()->reload();
    emailOptionSheet()->open();
}

void KZAppController::exitEmailOptions()
{
    emailOptionSheet()->hide();
    storeEmailPassword(emailOptionSheet()->emailPasswordText()->text());
}

void KZAppController::storeEmailPassword(const QString &password)
{
    const QString username = preferences().stringForKey(KZPreferenceKeys::emailUsername);
    const QString service = KZMailSender::keychainServiceName(username);
    // The secret store may take its time (an unlock prompt): never on the GUI thread.
    KZBackground::run(this, [service, username, password] {
        if (auto item = EMGenericKeychainItem::genericKeychainItemForService(service, username)) {
            item->setPassword(password);
            return;
        }
        // Nothing typed and nothing stored: no empty item is added.
        if (password.isEmpty())
            return;
        if (!EMGenericKeychainItem::addGenericKeychainItemForService(service, username, password))
            KZLog::log(QStringLiteral("The SMTP password could not be stored in the keyring "
                                      "(service \"%1\").")
                           .arg(service));
    });
}

void KZAppController::loadEmailPassword()
{
    const QString username = preferences().stringForKey(KZPreferenceKeys::emailUsername);
    const QString service = KZMailSender::keychainServiceName(username);
    QPointer<KZAppController> guard(this);
    KZBackground::run(this, [guard, service, username] {
        const auto item = EMGenericKeychainItem::genericKeychainItemForService(service, username);
        if (!item)
            return;
        const QString password = item->password();
        QMetaObject::invokeMethod(
            qApp,
            [guard, password] {
                if (!guard)
                    return;
                guard->m_storedPassword = password;
                if (!guard->m_emailOptionSheet)
                    return;
                QLineEdit *field = guard->m_emailOptionSheet->emailPasswordText();
                // What the user typed in the meantime wins.
                if (!field->isModified())
                    field->setText(password);
            },
            Qt::QueuedConnection);
    });
}

void KZAppController::toggleEmailOptionsButton()
{
    if (!m_preferencesWindow)
        return; // set when the window is made
    const bool enabled = KZPreferenceRules::emailOptionsEnabled(preferences());
    preferencesWindow()->emailOptionsButton()->setEnabled(enabled);
    preferencesWindow()->emailTestButton()->setEnabled(enabled);
}

void KZAppController::testEmail()
{
    preferences().synchronize();
    preferencesWindow()->emailErrorMessage()->hide();
    const QStringList message =
        KZAlertMail::testMessage(preferences().stringForKey(KZPreferenceKeys::emailHostName));
    emailTestSendSheet()->begin();
    emailTestSendSheet()->open();
    mailSender().sendInBackground(message, emailResultHandler());
}

std::function<void(const KZMailResult &)> KZAppController::emailResultHandler()
{
    // Called on the mail's own thread; the display happens on the GUI thread.
    QPointer<KZAppController> guard(this);
    return [guard](const KZMailResult &result) {
        QMetaObject::invokeMethod(
            qApp,
            [guard, result] {
                if (guard)
                    guard->showEmailResult(result);
            },
            Qt::QueuedConnection);
    };
}

void KZAppController::cancelTestEmail()
{
    // The send goes on; its result still lands in the closed sheet.
    emailTestSendSheet()->hide();
}

void KZAppController::closeTestEmailSheet()
{
    emailTestSendSheet()->hide();
}

void KZAppController::showEmailResult(const KZMailResult &result)
{
    const QString text = KZMailSender::resultText(result);
    preferencesWindow()->emailErrorMessage()->setText(text);
    emailTestSendSheet()->showResult(text);
    Q_EMIT emailResultShown(text);
}
