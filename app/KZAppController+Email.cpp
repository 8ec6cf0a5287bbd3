#include "KZAppController.h"

#include "EMKeychainItem.h"
#include "KZAlertMail.h"
#include "KZEmailOptionsDialog.h"
#include "KZLog.h"
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
    m_preferencesWindow->emailErrorMessage()->hide();
    m_emailOptionSheet->reload();
    m_emailOptionSheet->open();
}

void KZAppController::exitEmailOptions()
{
    m_emailOptionSheet->hide();
    storeEmailPassword(m_emailOptionSheet->emailPasswordText()->text());
}

void KZAppController::storeEmailPassword(const QString &password)
{
    const QString username = preferences().stringForKey(QStringLiteral("EmailUsername"));
    const QString service = KZMailSender::keychainServiceName(username);
    // The secret store may take its time (an unlock prompt): never on the GUI thread.
    runDetached([service, username, password] {
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
    const QString username = preferences().stringForKey(QStringLiteral("EmailUsername"));
    const QString service = KZMailSender::keychainServiceName(username);
    QPointer<KZAppController> guard(this);
    runDetached([guard, service, username] {
        const auto item = EMGenericKeychainItem::genericKeychainItemForService(service, username);
        if (!item)
            return;
        const QString password = item->password();
        QMetaObject::invokeMethod(
            qApp,
            [guard, password] {
                if (!guard)
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
    const bool enabled = KZPreferenceRules::emailOptionsEnabled(preferences());
    m_preferencesWindow->emailOptionsButton()->setEnabled(enabled);
    m_preferencesWindow->emailTestButton()->setEnabled(enabled);
}

void KZAppController::testEmail()
{
    preferences().synchronize();
    m_preferencesWindow->emailErrorMessage()->hide();
    const QStringList message =
        KZAlertMail::testMessage(preferences().stringForKey(QStringLiteral("EmailHostName")));
    m_emailTestSendSheet->begin();
    m_emailTestSendSheet->open();
    QPointer<KZAppController> guard(this);
    mailSender().sendInBackground(message, [guard](const KZMailResult &result) {
        QMetaObject::invokeMethod(
            qApp,
            [guard, result] {
                if (guard)
                    guard->showEmailResult(result);
            },
            Qt::QueuedConnection);
    });
}

void KZAppController::cancelTestEmail()
{
    // The send goes on; its result still lands in the closed sheet.
    m_emailTestSendSheet->hide();
}

void KZAppController::closeTestEmailSheet()
{
    m_emailTestSendSheet->hide();
}

void KZAppController::showEmailResult(const KZMailResult &result)
{
    const QString text = KZMailSender::resultText(result);
    m_preferencesWindow->emailErrorMessage()->setText(text);
    m_emailTestSendSheet->showResult(text);
    Q_EMIT emailResultShown(text);
}
