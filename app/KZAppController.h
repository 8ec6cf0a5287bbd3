#pragma once

#include "KZMailSender.h"
#include "KZMonitor.h"
#include "KZProgramOptions.h"
#include "KZSMARTScanner.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

class KZAppcastReader;
class KZDetailWindows;
class KZDriveBrowser;
class KZEmailOptionsDialog;
class KZHelpWindow;
class KZLogWindow;
class KZMainWindow;
class KZOptionsWindow;
class KZPreferencesWindow;
class KZProgressSheet;
class KZSMARTDataReportDocument;
class KZSMARTDrive;
class KZTestEmailSheet;
class QAction;
class QCheckBox;
class QDialog;
class QLineEdit;
class QMainWindow;
class QProgressBar;
class QTimer;
class QWidget;

// The controller of the windowed application, living for the whole run. It
// owns the main window and every window of the application, the drive list
// (through the scanner), the check timer and the scan and update cycle.
//
// One class split by concern:
//   KZAppController.cpp           start-up, preferences window, log, help, custom options
//   KZAppController+Scan.cpp      the scan and update cycle on the worker thread
//   KZAppController+Email.cpp     e-mail options, test e-mail, the mail result display
//   KZAppController+Outline.cpp   outline, summary, the four buttons, detail windows
//   KZAppController+Reports.cpp   save, print, open, the viewer documents
//   KZAppController+MenuExtra.cpp the tray monitor link
//
// Threads. Everything here runs on the GUI thread. The drives are checked by
// its KZMonitor, with the tray monitor's rules: a scan or an update runs off
// the GUI thread behind a window-modal progress sheet (isBusy() is true from
// its start until its last GUI step). While a job runs, nothing on the GUI
// thread may read or change the drive list, so the hooks below are never
// called then; a timer tick that comes during a job is skipped and logged.
// A custom smartctl run, mails and the secret store run in the background
// too (KZBackground); their results come back to the GUI thread.
class KZAppController : public QObject
{
    Q_OBJECT

public:
    // What the controller asks of its surroundings. Tests replace the parts
    // they control; the program uses the defaults.
    struct Environment
    {
        // Tools named on the command line (--smartctl, --lsblk, --sendemail,
        // --blink1-tool); empty: the system's.
        KZProgramOptions options;
        // The keyboard modifiers held now (Shift at start-up switches
        // debugging on). Default: QGuiApplication::queryKeyboardModifiers().
        std::function<Qt::KeyboardModifiers()> keyboardModifiers;
        // The time now (check times, self-test end times). Default: the clock.
        std::function<QDateTime()> clock;
        // Whether the application is the active one (a timer update shows
        // its progress sheet only then). Default: QGuiApplication's state.
        std::function<bool()> applicationActive;
        // Runs a dialog the user answers (the save, open and print dialogs),
        // fully built; returns its result. Default: QDialog::exec().
        std::function<int(QDialog &dialog)> runDialog;
    };

    explicit KZAppController(Environment environment = {}, QObject *parent = nullptr);
    ~KZAppController() override;

    // ---- start-up (KZAppController.cpp) ----
    // First set-up: defaults, the polling floor, the main window and its
    // remembered geometry, the folders, Shift, blink(1).
    void awakeFromNib();
    // The rest of start-up, ending with the first scan.
    void applicationDidFinishLaunching();

    // ---- windows ----
    QMainWindow *drivesWindow() const;
    // The empty central area of the main window where the drive outline and
    // the summary go; it has a QVBoxLayout with no margins.
    QWidget *driveArea() const;
    // The other windows are made on first use (start-up paints sooner).
    KZPreferencesWindow *preferencesWindow();
    KZLogWindow *logWindow();
    KZHelpWindow *helpWindow();
    KZOptionsWindow *optionsWindow();
    KZEmailOptionsDialog *emailOptionSheet();
    KZTestEmailSheet *emailTestSendSheet();
    KZProgressSheet *scanSheet() const { return m_scanSheet; }
    KZProgressSheet *updateSheet() const { return m_updateSheet; }
    QProgressBar *updateProgressBar() const;
    QTimer *pollingTimer() const;
    QTimer *logTimer() const { return m_logTimer; }

