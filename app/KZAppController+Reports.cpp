// Saving and printing the drives' reports, and the viewer windows of saved
// report files.
#include "KZAppController.h"

#include "KZAlertPresenter.h"
#include "KZDriveReports.h"
#include "KZLog.h"
#include "KZMainWindow.h"
#include "KZRecordedTexts.h"
#include "KZReportPrinter.h"
#include "KZSMARTDataReportDocument.h"
#include "KZSMARTDrive.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>

namespace {

QString writeErrorTitle()
{
    return KZAppController::tr("Error writing file");
}

QString checkLocationText()
{
    return KZAppController::tr("There was an error writing the file. Check the location to "
                               "ensure you have write permissions.");
}

QString contactSupportText()
{
    return KZAppController::tr("There was an error writing the file. Please contact %1 for help.")
        .arg(KZRecordedTexts::supportEmailAddress);
}

QString twdrFilter()
{
    return KZAppController::tr("TWDR report (*.twdr)");
}

QString textFilter()
{
    return KZAppController::tr("Plain text (*.txt)");
}

// Shows the alert that goes with a save that did not succeed.
void reportSaveFailure(const KZDriveReports::SaveResult &result)
{
    using Outcome = KZDriveReports::SaveResult::Outcome;
    switch (result.outcome) {
    case Outcome::Saved:
        return;
    case Outcome::NoCapture:
        KZAlertPresenter::showCritical(writeErrorTitle(), checkLocationText());
        return;
    case Outcome::UnreadableCapture:
        KZAlertPresenter::showCritical(writeErrorTitle(), contactSupportText());
        return;
    case Outcome::NotReplayable: {
        QString reason = KZRecordedTexts::shown(result.detail);
        if (!reason.isEmpty())
            reason[0] = reason.at(0).toUpper();
        KZAlertPresenter::showCritical(
            KZAppController::tr("The report was not saved"),
            reason + QStringLiteral(". ") +
                KZAppController::tr("Choose \"Plain text\" to save the drive's plain-text "
                                    "report instead."));
        return;
    }
    case Outcome::WriteFailed:
        KZAlertPresenter::showCritical(
            writeErrorTitle(), result.detail.isEmpty() ? checkLocationText()
                                                       : QStringLiteral("%1 (%2)").arg(
                                                             checkLocationText(), result.detail));
        return;
    case Outcome::ExceptionRaised:
        KZAlertPresenter::showCritical(
            writeErrorTitle(), QStringLiteral("%1 (%2, %3)")
                                   .arg(contactSupportText(), result.exceptionName, result.detail));
        return;
    }
}

// Why a report file cannot be opened, or nothing when it can.
std::optional<QString> unopenableReason(const QFileInfo &file)
{
    if (!file.exists())
        return KZAppController::tr("it does not exist");
    if (file.isDir())
        return KZAppController::tr("it is a folder");
    if (!file.isReadable())
        return KZAppController::tr("you are not allowed to read it");
    return std::nullopt;
}

} // namespace

int KZAppController::runDialog(QDialog &dialog) const
{
    return m_environment.runDialog ? m_environment.runDialog(dialog) : dialog.exec();
}

void KZAppController::setUpReportActions()
{
    connect(m_openAction, &QAction::triggered, this, &KZAppController::openDocument);
    connect(m_saveAction, &QAction::triggered, this, &KZAppController::saveDrive);
    connect(m_printAction, &QAction::triggered, this, &KZAppController::print);
    m_openAction->setEnabled(true);
    connect(this, &KZAppController::scanFinished, this, &KZAppController::updateReportActions);
    connect(this, &KZAppController::updateFinished, this, &KZAppController::updateReportActions);
    updateReportActions();
}

void KZAppController::updateReportActions()
{
    const bool any = !drives().isEmpty();
    m_saveAction->setEnabled(any);
    m_printAction->setEnabled(any);
}

// ---- save ----

