#include "KZAlertPresenter.h"

#include "KZLog.h"

#include <QCoreApplication>

#include <atomic>

namespace {
KZLogAlertPresenter logPresenter;
std::atomic<KZAlertPresenter *> installed{nullptr};
} // namespace

KZAlertPresenter &KZAlertPresenter::current()
{
    KZAlertPresenter *presenter = installed.load();
    return presenter ? *presenter : logPresenter;
}

void KZAlertPresenter::setCurrent(KZAlertPresenter *presenter)
{
    installed.store(presenter);
}

void KZAlertPresenter::showCritical(const QString &title, const QString &text)
{
    current().runAlert(Style::Critical, title, text,
                       {QCoreApplication::translate("KZAlertPresenter", "OK")});
}

int KZLogAlertPresenter::runAlert(Style style, const QString &title, const QString &text,
                                  const QStringList &buttons)
{
    Q_UNUSED(buttons);
    KZLog::log(
        QStringLiteral("%1: %2 %3")
            .arg(style == Style::Critical ? QStringLiteral("Alert") : QStringLiteral("Notice"),
                 title, text));
    return 0;
}
