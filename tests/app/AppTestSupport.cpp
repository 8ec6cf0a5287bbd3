#include "AppTestSupport.h"

#include "KZAlertPresenter.h"
#include "KZBackground.h"
#include "KZBlink1Controller.h"
#include "KZCheckHistory.h"
#include "KZDriveListFile.h"
#include "KZPaths.h"
#include "KZPreferences.h"
#include "KZTranslations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSignalSpy>
#include <QThread>

#include <csignal>

namespace AppTestSupport {

void AppTest::SetUp()
{
    if (TestSupport::realSmartctl().isEmpty())
        GTEST_SKIP() << "smartctl is not installed";
    // Every test starts from nothing stored (also when one program runs
    // several tests): no preferences, no log, no drive list.
    QFile::remove(KZPreferences::standard().fileName());
    KZPreferences::standard().synchronize();
    QFile::remove(KZPaths::logFile());
    QFile::remove(KZDriveListFile::filePath());
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(KZCheckHistory::defaultPath() + suffix);
    KZTranslations::setLanguage(QStringLiteral("en"));
    m_blink1Record = TestSupport::homeDir() +
                     QStringLiteral("/blink1-%1.txt").arg(QDateTime::currentMSecsSinceEpoch());
    qputenv("FAKE_RECORD", QFile::encodeName(m_blink1Record));
    environment.options.lsblk = machine.lsblk();
    environment.options.smartctl = machine.smartctl();
    environment.options.blink1Tool = TestSupport::fake(QStringLiteral("fake-blink1-tool"));
    environment.keyboardModifiers = [this] { return modifiers; };
    environment.clock = [this] { return clock; };
    environment.applicationActive = [this] { return applicationActive; };

    m_presenter.setPreAnswer([this](QMessageBox &box) {
        ShownAlert alert;
        alert.critical = box.icon() == QMessageBox::Critical;
        alert.title = box.text();
        alert.text = box.informativeText();
        for (QAbstractButton *button : box.buttons())
            alert.buttons.append(button->text());
        alert.onGuiThread = QThread::currentThread() == qApp->thread();
        QMutexLocker locker(&m_mutex);
        m_alerts.append(alert);
        return m_answers.isEmpty() ? 0 : m_answers.takeFirst();
    });
    KZAlertPresenter::setCurrent(&m_presenter);
}

void AppTest::TearDown()
{
    m_controller.reset();
    // Background work of the controllers (secret store, checks) ends before
    // the next test or the end of the program.
    EXPECT_TRUE(waitFor([] { return KZBackground::running() == 0; }));
    KZAlertPresenter::setCurrent(nullptr);
    KZBlink1Controller::setToolPath({});
    qunsetenv("FAKE_RECORD");
}

KZAppController &AppTest::controller()
{
    if (!m_controller) {
        m_controller = std::make_unique<KZAppController>(environment);
        m_controller->awakeFromNib();
    }
    return *m_controller;
}

void AppTest::launch()
{
    QSignalSpy scanned(&controller(), &KZAppController::scanFinished);
    controller().applicationDidFinishLaunching();
    ASSERT_TRUE(waitFor([&] { return scanned.count() > 0; })) << "the first scan did not end";
}

void AppTest::updateAndWait()
{
    QSignalSpy updated(&controller(), &KZAppController::updateFinished);
    controller().updateSMARTInfo();
    ASSERT_TRUE(waitFor([&] { return updated.count() > 0; })) << "the update did not end";
}

QList<ShownAlert> AppTest::alerts() const
{
    QMutexLocker locker(&m_mutex);
    return m_alerts;
}

void AppTest::answerNextAlerts(const QList<int> &answers)
{
    QMutexLocker locker(&m_mutex);
    m_answers = answers;
}

QStringList AppTest::blink1Commands() const
{
    QStringList commands;
    QStringList current;
    const QStringList lines =
        QString::fromUtf8(TestSupport::readFile(m_blink1Record)).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line == QLatin1String("----")) {
            commands.append(current.join(QLatin1Char(' ')));
            current.clear();
        } else if (!line.isEmpty()) {
            current.append(line);
        }
    }
    return commands;
}

} // namespace AppTestSupport
