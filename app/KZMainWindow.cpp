#include "KZMainWindow.h"

#include "KZLog.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace {
const QString geometryKey = QStringLiteral("TWMainWindow");
}

KZMainWindow::KZMainWindow(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TWMainWindow"));
    setWindowTitle(tr("Tarnwell - Current Drives"));
    m_driveArea = new QWidget(this);
    m_driveArea->setObjectName(QStringLiteral("driveArea"));
    auto *layout = new QVBoxLayout(m_driveArea);
    layout->setContentsMargins(0, 0, 0, 0);
    setCentralWidget(m_driveArea);
}

void KZMainWindow::restoreRememberedGeometry()
{
    const QByteArray stored =
        QByteArray::fromBase64(KZPreferences::standard().stringForKey(geometryKey).toLatin1());
    if (!stored.isEmpty() && restoreGeometry(stored))
        return;
    resize(1100, 640);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - rect().center());
    }
}

void KZMainWindow::rememberGeometry() const
{
    const QString geometry = QString::fromLatin1(saveGeometry().toBase64());
    KZPreferences &preferences = KZPreferences::standard();
    if (preferences.stringForKey(geometryKey) != geometry)
        preferences.setString(geometryKey, geometry);
}

bool KZMainWindow::event(QEvent *event)
{
    if (!m_painted && event->type() == QEvent::Paint) {
        m_painted = true;
        // The moment the start-up benchmark measures.
        KZLog::debug(KZPreferences::standard().boolForKey(KZPreferenceKeys::outputDebugMessages),
                     QStringLiteral("Main window painted."));
        const bool handled = QMainWindow::event(event);
        Q_EMIT firstPainted();
        return handled;
    }
    return QMainWindow::event(event);
}

void KZMainWindow::closeEvent(QCloseEvent *event)
{
    rememberGeometry();
    event->accept();
    // The main window is the application: closing it ends the run.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}