    // ---- state ----
    // The scanner's own drive list (not a copy); empty before the first scan.
    // Not to be read or changed while isBusy().
    KZDriveList &drives();
    const KZDriveList &drives() const;
    bool isBusy() const;
    bool outputDebugMessages() const { return m_outputDebugMessages; }
    qint64 driveSelected() const { return m_driveSelected; }
    void setDriveSelected(qint64 row) { m_driveSelected = row; }
    bool blink1Available() const;
    // The merged status the icons show now (1, 2 or 3).
    int shownStatus() const { return m_shownStatus; }
    // The sender every mail of the application goes through (--sendemail honoured).
    KZMailSender mailSender(KZMailSender::Copy copy = KZMailSender::Copy::Application) const;
    // A drive object configured like the scanner's (--smartctl honoured).
    std::shared_ptr<KZSMARTDrive> makeDrive(const QString &location) const;
    QDateTime now() const;
    // The monitor core (made by awakeFromNib()).
    KZMonitor *monitor() const { return m_monitor; }

    // ---- preferences, log, help, custom options (KZAppController.cpp) ----
    void showPreferences();
    void resetPrefsToDefaults();
    // The custom-limit filter, run on every edit of the two number fields.
    void textDidChange(QLineEdit *field);
    void toggleDebug(bool enabled);
    void showLog();
    void clearLog();
    void updateLogView();
    void showHelp();
    void helpHome();
    void enterOptions();
    void runOptions();
    void cancelOptions();
    void tarnwellPage();
    void showAbout();
    // Every drive's plain-text report, as a list.
    QString description() const;
    // Raises the main window (D-Bus Activate()).
    void activate();

    // ---- scan and update (KZAppController+Scan.cpp) ----
    void scanDrives();
    void rescanDrives() { scanDrives(); }
    // An update of the known drives.
    void updateDriveInfo();
    void updateSMARTInfo() { updateDriveInfo(); }
    // Starts the check timer when there is none, otherwise stops it.
    void toggleTimer();
    int mergedDriveStatus() const;
    static QString getDriveStatus(const KZSMARTDrive &drive);
    void updateDockIcon();

    // ---- e-mail (KZAppController+Email.cpp) ----
    void showEmailOptions();
    void exitEmailOptions();
    void toggleEmailOptionsButton();
    void testEmail();
    void cancelTestEmail();
    void closeTestEmailSheet();
    // The result display after every attempt of the application's mail copy.
    void showEmailResult(const KZMailResult &result);

    // ---- hooks of the other parts of the controller ----
    // Drive outline, summary and detail windows (KZAppController+Outline.cpp):
    //  - setUpDriveArea(): once, from awakeFromNib(), after the main window
    //    exists: puts the outline and the summary into driveArea();
    //  - refreshWindow(): redraws the outline and summary from drives() with
    //    driveSelected() (after every update, after a scan resets the list and
    //    after the scan has given the drives their identifiers);
    //  - updateDetailWindows(): updateWindow on every open drive-information,
    //    attributes, errors and self-test window, in that order of kinds;
    //  - closeDetailWindows(): closes them all and forgets them (every scan).
    void setUpDriveArea();
    void refreshWindow();
    void updateDetailWindows();
    void closeDetailWindows();
    //  - the four buttons under the summary, for the selected drive; and the
    //    outline with the summary, and the detail windows, for tests.
    void showAllDriveInformation();
    void showAllAttributes();
    void showAllErrors();
    void moreInfoTests();
    void showHistory();
    KZDriveBrowser *driveBrowser() const { return m_driveBrowser; }
    KZDetailWindows *detailWindows() const { return m_detailWindows; }
    // Reports (KZAppController+Reports.cpp):
    //  - setUpReportActions(): once, from awakeFromNib(): connects and enables
    //    File > Open..., Save..., Print... (fileOpenAction() and friends);
    //  - openReportFiles(): report files from the command line, from a second
    //    instance or from the file manager (absolute paths).
    void setUpReportActions();
    void openReportFiles(const QStringList &paths);

