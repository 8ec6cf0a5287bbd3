#pragma once

#include "KZMailSender.h"
#include "KZSMARTScanner.h"

#include <QDateTime>
#include <QMainWindow>
#include <functional>
#include <memory>

class KZDetailWindows;
class KZDriveBrowser;
class KZProgressSheet;
class QAction;
class QDialog;

// A saved drive report (a TWDR file) opened read-only: the captured smartctl
// output is replayed through the drive engine in the background (not queued
// behind a check of the drives), behind a loading sheet, and shown with the main window's drive
// outline and summary, in the viewer's flavour. Each document has its own drive list, selection and
// detail windows; closing it closes them. The document cannot be saved.
class KZSMARTDataReportDocument : public QMainWindow
{
    Q_OBJECT

public:
    // What the document asks of the application; every part may be left empty.
    struct Hooks
    {
        // Runs a dialog (print); default: exec().
        std::function<int(QDialog &dialog)> runDialog;
        // File > Open..., Help > Tarnwell Help and File > Quit of the application.
        std::function<void()> openReport;
        std::function<void()> showHelp;
        std::function<void()> quit;
        // The self-test windows' mail sender and clock.
        std::function<KZMailSender()> mailSender;
        std::function<QDateTime()> clock;
        // The smartctl that replays the file; empty: the system's.
        QString smartctl;
    };

    explicit KZSMARTDataReportDocument(Hooks hooks, QWidget *parent = nullptr);
    ~KZSMARTDataReportDocument() override;

    // Registers the file (readFromURL:ofType:error:): the drive list for it
    // is made; nothing is read yet.
    // Always succeeds.
    bool readFromURL(const QString &path);
    // Shows the window and starts the loading: the sheet, then the replay.
    void awakeFromNib();

    // The file shown (absolute).
    const QString &filePath() const { return m_filePath; }
    // The drives replayed from the file (one drive per file); empty while loading.
    const KZDriveList &drives() const;
    bool isLoading() const { return m_loading; }
    // Prints the reports of the document's drives (printDocument:).
    void printDocument();

    KZDriveBrowser *driveBrowser() const { return m_browser; }
    KZDetailWindows *detailWindows() const { return m_detailWindows; }
    KZProgressSheet *loadingSheet() const { return m_loadingSheet; }
    QAction *printAction() const { return m_printAction; }

Q_SIGNALS:
    // The replay has ended and the window shows its result.
    void loadingFinished();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createMenus();
    void showLoadingSheet();
    void closeLoadingSheet();
    // The replay's end on the GUI thread.
    void finishLoading();
    void updateInfoProgressBar();

    Hooks m_hooks;
    QString m_filePath;
    std::shared_ptr<KZSMARTScanner> m_smartScanner;
    KZDriveList m_drives;
    bool m_loading = false;
    double m_progress = 0;

    KZDriveBrowser *m_browser = nullptr;
    KZDetailWindows *m_detailWindows = nullptr;
    KZProgressSheet *m_loadingSheet = nullptr;
    QAction *m_printAction = nullptr;
};