void KZAppController::saveDrive()
{
    if (isBusy()) {
        KZLog::log(QStringLiteral("Save skipped: a scan or update is running."));
        return;
    }
    const KZDriveList &list = drives();
    if (m_driveSelected < 0 || m_driveSelected >= list.size())
        return;
    const std::shared_ptr<KZSMARTDrive> drive = list.at(m_driveSelected);
    if (!KZDriveReports::hasRawCapture(*drive)) {
        KZAlertPresenter::showCritical(writeErrorTitle(), checkLocationText());
        return;
    }

    QFileDialog dialog(m_drivesWindow, tr("Save drive report"));
    dialog.setObjectName(QStringLiteral("driveSavePanel"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({twdrFilter(), textFilter()});
    dialog.setDefaultSuffix(KZDriveReports::suffix(KZDriveReports::Format::TWDR));
    dialog.selectFile(KZDriveReports::suggestedFileName(*drive, KZDriveReports::Format::TWDR));
    // The type chosen decides the suffix (setFileType:), also of the name
    // already in the field.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
        const QString suffix =
            KZDriveReports::suffix(filter == textFilter() ? KZDriveReports::Format::PlainText
                                                          : KZDriveReports::Format::TWDR);
        dialog.setDefaultSuffix(suffix);
        const QStringList chosen = dialog.selectedFiles();
        if (chosen.size() != 1)
            return;
        const QFileInfo file(chosen.first());
        if (file.suffix() == QLatin1String("twdr") || file.suffix() == QLatin1String("txt"))
            dialog.selectFile(file.completeBaseName() + QLatin1Char('.') + suffix);
    });
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return;
    const QString path = chosen.first();
    const KZDriveReports::Format format = KZDriveReports::formatForPath(
        path, dialog.selectedNameFilter() == textFilter() ? KZDriveReports::Format::PlainText
                                                          : KZDriveReports::Format::TWDR);
    const KZDriveReports::SaveResult result =
        KZDriveReports::saveDrive(*drive, path, format, m_outputDebugMessages);
    if (result.outcome == KZDriveReports::SaveResult::Outcome::Saved)
        KZLog::debug(m_outputDebugMessages, QStringLiteral("Saved the report to %1.").arg(path));
    reportSaveFailure(result);
}

// ---- print ----

void KZAppController::print()
{
    if (isBusy()) {
        KZLog::log(QStringLiteral("Printing skipped: a scan or update is running."));
        return;
    }
    KZReportPrinter::print(m_drivesWindow, KZDriveReports::printText(drives()),
                           [this](QDialog &dialog) { return runDialog(dialog); });
}

// ---- viewer documents ----

void KZAppController::openDocument()
{
    QWidget *parent = QApplication::activeWindow();
    QFileDialog dialog(parent ? parent : m_drivesWindow, tr("Open drive report"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters({tr("TWDR reports (*.twdr)"), tr("All files (*)")});
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    for (const QString &path : dialog.selectedFiles())
        openReportFile(path);
}

void KZAppController::openReportFiles(const QStringList &paths)
{
    // Later, on the GUI thread's next turn: a call that came over D-Bus gets
    // its answer at once, even when an alert follows.
    QTimer::singleShot(0, this, [this, paths] {
        for (const QString &path : paths)
            openReportFile(path);
    });
}

KZSMARTDataReportDocument *KZAppController::openReportFile(const QString &path)
{
    const QFileInfo file(path);
    const QString absolute = file.absoluteFilePath();
    for (const QPointer<KZSMARTDataReportDocument> &document : std::as_const(m_documents)) {
        if (document && document->filePath() == absolute) {
            document->show();
            document->raise();
            document->activateWindow();
            return document;
        }
    }
    if (const std::optional<QString> reason = unopenableReason(file)) {
        KZLog::log(QStringLiteral("Cannot open %1: %2.").arg(absolute, *reason));
        KZAlertPresenter::showCritical(tr("An Error Occurred"),
                                       tr("The file %1 cannot be opened: %2.")
                                           .arg(QDir::toNativeSeparators(absolute), *reason));
        return nullptr;
    }

    QPointer<KZAppController> self(this);
    KZSMARTDataReportDocument::Hooks hooks;
    hooks.runDialog = [self](QDialog &dialog) {
        return self ? self->runDialog(dialog) : int(QDialog::Rejected);
    };
    hooks.openReport = [self] {
        if (self)
            self->openDocument();
    };
    hooks.showHelp = [self] {
        if (self)
            self->showHelp();
    };
    hooks.quit = [self] {
        if (self)
            self->m_drivesWindow->close();
    };
    hooks.mailSender = [self] {
        return self ? self->mailSender(KZMailSender::Copy::SelfTest)
                    : KZMailSender(KZMailSender::Copy::SelfTest);
    };
    hooks.clock = [self] { return self ? self->now() : QDateTime::currentDateTime(); };
    hooks.smartctl = m_environment.options.smartctl;

    auto *document = new KZSMARTDataReportDocument(std::move(hooks));
    connect(this, &QObject::destroyed, document, &QObject::deleteLater);
    m_documents.removeAll(nullptr);
    m_documents.append(document);
    document->readFromURL(absolute);
    document->awakeFromNib();
    return document;
}

QList<KZSMARTDataReportDocument *> KZAppController::documents() const
{
    QList<KZSMARTDataReportDocument *> open;
    for (const QPointer<KZSMARTDataReportDocument> &document : m_documents) {
        if (document)
            open.append(document);
    }
    return open;
}