    // ---- reports (KZAppController+Reports.cpp) ----
    // File > Save...: the selected drive as a TWDR or plain-text report (saveDrive:).
    void saveDrive();
    // File > Print...: the reports of every drive with S.M.A.R.T. support (print:).
    void print();
    // File > Open...: report files chosen in the open dialog.
    void openDocument();
    // Opens one report file in a viewer window (or raises the one showing it);
    // null when the file cannot be read.
    KZSMARTDataReportDocument *openReportFile(const QString &path);
    // The viewer windows open now.
    QList<KZSMARTDataReportDocument *> documents() const;
    // The tray monitor link (KZAppController+MenuExtra.cpp):
    //  - toggleMenuExtra(): starts the monitor when it is not running,
    //    otherwise stops it; with no sender "MenuItemEnabled" is left alone;
    //  - setUpMenuExtraLink(): start-up steps 9 to 11 on the monitor's side:
    //    preference-change posting, the unload signal, the running monitor;
    //    the menu-bar checkbox goes into preferencesWindow()->extraRows()
    //    (addMenuExtraRows(), once that window is made);
    //  - setUpUpdater(): start-up step 7 (the update feed).
    void toggleMenuExtra(QObject *sender);
    void setUpMenuExtraLink();
    void addMenuExtraRows();
    void setUpUpdater();
    //  - menuExtraDidUnload(): the monitor quit: the checkbox goes off;
    //  - sendPrefsChangeToExtra(): posts "TWPrefsChanged" (after any change
    //    of the preferences, coalesced on the GUI thread);
    //  - prefShowMenuExtra(): the preferences window's monitor checkbox;
    //    updater(): the update feed reader (after setUpUpdater()).
    void menuExtraDidUnload();
    void sendPrefsChangeToExtra();
    QCheckBox *prefShowMenuExtra() const;
    KZAppcastReader *updater() const;

    QAction *fileOpenAction() const { return m_openAction; }
    QAction *fileSaveAction() const { return m_saveAction; }
    QAction *filePrintAction() const { return m_printAction; }

Q_SIGNALS:
    // The last GUI step of a scan (after its update) and of an update.
    void scanFinished();
    void updateFinished();
    // A custom smartctl run has ended (its output is in the log).
    void optionsRunFinished();
    // A mail result was shown (text as in the test e-mail sheet).
    void emailResultShown(const QString &text);

private:
    void createMainWindow();
    void createMenus();
    void createMonitor();
    // The steps of a scan and an update, as the monitor reports them.
    void beginScan();
    void finishListing(bool scanSucceeded);
    void beginUpdate(KZMonitor::Origin origin);
    void finishCheck(const KZMonitor::Result &result);
    bool selfTestWarningCalledFor();
    void updateInfoProgressBar(int done, int total);
    void applyTitle(const QString &checkTime);
    void logVersions();
    void loadEmailPassword();
    // Hands a mail's result from its thread to showEmailResult().
    std::function<void(const KZMailResult &)> emailResultHandler();
    void storeEmailPassword(const QString &password);
    void saveWindowGeometry();

    Environment m_environment;

    // Fields of the application (names as elsewhere in Tarnwell).
    KZMonitor *m_monitor = nullptr;
    bool m_outputDebugMessages = false;
    qint64 m_driveSelected = 0;
    QTimer *m_logTimer = nullptr;
    quint64 m_lastLogLength = 0;
    qint64 m_lastLogBytes = -1;
    // The password found at start-up, until the e-mail options exist.
    std::optional<QString> m_storedPassword;
    int m_shownStatus = 1;
    // A custom smartctl run is going on (it works on a copy of a drive).
    bool m_optionsRunning = false;

    KZMainWindow *m_drivesWindow = nullptr;
    KZProgressSheet *m_scanSheet = nullptr;
    KZProgressSheet *m_updateSheet = nullptr;
    KZPreferencesWindow *m_preferencesWindow = nullptr;
    KZEmailOptionsDialog *m_emailOptionSheet = nullptr;
    KZTestEmailSheet *m_emailTestSendSheet = nullptr;
    KZLogWindow *m_logWindow = nullptr;
    KZHelpWindow *m_helpWindow = nullptr;
    KZOptionsWindow *m_optionsWindow = nullptr;
    QAction *m_openAction = nullptr;
    QAction *m_saveAction = nullptr;
    QAction *m_printAction = nullptr;
    KZDriveBrowser *m_driveBrowser = nullptr;
    KZDetailWindows *m_detailWindows = nullptr;
    QList<QPointer<KZSMARTDataReportDocument>> m_documents;
    int runDialog(QDialog &dialog) const;
    void updateReportActions();
};
