#include "KZAppController.h"

#include "KZBackground.h"
#include "KZEmailOptionsDialog.h"
#include "KZHelpWindow.h"
#include "KZLog.h"
#include "KZLogWindow.h"
#include "KZMainWindow.h"
#include "KZOptionsWindow.h"
#include "KZPaths.h"
#include "KZPreferenceKeys.h"
#include "KZPreferenceRules.h"
#include "KZPreferences.h"
#include "KZPreferencesWindow.h"
#include "KZProgressSheet.h"
#include "KZSMARTDrive.h"
#include "KZStatusIcons.h"
#include "KZTestEmailSheet.h"
#include "KZTranslations.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSysInfo>
#include <QTimer>

namespace {

KZPreferences &preferences()
{
    return KZPreferences::standard();
}

const QUrl productPage(QStringLiteral("https://tarnwell.org/"));

} // namespace

KZAppController::KZAppController(Environment environment, QObject *parent)
    : QObject(parent), m_environment(std::move(environment))
{
    if (!m_environment.keyboardModifiers)
        m_environment.keyboardModifiers = [] { return QGuiApplication::queryKeyboardModifiers(); };
    if (!m_environment.clock)
        m_environment.clock = [] { return QDateTime::currentDateTime(); };
    if (!m_environment.applicationActive)
        m_environment.applicationActive = [] {
            return QGuiApplication::applicationState() == Qt::ApplicationActive;
        };
}

QMainWindow *KZAppController::drivesWindow() const
{
    return m_drivesWindow;
}

QWidget *KZAppController::driveArea() const
{
    return m_drivesWindow ? m_drivesWindow->driveArea() : nullptr;
}

QProgressBar *KZAppController::updateProgressBar() const
{
    return m_updateSheet ? m_updateSheet->progressBar() : nullptr;
}

KZDriveList &KZAppController::drives()
{
    static KZDriveList none;
    return m_monitor ? m_monitor->drives() : none;
}

const KZDriveList &KZAppController::drives() const
{
    static const KZDriveList none;
    return m_monitor ? m_monitor->drives() : none;
}

QDateTime KZAppController::now() const
{
    return m_environment.clock();
}

KZMailSender KZAppController::mailSender(KZMailSender::Copy copy) const
{
    return m_monitor->mailSender(copy);
}

std::shared_ptr<KZSMARTDrive> KZAppController::makeDrive(const QString &location) const
{
    return m_monitor->makeDrive(location);
}

// ---- start-up ----

void KZAppController::awakeFromNib()
{
    KZPreferences &prefs = preferences();
    // Defaults, the polling floor and the two folders.
    KZPreferenceRules::prepareApplicationPreferences(prefs);

    createMonitor();
    createMainWindow();
    m_drivesWindow->restoreRememberedGeometry();

    // Shift held while the program starts switches the debug checkbox (and
    // so its key) on.
    if (m_environment.keyboardModifiers() & Qt::ShiftModifier) {
        prefs.setBool(KZPreferenceKeys::outputDebugMessages, true);
        toggleDebug(true);
        if (m_preferencesWindow)
            m_preferencesWindow->reload();
    }

    setUpDriveArea();
    setUpReportActions();
}

void KZAppController::applicationDidFinishLaunching()
{
    KZPreferences &prefs = preferences();
    m_outputDebugMessages = prefs.boolForKey(KZPreferenceKeys::outputDebugMessages);

    if (m_outputDebugMessages)
        logVersions();

    setUpUpdater();

    m_monitor->applyPollingPreferences();
    setUpMenuExtraLink();

    toggleEmailOptionsButton();
    loadEmailPassword();

    scanDrives();
}

void KZAppController::logVersions()
{
    KZLog::log(QStringLiteral("Tarnwell version: %1 (%2).")
                   .arg(QStringLiteral(TARNWELL_VERSION), QStringLiteral(TARNWELL_VERSION)));
    // smartctl -V is quick, but a child process never runs on the GUI thread.
    std::shared_ptr<KZSMARTDrive> drive = makeDrive(QString());
    KZBackground::run(this, [drive] {
        KZLog::log(QStringLiteral("smartctl version: %1")
                       .arg(drive->smartctlVersion().value_or("(null)")));
    });
    KZLog::log(QStringLiteral("Linux version: %1 (kernel %2).")
                   .arg(QSysInfo::prettyProductName(), QSysInfo::kernelVersion()));
}

