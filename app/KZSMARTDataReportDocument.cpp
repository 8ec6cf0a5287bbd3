#include "KZSMARTDataReportDocument.h"

#include "KZAlertPresenter.h"
#include "KZBackground.h"
#include "KZCheckHistory.h"
#include "KZDetailWindows.h"
#include "KZDriveBrowser.h"
#include "KZDriveReports.h"
#include "KZDriveStatus.h"
#include "KZHealthHistory.h"
#include "KZLog.h"
#include "KZPreferences.h"
#include "KZProgressSheet.h"
#include "KZRecordedTexts.h"
#include "KZReportPrinter.h"
#include "KZSMARTDrive.h"
#include "KZStatusIcons.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>

namespace {

// What smartctl says for a file that holds no capture it can replay.
const QString unreadableFileError = QStringLiteral("Syntax error: No information found");

// The loading sheet: the user cannot close it, but quitting the application
// (which closes every window) is not held up by it.
class LoadingSheet : public KZProgressSheet
{
public:
    using KZProgressSheet::KZProgressSheet;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        if (event->spontaneous())
            event->ignore();
        else
            event->accept();
    }
};

} // namespace

KZSMARTDataReportDocument::KZSMARTDataReportDocument(Hooks hooks, QWidget *parent)
    : QMainWindow(parent), m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("documentWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1060, 560);

    m_browser = new KZDriveBrowser(KZDriveViewFlavour::ReportViewer, this);
    setCentralWidget(m_browser);
    // A report holds one drive: the outline needs less room than the summary.
    m_browser->setSizes({260, 800});

    KZDetailWindows::Hooks windowHooks;
    windowHooks.refreshWindow = [this] { m_browser->refreshWindow(); };
    windowHooks.drivesBusy = [this] { return m_loading; };
    windowHooks.mailSender = m_hooks.mailSender;
    windowHooks.clock = m_hooks.clock;
    m_detailWindows =
        new KZDetailWindows(KZDriveViewFlavour::ReportViewer, this, std::move(windowHooks), this);
    connect(m_browser, &KZDriveBrowser::showAllDriveInformation, this, [this] {
        m_detailWindows->show(KZDetailWindows::Kind::DriveInformation, m_browser->selectedDrive());
    });
    connect(m_browser, &KZDriveBrowser::showAllAttributes, this, [this] {
        m_detailWindows->show(KZDetailWindows::Kind::Attributes, m_browser->selectedDrive());
    });
    connect(m_browser, &KZDriveBrowser::showAllErrors, this, [this] {
        m_detailWindows->show(KZDetailWindows::Kind::Errors, m_browser->selectedDrive());
    });
    connect(m_browser, &KZDriveBrowser::moreInfoTests, this, [this] {
        m_detailWindows->show(KZDetailWindows::Kind::Tests, m_browser->selectedDrive());
    });
    // The history of the disk the report was taken from, when the history
    // of checks knows its serial number.
    connect(m_browser, &KZDriveBrowser::showHistory, this, [this] {
        m_detailWindows->show(KZDetailWindows::Kind::History, m_browser->selectedDrive());
    });

    m_loadingSheet = new LoadingSheet(tr("Loading the report..."), false, this);
    m_loadingSheet->setObjectName(QStringLiteral("loadingSheet"));
    m_loadingSheet->progressBar()->setObjectName(QStringLiteral("loadingProgressBar"));

    createMenus();
}

KZSMARTDataReportDocument::~KZSMARTDataReportDocument() = default;

void KZSMARTDataReportDocument::createMenus()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    QAction *open = file->addAction(tr("&Open..."));
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, [this] {
        if (m_hooks.openReport)
            m_hooks.openReport();
    });
    m_printAction = file->addAction(tr("&Print..."));
    m_printAction->setShortcut(QKeySequence::Print);
    m_printAction->setEnabled(false);
    connect(m_printAction, &QAction::triggered, this, &KZSMARTDataReportDocument::printDocument);
    file->addSeparator();
    QAction *close = file->addAction(tr("&Close"));
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);
    QAction *quit = file->addAction(tr("&Quit"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, [this] {
        if (m_hooks.quit)
            m_hooks.quit();
        else
            QCoreApplication::quit();
    });

    QMenu *help = menuBar()->addMenu(tr("&Help"));
    QAction *contents = help->addAction(tr("Tarnwell &Help"));
    contents->setShortcut(QKeySequence::HelpContents);
    connect(contents, &QAction::triggered, this, [this] {
        if (m_hooks.showHelp)
            m_hooks.showHelp();
    });
}

const KZDriveList &KZSMARTDataReportDocument::drives() const
{
    return m_drives;
}

