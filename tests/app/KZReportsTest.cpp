// Saving and printing the drives' reports and viewing saved ones, as a user
// meets them: drives found by the application on a forged machine and read
// through the real smartctl, the save, open and print dialogs answered by
// the tests, printed pages read back from a PDF with pdftotext.
#include "AppTestSupport.h"

#include "KZAttributesController.h"
#include "KZDetailWindows.h"
#include "KZDriveBrowser.h"
#include "KZDriveOutlineModel.h"
#include "KZDriveReports.h"
#include "KZPreferences.h"
#include "KZProgressSheet.h"
#include "KZSMARTDataReportDocument.h"
#include "KZSMARTDrive.h"
#include "KZSavedReport.h"
#include "KZSummaryPanel.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeView>

#include <unistd.h>

using namespace AppTestSupport;

namespace {

const QString twdrFilter = QStringLiteral("TWDR report (*.twdr)");
const QString textFilter = QStringLiteral("Plain text (*.txt)");
const QString checkLocation = QStringLiteral("There was an error writing the file. Check the "
                                             "location to ensure you have write permissions.");

class Reports : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        environment.runDialog = [this](QDialog &dialog) {
            ++dialogsShown;
            return answerDialog ? answerDialog(dialog) : int(QDialog::Rejected);
        };
    }
    void TearDown() override
    {
        for (const char *key : {"ShowUnsupportedDrives", "OutputDebugMessages"})
            KZPreferences::standard().removeObjectForKey(QString::fromLatin1(key));
        AppTest::TearDown();
    }

    // The save dialog is answered with this file and type.
    void answerSave(const QString &path, const QString &filter)
    {
        answerDialog = [path, filter](QDialog &dialog) {
            auto *save = qobject_cast<QFileDialog *>(&dialog);
            if (!save)
                return int(QDialog::Rejected);
            save->selectNameFilter(filter);
            save->selectFile(path);
            return int(QDialog::Accepted);
        };
    }

    // Starts with the forged drives and selects the first.
    std::shared_ptr<KZSMARTDrive> launchWithDrive(const QByteArray &json)
    {
        machine.addDrive(QStringLiteral("sda"), json);
        launch();
        EXPECT_EQ(controller().drives().size(), 1);
        controller().setDriveSelected(0);
        return controller().drives().value(0);
    }

    KZSMARTDataReportDocument *openAndWait(const QString &path)
    {
        KZSMARTDataReportDocument *document = controller().openReportFile(path);
        EXPECT_NE(document, nullptr);
        if (document) {
            EXPECT_TRUE(waitFor([document] { return !document->isLoading(); }));
        }
        return document;
    }

    std::function<int(QDialog &)> answerDialog;
    int dialogsShown = 0;
};

QString field(KZSMARTDataReportDocument *document, const char *name)
{
    return document->driveBrowser()->summaryPanel()->field(QString::fromLatin1(name))->text();
}

QString outlineRow(KZSMARTDataReportDocument *document, int row)
{
    return document->driveBrowser()->outlineModel()->index(row, 0).data().toString();
}

// A file the save cannot replace: in a folder the user may not write to;
// for root, who may write anywhere, a file of /proc.
struct ProtectedFile
{
    ProtectedFile()
    {
        if (::geteuid() == 0) {
            path = QStringLiteral("/proc/version");
        } else {
            folder = TestSupport::homeDir() + QStringLiteral("/read-only");
            path = TestSupport::writeFile(folder + QStringLiteral("/old.twdr"), "old report\n");
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        }
        content = TestSupport::readFile(path);
    }
    ~ProtectedFile()
    {
        if (!folder.isEmpty())
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString folder;
    QString path;
    QByteArray content;
};

} // namespace

// ---- save ----