void KZAppController::createMainWindow()
{
    m_drivesWindow = new KZMainWindow;
    m_drivesWindow->setWindowIcon(KZStatusIcons::icon(1));
    createMenus();
    m_scanSheet = new KZProgressSheet(tr("Scanning for drives..."), true, m_drivesWindow);
    m_scanSheet->setObjectName(QStringLiteral("scanSheet"));
    m_updateSheet =
        new KZProgressSheet(tr("Reading S.M.A.R.T. data of every drive..."), false, m_drivesWindow);
    m_updateSheet->setObjectName(QStringLiteral("updateSheet"));
}

KZPreferencesWindow *KZAppController::preferencesWindow()
{
    if (m_preferencesWindow)
        return m_preferencesWindow;
    m_preferencesWindow = new KZPreferencesWindow(this, m_drivesWindow);
    m_emailOptionSheet = new KZEmailOptionsDialog(m_preferencesWindow);
    if (m_storedPassword)
        m_emailOptionSheet->emailPasswordText()->setText(*m_storedPassword);
    connect(m_emailOptionSheet, &QDialog::finished, this, &KZAppController::exitEmailOptions);
    m_emailTestSendSheet = new KZTestEmailSheet(m_preferencesWindow);
    connect(m_emailTestSendSheet, &KZTestEmailSheet::cancelClicked, this,
            &KZAppController::cancelTestEmail);
    connect(m_emailTestSendSheet, &KZTestEmailSheet::okClicked, this,
            &KZAppController::closeTestEmailSheet);
    toggleEmailOptionsButton();
    addMenuExtraRows();
    return m_preferencesWindow;
}

KZEmailOptionsDialog *KZAppController::emailOptionSheet()
{
    preferencesWindow();
    return m_emailOptionSheet;
}

KZTestEmailSheet *KZAppController::emailTestSendSheet()
{
    preferencesWindow();
    return m_emailTestSendSheet;
}

KZLogWindow *KZAppController::logWindow()
{
    if (!m_logWindow) {
        m_logWindow = new KZLogWindow(m_drivesWindow);
        connect(m_logWindow->clearButton(), &QPushButton::clicked, this,
                &KZAppController::clearLog);
    }
    return m_logWindow;
}

KZHelpWindow *KZAppController::helpWindow()
{
    if (!m_helpWindow) {
        m_helpWindow = new KZHelpWindow(m_drivesWindow);
        connect(m_helpWindow, &KZHelpWindow::homeRequested, this, &KZAppController::helpHome);
    }
    return m_helpWindow;
}

KZOptionsWindow *KZAppController::optionsWindow()
{
    if (!m_optionsWindow) {
        m_optionsWindow = new KZOptionsWindow(m_drivesWindow);
        connect(m_optionsWindow, &KZOptionsWindow::runClicked, this, &KZAppController::runOptions);
        connect(m_optionsWindow, &KZOptionsWindow::cancelClicked, this,
                &KZAppController::cancelOptions);
    }
    return m_optionsWindow;
}