bool KZSMARTDataReportDocument::readFromURL(const QString &path)
{
    m_filePath = QFileInfo(path).absoluteFilePath();
    KZLog::log(QStringLiteral("Starting file read"));
    const QString name = QFileInfo(m_filePath).fileName();
    setWindowTitle(tr("%1 - Tarnwell").arg(name));
    setWindowFilePath(m_filePath);
    m_loadingSheet->setMessage(tr("Loading %1...").arg(name));

    m_smartScanner = std::make_shared<KZSMARTScanner>(KZSMARTScanner::initWithFile(m_filePath));
    if (!m_hooks.smartctl.isEmpty()) {
        m_smartScanner->setSmartctlOverride(m_hooks.smartctl);
        for (const std::shared_ptr<KZSMARTDrive> &drive : m_smartScanner->getDrives())
            drive->setSmartctlOverride(m_hooks.smartctl);
    }
    return true;
}

void KZSMARTDataReportDocument::awakeFromNib()
{
    show();
    raise();
    activateWindow();
    if (!m_smartScanner) {
        // Not opened from a file: there is nothing to show.
        hide();
        return;
    }
    m_loading = true;
    m_progress = 0;
    // The sheet comes once the window is on the screen.
    QTimer::singleShot(0, this, &KZSMARTDataReportDocument::showLoadingSheet);

    // The replay's own steps move this window's bar, nobody else's.
    const std::shared_ptr<KZSMARTScanner> scanner = m_smartScanner;
    const bool historyOn = KZCheckHistory::retentionDays(KZPreferences::standard()) > 0;
    const QPointer<KZSMARTDataReportDocument> guard(this);
    const KZSMARTScanner::ProgressHandler stepDone = [guard] {
        QMetaObject::invokeMethod(
            qApp,
            [guard] {
                if (guard)
                    guard->updateInfoProgressBar();
            },
            Qt::QueuedConnection);
    };
    auto facts = std::make_shared<KZHistoryFacts>();
    KZBackground::run(
        this,
        [scanner, stepDone, historyOn, facts] {
            scanner->updateDrives(stepDone);
            const KZDriveList &list = scanner->getDrives();
            QSet<QString> serials;
            for (qsizetype index = 0; index < list.size(); ++index) {
                list.at(index)->setID(quint64(index));
                const QString key = KZHealthHistory::keyOf(*list.at(index));
                if (key.startsWith(QLatin1String("serial:")))
                    serials.insert(key);
            }
            if (historyOn)
                facts->known = KZCheckHistory().knownDrives(serials);
        },
        [this, facts] {
            m_browser->setHistoryFacts(*facts);
            finishLoading();
        });
}

void KZSMARTDataReportDocument::showLoadingSheet()
{
    if (m_loading)
        m_loadingSheet->begin();
}

void KZSMARTDataReportDocument::closeLoadingSheet()
{
    m_loadingSheet->end();
}

void KZSMARTDataReportDocument::updateInfoProgressBar()
{
    // A fixed step per step of the replay: six read steps fill the bar.
    m_progress = qMin(100.0, m_progress + 100.0 / 6.0);
    QProgressBar *bar = m_loadingSheet->progressBar();
    bar->setValue(qRound(m_progress));
    bar->repaint();
}

void KZSMARTDataReportDocument::finishLoading()
{
    m_loading = false;
    m_drives = m_smartScanner->getDrives();
    closeLoadingSheet();

    for (const std::shared_ptr<KZSMARTDrive> &drive : std::as_const(m_drives)) {
        // smartctl found no capture in the file ("Syntax error"), or could
        // not replay it at all (an empty or cut file).
        const bool unreadable =
            drive->driveReadFailure() == KZSMARTDrive::ReadFailure::UnreadableCapture ||
            (!drive->smartSupported() &&
             drive->getLastSMARTErrorMessage().value_or(QString()).contains(unreadableFileError));
        if (!unreadable) {
            // A step of the replay that broke off, told now, on this thread.
            if (const std::optional<QString> &alert = drive->driveAlert())
                KZAlertPresenter::showCritical(tr("An Error Occurred"),
                                               KZRecordedTexts::shown(*alert));
            continue;
        }
        KZAlertPresenter::showCritical(
            tr("An Error Occurred"),
            tr("An error occurred attempting to read the file. The file may "
               "be corrupted or in format Tarnwell is unable to read."));
    }

    m_browser->setDrives(m_drives);
    m_detailWindows->updateAll();
    m_printAction->setEnabled(true);

    QList<const KZSMARTDrive *> list;
    for (const std::shared_ptr<KZSMARTDrive> &drive : std::as_const(m_drives))
        list.append(drive.get());
    if (!list.isEmpty())
        setWindowIcon(KZStatusIcons::icon(KZDriveStatus::mergedDriveStatus(list)));
    Q_EMIT loadingFinished();
}

void KZSMARTDataReportDocument::printDocument()
{
    if (m_loading)
        return;
    KZReportPrinter::print(this, KZDriveReports::printText(m_drives), m_hooks.runDialog);
}

void KZSMARTDataReportDocument::closeEvent(QCloseEvent *event)
{
    KZLog::log(QStringLiteral("Closing.."));
    m_detailWindows->closeAll();
    event->accept();
}