// The saved report is the capture's command blocks alone, and opened in the
// viewer it shows the same drive as the live one.
TEST_F(Reports, TWDRSaveKeepsTheCommandBlocksAndReopensAsTheLiveDrive)
{
    const auto live = launchWithDrive(passedDrive("FORGE SAVED LIVE", "SAVE0001"));
    ASSERT_TRUE(live);
    const QByteArray raw = TestSupport::readFile(live->rawCaptureFilePath());
    ASSERT_TRUE(raw.startsWith("smartctl ")) << "the raw capture starts with smartctl's banner";

    const QString target = TestSupport::homeDir() + QStringLiteral("/saved/live.twdr");
    QDir().mkpath(QFileInfo(target).path());
    answerDialog = [&](QDialog &dialog) {
        auto *save = qobject_cast<QFileDialog *>(&dialog);
        EXPECT_NE(save, nullptr);
        if (!save)
            return int(QDialog::Rejected);
        EXPECT_EQ(save->windowTitle(), "Save drive report");
        EXPECT_EQ(save->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(save->nameFilters(), QStringList({twdrFilter, textFilter}));
        // The drive's model is offered as the name.
        EXPECT_EQ(QFileInfo(save->selectedFiles().value(0)).fileName(), "FORGE SAVED LIVE.twdr");
        save->selectFile(target);
        return int(QDialog::Accepted);
    };
    controller().fileSaveAction()->trigger();
    EXPECT_EQ(dialogsShown, 1);
    EXPECT_TRUE(alerts().isEmpty());

    const QByteArray saved = TestSupport::readFile(target);
    EXPECT_TRUE(saved.startsWith("REPORT-IOCTL:"));
    EXPECT_FALSE(saved.contains("smartctl 7"));
    EXPECT_FALSE(saved.contains("START OF READ SMART DATA SECTION"));
    EXPECT_EQ(QString::fromUtf8(saved), KZSavedReport::cutBlocks(QString::fromUtf8(raw)));

    KZSMARTDataReportDocument *document = openAndWait(target);
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(document->drives().size(), 1);
    const auto replayed = document->drives().first();
    EXPECT_TRUE(replayed->driveFromFile());
    // Everything but the location reads the same.
    EXPECT_EQ(replayed->description().section('\n', 1), live->description().section('\n', 1));
}

// A capture without command blocks would save as an empty report that opens
// as nothing: the user is told why, and the file already there stays.
TEST_F(Reports, CaptureWithoutCommandBlocksIsNotSavedAndSaysWhy)
{
    const auto drive = launchWithDrive(passedDrive("FORGE NO BLOCKS", "SAVE0002"));
    ASSERT_TRUE(drive);
    TestSupport::writeFile(drive->rawCaptureFilePath(),
                           TestSupport::smartctlBanner +
                               "Smartctl open device: /dev/sda failed: No such device\n");
    const QString target =
        TestSupport::writeFile(TestSupport::homeDir() + "/saved/kept.twdr", "earlier report\n");
    answerSave(target, twdrFilter);
    controller().saveDrive();

    ASSERT_EQ(alerts().size(), 1);
    EXPECT_TRUE(alerts().first().critical);
    EXPECT_EQ(alerts().first().title, "The report was not saved");
    EXPECT_EQ(alerts().first().text,
              "The capture holds no command blocks (Smartctl open device: /dev/sda failed: No "
              "such device). Choose \"Plain text\" to save the drive's plain-text report "
              "instead.");
    EXPECT_EQ(TestSupport::readFile(target), "earlier report\n");
}

// Choosing the plain-text type turns the offered name into a .txt file, and
// the file is exactly the drive's plain-text report.
TEST_F(Reports, PlainTextSaveIsExactlyTheDrivesReport)
{
    const auto drive = launchWithDrive(passedDrive("FORGE TEXT", "SAVE0003"));
    ASSERT_TRUE(drive);
    const QString folder = TestSupport::homeDir() + QStringLiteral("/saved");
    QDir().mkpath(folder);
    QString chosen;
    answerDialog = [&](QDialog &dialog) {
        auto *save = qobject_cast<QFileDialog *>(&dialog);
        save->setDirectory(folder);
        save->selectFile(QStringLiteral("report.twdr"));
        save->selectNameFilter(textFilter);
        Q_EMIT save->filterSelected(textFilter); // as the user's choice does
        EXPECT_EQ(save->defaultSuffix(), "txt");
        chosen = save->selectedFiles().value(0);
        return int(QDialog::Accepted);
    };
    controller().saveDrive();
    EXPECT_EQ(chosen, folder + QStringLiteral("/report.txt"));
    EXPECT_TRUE(alerts().isEmpty());
    EXPECT_EQ(TestSupport::readFile(chosen), drive->description().toUtf8());
}

// A save that cannot be written says so and leaves the file it would have
// replaced as it was, in both formats.
TEST_F(Reports, FailedWriteShowsTheAlertAndLeavesTheOldFile)
{
    ASSERT_TRUE(launchWithDrive(passedDrive("FORGE READ ONLY", "SAVE0004")));
    const ProtectedFile old;
    ASSERT_FALSE(old.content.isEmpty());
    for (const QString &filter : {twdrFilter, textFilter}) {
        SCOPED_TRACE(filter.toStdString());
        const qsizetype before = alerts().size();
        answerSave(old.path, filter);
        controller().saveDrive();
        ASSERT_EQ(alerts().size(), before + 1);
        EXPECT_TRUE(alerts().last().critical);
        EXPECT_EQ(alerts().last().title, "Error writing file");
        EXPECT_TRUE(alerts().last().text.startsWith(checkLocation))
            << alerts().last().text.toStdString();
        EXPECT_EQ(TestSupport::readFile(old.path), old.content);
    }
    EXPECT_TRUE(QDir(QFileInfo(old.path).path())
                    .entryList({QFileInfo(old.path).fileName() + "*"}, QDir::Files | QDir::Hidden)
                    .size() <= 1)
        << "no temporary file is left beside it";
}

// Without a raw capture there is nothing to save: the alert comes before
// any dialog.
TEST_F(Reports, DriveWithoutACaptureIsRefusedBeforeTheDialog)
{
    const auto drive = launchWithDrive(passedDrive("FORGE NO CAPTURE", "SAVE0005"));
    ASSERT_TRUE(drive);
    ASSERT_TRUE(QFile::remove(drive->rawCaptureFilePath()));
    answerSave(TestSupport::homeDir() + "/saved/never.twdr", twdrFilter);
    controller().saveDrive();
    EXPECT_EQ(dialogsShown, 0);
    ASSERT_EQ(alerts().size(), 1);
    EXPECT_EQ(alerts().first().title, "Error writing file");
    EXPECT_EQ(alerts().first().text, checkLocation);
    EXPECT_EQ(alerts().first().buttons, QStringList({"OK"}));
    EXPECT_FALSE(QFileInfo::exists(TestSupport::homeDir() + "/saved/never.twdr"));
}

// ---- print ----

// Two drives with S.M.A.R.T. support and one without: the printout holds the
// two reports, each followed by the separator line.
TEST_F(Reports, PrintsEachSupportedDriveFollowedByTheSeparator)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    KZPreferences::standard().setBool("ShowUnsupportedDrives", true);
    machine.addDrive("sda", passedDrive("FORGE PRINTED ONE", "PRINT001"));
    machine.addUnreadableDrive("sdb");
    machine.addDrive("sdc", failingDrive("FORGE PRINTED TWO", "PRINT003"));
    launch();
    ASSERT_EQ(controller().drives().size(), 3);
    ASSERT_FALSE(controller().drives().at(1)->smartSupported());

    const QString pdf = TestSupport::homeDir() + QStringLiteral("/printed.pdf");
    answerDialog = [&](QDialog &dialog) {
        auto *print = qobject_cast<QPrintDialog *>(&dialog);
        EXPECT_NE(print, nullptr);
        if (!print)
            return int(QDialog::Rejected);
        print->printer()->setOutputFormat(QPrinter::PdfFormat);
        print->printer()->setOutputFileName(pdf);
        return int(QDialog::Accepted);
    };
    controller().filePrintAction()->trigger();
    ASSERT_EQ(dialogsShown, 1);

    QProcess reader;
    reader.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(reader.waitForFinished(TestSupport::waitLimitMs)) << "pdftotext did not end";
    const QString text = QString::fromUtf8(reader.readAllStandardOutput());
    const QString separator = QStringLiteral("--------------------------");
    EXPECT_EQ(text.count(separator), 2) << text.toStdString();
    const qsizetype one = text.indexOf("Model: FORGE PRINTED ONE");
    const qsizetype first = text.indexOf(separator);
    const qsizetype two = text.indexOf("Model: FORGE PRINTED TWO");
    const qsizetype second = text.lastIndexOf(separator);
    EXPECT_TRUE(one >= 0 && one < first && first < two && two < second) << text.toStdString();
    EXPECT_FALSE(text.contains("/dev/sdb")) << "the unsupported drive is not printed";
    EXPECT_TRUE(text.mid(second + separator.size()).trimmed().isEmpty());
}

