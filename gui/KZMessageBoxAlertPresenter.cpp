#include "KZMessageBoxAlertPresenter.h"

#include "KZLog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

int KZMessageBoxAlertPresenter::runAlert(Style style, const QString &title, const QString &text,
                                         const QStringList &buttons)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!qobject_cast<QApplication *>(application)) {
        // No GUI (yet): the alert still reaches the log.
        return KZLogAlertPresenter().runAlert(style, title, text, buttons);
    }
    if (QThread::currentThread() == application->thread())
        return present(style, title, text, buttons);
    int answer = 0;
    QMetaObject::invokeMethod(
        application, [&] { answer = present(style, title, text, buttons); },
        Qt::BlockingQueuedConnection);
    return answer;
}

int KZMessageBoxAlertPresenter::present(Style style, const QString &title, const QString &text,
                                        const QStringList &buttons)
{
    // The alert is logged too, so the log tells what the user was asked.
    KZLog::log(
        QStringLiteral("%1: %2 %3")
            .arg(style == Style::Critical ? QStringLiteral("Alert") : QStringLiteral("Notice"),
                 title, text));
    QMessageBox box(style == Style::Critical ? QMessageBox::Critical : QMessageBox::Information,
                    QStringLiteral("Tarnwell"), title, QMessageBox::NoButton, m_parent.data());
    box.setInformativeText(text);
    if (m_parent)
        box.setWindowModality(Qt::WindowModal);
    const QStringList labels =
        buttons.isEmpty() ? QStringList{QCoreApplication::translate("KZAlertPresenter", "OK")}
                          : buttons;
    QList<QAbstractButton *> added;
    for (qsizetype index = 0; index < labels.size(); ++index) {
        QPushButton *button = box.addButton(labels.at(index), index == 0 ? QMessageBox::AcceptRole
                                                                         : QMessageBox::ActionRole);
        button->setAccessibleName(labels.at(index));
        added.append(button);
        if (index == 0)
            box.setDefaultButton(button);
    }
    if (m_preAnswer)
        return m_preAnswer(box);
    box.exec();
    const qsizetype pressed = added.indexOf(box.clickedButton());
    return pressed < 0 ? 0 : int(pressed);
}