void KZAppController::createMenus()
{
    QMenuBar *bar = m_drivesWindow->menuBar();
    auto add = [this](QMenu *menu, const QString &text, const QKeySequence &keys, auto slot) {
        QAction *action = menu->addAction(text);
        if (!keys.isEmpty())
            action->setShortcut(keys);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };

    QMenu *file = bar->addMenu(tr("&File"));
    m_openAction = file->addAction(tr("&Open..."));
    m_openAction->setShortcut(QKeySequence::Open);
    m_saveAction = file->addAction(tr("&Save..."));
    m_saveAction->setShortcut(QKeySequence::Save);
    m_printAction = file->addAction(tr("&Print..."));
    m_printAction->setShortcut(QKeySequence::Print);
    for (QAction *action : {m_openAction, m_saveAction, m_printAction})
        action->setEnabled(false);
    file->addSeparator();
    QAction *quit = file->addAction(tr("&Quit"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, m_drivesWindow, &QWidget::close);

    QMenu *drivesMenu = bar->addMenu(tr("&Drives"));
    add(drivesMenu, tr("&Rescan"), QKeySequence(Qt::CTRL | Qt::Key_R),
        &KZAppController::rescanDrives);
    add(drivesMenu, tr("&Update"), QKeySequence(Qt::Key_F5), &KZAppController::updateSMARTInfo);
    drivesMenu->addSeparator();
    add(drivesMenu, tr("Run smartctl with &Options..."), QKeySequence(),
        &KZAppController::enterOptions);

    QMenu *settings = bar->addMenu(tr("&Settings"));
    QAction *prefs = add(settings, tr("&Preferences..."), QKeySequence(Qt::CTRL | Qt::Key_Comma),
                         &KZAppController::showPreferences);
    prefs->setMenuRole(QAction::PreferencesRole);

    QMenu *window = bar->addMenu(tr("&Window"));
    add(window, tr("&Log"), QKeySequence(Qt::CTRL | Qt::Key_L), &KZAppController::showLog);

    QMenu *help = bar->addMenu(tr("&Help"));
    add(help, tr("Tarnwell &Help"), QKeySequence(QKeySequence::HelpContents),
        &KZAppController::showHelp);
    add(help, tr("Tarnwell &Web Page"), QKeySequence(), &KZAppController::tarnwellPage);
    help->addSeparator();
    QAction *about = add(help, tr("&About Tarnwell"), QKeySequence(), &KZAppController::showAbout);
    about->setMenuRole(QAction::AboutRole);
}

void KZAppController::activate()
{
    m_drivesWindow->show();
    m_drivesWindow->setWindowState(m_drivesWindow->windowState() & ~Qt::WindowMinimized);
    m_drivesWindow->raise();
    m_drivesWindow->activateWindow();
}

// ---- preferences window ----

void KZAppController::showPreferences()
{
    preferencesWindow()->reload();
    preferencesWindow()->show();
    preferencesWindow()->raise();
    preferencesWindow()->activateWindow();
}

void KZAppController::resetPrefsToDefaults()
{
    KZPreferenceRules::resetPrefsToDefaults(preferences());
    preferencesWindow()->reload();
    toggleDebug(false);
}

void KZAppController::textDidChange(QLineEdit *field)
{
    const int cursor = field->cursorPosition();
    const QString before = field->text();
    const QString after = KZPreferenceRules::customLimitFieldText(before);
    if (after == before)
        return;
    field->setText(after);
    // Keep the cursor where the user was typing, less what was dropped.
    field->setCursorPosition(qMax(0, cursor - int(before.size() - after.size())));
}

void KZAppController::toggleDebug(bool enabled)
{
    m_outputDebugMessages = enabled;
    if (isBusy())
        return; // the drives belong to the running job; the next update reads the key
    for (const std::shared_ptr<KZSMARTDrive> &drive : drives())
        drive->setDebugState(enabled);
    if (m_monitor && !m_monitor->isBusy())
        m_monitor->scanner().setOutputDebugMessages(enabled);
}

// ---- log window ----

void KZAppController::showLog()
{
    m_lastLogLength = 0;
    m_lastLogBytes = -1;
    // Shown first, so that this refresh always draws the text.
    logWindow()->show();
    logWindow()->raise();
    logWindow()->activateWindow();
    updateLogView();
    if (!m_logTimer) {
        m_logTimer = new QTimer(this);
        m_logTimer->setInterval(1000);
        connect(m_logTimer, &QTimer::timeout, this, &KZAppController::updateLogView);
        m_logTimer->start();
    }
}

void KZAppController::updateLogView()
{
    if (!m_logWindow || !m_logWindow->isVisible()) {
        if (m_logTimer) {
            m_logTimer->stop();
            m_logTimer->deleteLater();
            m_logTimer = nullptr;
        }
        return;
    }
    const QString path = KZPaths::logFile();
    // The log only grows or is emptied: a file of the size read last time
    // holds the same number of characters, and is not read again.
    const qint64 bytes = QFileInfo(path).size();
    if (m_lastLogLength != 0 && bytes == m_lastLogBytes)
        return;
    QFile file(path);
    QString text =
        file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : tr("Log is empty.");
    m_lastLogBytes = bytes;
    if (quint64(text.size()) == m_lastLogLength && m_lastLogLength != 0)
        return;
    logWindow()->showText(text.isEmpty() ? tr("Log is Empty") : text);
    m_lastLogLength = quint64(text.size());
}

void KZAppController::clearLog()
{
    QFile file(KZPaths::logFile());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.close();
    updateLogView();
}

// ---- help window ----

void KZAppController::showHelp()
{
    helpHome();
    helpWindow()->show();
    helpWindow()->raise();
    helpWindow()->activateWindow();
}

void KZAppController::helpHome()
{
    // The help in the language the windows speak, where it has one.
    const QString language = KZTranslations::language();
    QString path;
    for (const QString &folder : {language, language.section(QLatin1Char('_'), 0, 0)}) {
        path = QStringLiteral(":/help/%1/top.html").arg(folder);
        if (QFile::exists(path))
            break;
        path = QStringLiteral(":/help/en/top.html");
    }
    KZLog::log(QStringLiteral("Help path: %1").arg(path));
    if (!QFile::exists(path)) {
        KZLog::log(QStringLiteral("Error opening help"));
        return;
    }
    helpWindow()->load(QUrl(QStringLiteral("qrc") + path));
}

// ---- custom options ----

void KZAppController::enterOptions()
{
    if (isBusy())
        return;
    optionsWindow()->optionsText()->clear();
    QComboBox *popup = optionsWindow()->drivesPopup();
    popup->clear();
    for (const std::shared_ptr<KZSMARTDrive> &drive : drives())
        popup->addItem(drive->driveLocation());
    optionsWindow()->runButton()->setEnabled(popup->count() > 0);
    optionsWindow()->show();
    optionsWindow()->raise();
    optionsWindow()->activateWindow();
}

void KZAppController::runOptions()
{
    const int index = optionsWindow()->drivesPopup()->currentIndex();
    if (index < 0 || index >= drives().size())
        return;
    if (isBusy()) {
        KZLog::log(QStringLiteral("smartctl with options not run: a scan or update is running."));
        return;
    }
    m_optionsRunning = true;
    // A copy of the drive runs the command: what it prints goes to the log,
    // and the drive list stays free for the checks.
    const auto drive = std::make_shared<KZSMARTDrive>(*drives().at(index));
    const QString options = optionsWindow()->optionsText()->text();
    optionsWindow()->close();
    m_scanSheet->setMessage(tr("Running smartctl on %1...").arg(drive->driveLocation()));
    m_scanSheet->begin();
    KZBackground::run(
        this, [drive, options] { drive->runOptions(options); },
        [this] {
            m_scanSheet->end();
            m_scanSheet->setMessage(tr("Scanning for drives..."));
            m_optionsRunning = false;
            Q_EMIT optionsRunFinished();
        });
}

void KZAppController::cancelOptions()
{
    optionsWindow()->close();
}

// ---- the rest of the menus ----

void KZAppController::tarnwellPage()
{
    if (!QDesktopServices::openUrl(productPage))
        KZLog::log(QStringLiteral("Could not open %1").arg(productPage.toString()));
}

void KZAppController::showAbout()
{
    QMessageBox::about(
        m_drivesWindow, tr("About Tarnwell"),
        tr("<h3>Tarnwell %1</h3>"
           "<p>A disk-health monitor: it reads every disk's S.M.A.R.T. data with smartctl, "
           "judges each drive passed, failing or failed, and warns you by its icon, by "
           "e-mail and by a blink(1) LED before a dying disk dies.</p>"
           "<p><a href=\"%2\">%2</a></p>")
            .arg(QStringLiteral(TARNWELL_VERSION), productPage.toString()));
}

QString KZAppController::description() const
{
    KZLog::debug(m_outputDebugMessages, QStringLiteral("Printing out description of drives."));
    QStringList reports;
    for (const std::shared_ptr<KZSMARTDrive> &drive : drives())
        reports.append(drive->description());
    return QStringLiteral("(\n%1\n)").arg(reports.join(QStringLiteral(",\n")));
}