// ---- viewer ----

// File > Open... opens a report in a window of its own: its one drive,
// already selected, the summary filled, the loading sheet gone.
TEST_F(Reports, OpenedReportShowsItsDriveSelectedWithTheSummary)
{
    const QString report =
        TestSupport::forge(passedDrive("FORGE OPENED", "VIEW0001"), QStringLiteral("opened.twdr"));
    answerDialog = [&](QDialog &dialog) {
        auto *open = qobject_cast<QFileDialog *>(&dialog);
        EXPECT_EQ(open->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_TRUE(open->nameFilters().value(0).contains("*.twdr"));
        open->selectFile(report);
        return int(QDialog::Accepted);
    };
    controller().fileOpenAction()->trigger();
    ASSERT_EQ(controller().documents().size(), 1);
    KZSMARTDataReportDocument *document = controller().documents().first();
    ASSERT_TRUE(waitFor([document] { return !document->isLoading(); }));

    EXPECT_TRUE(document->isVisible());
    EXPECT_EQ(document->windowTitle(), "opened.twdr - Tarnwell");
    EXPECT_FALSE(document->loadingSheet()->isVisible());
    // Six read steps of a replayed drive, a sixth of the bar each.
    EXPECT_EQ(document->loadingSheet()->progressBar()->value(), 100);
    ASSERT_EQ(document->driveBrowser()->outlineModel()->rowCount(), 1);
    EXPECT_EQ(outlineRow(document, 0), "FORGE OPENED");
    EXPECT_EQ(document->driveBrowser()->driveSelected(), 0);
    EXPECT_EQ(field(document, "driveModel"), "FORGE OPENED");
    EXPECT_EQ(field(document, "serialNumber"), "VIEW0001");
    EXPECT_EQ(field(document, "temperature"), "35");
    EXPECT_EQ(field(document, "overallSMARTStatus"), "PASSED");
    EXPECT_TRUE(document->printAction()->isEnabled());
    EXPECT_TRUE(alerts().isEmpty());
}

// A file smartctl cannot replay (not a capture, or empty) is never hidden as
// an unsupported drive would be: whether unsupported drives are shown or
// not, the alert comes and the drive has its row, UNKNOWN.
TEST_F(Reports, FileThatIsNoReportIsListedUnknownWithTheAlert)
{
    const struct
    {
        const char *name;
        const char *text;
        bool showUnsupported;
    } cases[] = {{"notes.twdr", "These are my notes, not a report.\n", false},
                 {"notes-shown.twdr", "These are my notes, not a report.\n", true},
                 {"empty.twdr", "", false}};
    for (const auto &file : cases) {
        SCOPED_TRACE(file.name);
        const QString path =
            TestSupport::writeFile(TestSupport::homeDir() + "/" + file.name, file.text);
        KZPreferences::standard().setBool("ShowUnsupportedDrives", file.showUnsupported);
        const qsizetype before = alerts().size();
        KZSMARTDataReportDocument *document = openAndWait(path);
        ASSERT_NE(document, nullptr);
        EXPECT_EQ(document->driveBrowser()->outlineModel()->rowCount(), 1);
        ASSERT_EQ(alerts().size() - before, 1);
        const ShownAlert &alert = alerts().last();
        EXPECT_TRUE(alert.critical);
        EXPECT_EQ(alert.title, "An Error Occurred");
        EXPECT_EQ(alert.text, "An error occurred attempting to read the file. The file may be "
                              "corrupted or in format Tarnwell is unable to read.");
        EXPECT_EQ(alert.buttons, QStringList({"OK"}));
        EXPECT_EQ(field(document, "overallSMARTStatus"), "UNKNOWN");
        document->close();
        ASSERT_TRUE(waitFor([this] { return controller().documents().isEmpty(); }));
    }
}

// Two reports open at once: each keeps its own selection and its own detail
// windows; closing one closes its windows only. Opening a report that is
// already open brings its window forward instead of a second one.
TEST_F(Reports, TwoDocumentsKeepTheirOwnSelectionAndWindows)
{
    KZSMARTDataReportDocument *first = openAndWait(
        TestSupport::forge(passedDrive("FORGE FIRST", "VIEW0002"), QStringLiteral("first.twdr")));
    const QString secondPath =
        TestSupport::forge(failingDrive("FORGE SECOND", "VIEW0003"), QStringLiteral("second.twdr"));
    KZSMARTDataReportDocument *second = openAndWait(secondPath);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(outlineRow(second, 0), "second.twdr"); // failing: by its file name

    first->driveBrowser()->summaryPanel()->button("attributesShowAll")->click();
    ASSERT_EQ(first->detailWindows()->attributesControllers().size(), 1);
    const QPointer<KZAttributesController> window =
        first->detailWindows()->attributesControllers().first().data();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(second->detailWindows()->attributesControllers().isEmpty());

    second->driveBrowser()->selectDrive(-1);
    EXPECT_EQ(second->driveBrowser()->driveSelected(), -1);
    EXPECT_EQ(first->driveBrowser()->driveSelected(), 0);
    EXPECT_EQ(field(first, "driveModel"), "FORGE FIRST");

    EXPECT_EQ(controller().openReportFile(secondPath), second);
    EXPECT_EQ(controller().documents().size(), 2);

    const QPointer<KZSMARTDataReportDocument> closing(first);
    TestSupport::StderrCapture log;
    first->close();
    ASSERT_TRUE(waitFor([&] { return !closing && !window; }));
    EXPECT_TRUE(log.text().contains("Closing..")) << log.text().toStdString();
    EXPECT_EQ(controller().documents(), QList<KZSMARTDataReportDocument *>({second}));
    EXPECT_EQ(field(second, "driveModel"), "-");
}

// A file that is not there gets a clear message and no window.
TEST_F(Reports, MissingFileIsNotOpened)
{
    const QString missing = TestSupport::homeDir() + QStringLiteral("/gone.twdr");
    EXPECT_EQ(controller().openReportFile(missing), nullptr);
    EXPECT_TRUE(controller().documents().isEmpty());
    ASSERT_EQ(alerts().size(), 1);
    EXPECT_EQ(alerts().first().title, "An Error Occurred");
    EXPECT_EQ(alerts().first().text,
              QStringLiteral("The file %1 cannot be opened: it does not exist.").arg(missing));
}
