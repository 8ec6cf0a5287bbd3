// The engine as a desktop user's program runs it: every smartctl run goes
// through pkexec and the helper. "Not root" is the setup the tests inject (they
// run as root); pkexec is a stand-in that records its arguments and then
// runs the test build of the helper, which runs the recording stand-in
// smartctl (replaying a capture through the real smartctl where one is given).

#include "KZSmartctlHelper.h"
#include "HelperTestSupport.h"
#include "KZDriveCheck.h"
#include "KZSMARTDrive.h"
#include "KZSMARTScanner.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using HelperTestSupport::TestDisk;

namespace {

class ThroughHelper : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KZSmartctlHelper::setSetupForTesting(KZSmartctlHelper::Setup{
            false, HelperTestSupport::testHelper(), TestSupport::fake("fake-pkexec")});
        qputenv("FAKE_PKEXEC_RECORD", QFile::encodeName(m_folder.filePath("pkexec-calls")));
        qunsetenv("FAKE_PKEXEC_ANSWER");
        HelperTestSupport::clearStandinCalls();
    }
    void TearDown() override
    {
        HelperTestSupport::clearStandinCalls();
        KZSmartctlHelper::setSetupForTesting(std::nullopt);
        qunsetenv("FAKE_PKEXEC_RECORD");
        qunsetenv("FAKE_PKEXEC_ANSWER");
    }

    // Each call of the pkexec stand-in: its arguments.
    QList<QStringList> pkexecCalls() const
    {
        QList<QStringList> calls{{}};
        const QString text =
            QString::fromUtf8(TestSupport::readFile(m_folder.filePath("pkexec-calls")));
        for (const QString &line : text.split('\n', Qt::SkipEmptyParts)) {
            if (line == QLatin1String("----"))
                calls.append(QStringList());
            else
                calls.last().append(line);
        }
        calls.removeLast();
        return calls;
    }

    static KZSMARTDrive drive(const QString &location)
    {
        KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
        drive.setLocation(location);
        return drive;
    }

    QTemporaryDir m_folder;
};

QStringList viaHelper(const QString &mode, const QStringList &smartctlArguments)
{
    return QStringList{"--disable-internal-agent", HelperTestSupport::testHelper(), mode} +
           smartctlArguments;
}

} // namespace

TEST_F(ThroughHelper, EveryCommandRunsThroughPkexecWithItsExactCommandLine)
{
    const TestDisk disk;
    SKIP_WITHOUT_DEVICE_NODES(disk);
    const QStringList permissive{"-T", "verypermissive"};
    struct Row
    {
        quint64 code;
        QStringList normal;     // without the device; empty: runs smartctl directly
        QStringList permissive; // the same in very-permissive mode
    };
    // The commands the engine runs on a disk.
    const Row rows[] = {
        {3, {"-c"}, permissive + QStringList{"-c"}},
        {6, {"-l", "selftest"}, permissive + QStringList{"-l", "selftest"}},
        {8, {"-t", "short"}, {}},
        {9, {"-t", "long"}, {}},
        {10, {"-X"}, {}},
        {11, {}, {}},
        {12, {"-s", "on"}, {"-s", "on"}},
        {14, {"-r", "ataioctl,2", "-a"}, permissive + QStringList{"-r", "ataioctl,2", "-a"}},
    };
    for (const bool veryPermissive : {false, true}) {
        KZSMARTDrive subject = drive(disk.path());
        if (veryPermissive) {
            // An ambiguous answer whose retry gives nothing leaves permissive mode on.
            subject.setOutputProvider([](const QStringList &arguments) {
                return arguments.first() == QLatin1String("-T")
                           ? std::nullopt
                           : std::optional(
                                 QStringList{"smartctl 7.3", "(C)", "SMART support is: Ambiguous"});
            });
            subject.parseInfo();
            subject.setOutputProvider(nullptr);
            ASSERT_TRUE(subject.runVeryPermissive());
        }
        for (const Row &row : rows) {
            const QStringList expected = veryPermissive ? row.permissive : row.normal;
            const qsizetype pkexecBefore = pkexecCalls().size();
            const qsizetype standinBefore = HelperTestSupport::standinCalls().size();
            subject.setArgumentCode(row.code);
            if (row.code == KZSMARTDrive::RawCapture)
                subject.saveRawData();
            else
                subject.runSMARTbinary(false);
            const QList<QStringList> calls = pkexecCalls();
            if (expected.isEmpty()) {
                // The tool version needs no privileges: smartctl itself runs it.
                EXPECT_EQ(calls.size(), pkexecBefore) << row.code;
                EXPECT_FALSE(subject.smartctlCommand()->throughHelper) << row.code;
                continue;
            }
            ASSERT_EQ(calls.size(), pkexecBefore + 1) << row.code;
            EXPECT_EQ(calls.last(), viaHelper("--read", expected + QStringList{disk.path()}))
                << row.code;
            const QList<QStringList> standin = HelperTestSupport::standinCalls();
            ASSERT_EQ(standin.size(), standinBefore + 1) << row.code;
            EXPECT_EQ(standin.last().mid(0, expected.size() + 1),
                      expected + QStringList{disk.path()});
        }
    }

    // Typed options go under the action that asks for an administrator.
    KZSMARTDrive subject = drive(disk.path());
    subject.runOptions("  -x   -d sat ");
    EXPECT_EQ(pkexecCalls().last(), viaHelper("--options", {"-x", "-d", "sat", disk.path()}));
}

TEST_F(ThroughHelper, ARefreshReadsTheDiskAndTheCaptureIsWrittenByTheEngine)
{
    SKIP_WITHOUT_SMARTCTL();
    const TestDisk disk;
    SKIP_WITHOUT_DEVICE_NODES(disk);
    disk.setCapture(TestSupport::sourceDir() + "/resources/samples/healthy.twdr");
    KZSMARTDrive subject = drive(disk.path());
    QDir().mkpath(QFileInfo(subject.rawCaptureFilePath()).absolutePath());
    QFile::remove(subject.rawCaptureFilePath());
    subject.updateInfo();

    EXPECT_TRUE(subject.smartSupported());
    EXPECT_EQ(subject.driveModel(), "FORGE HX16000 ENTERPRISE");
    EXPECT_EQ(subject.driveSerialNumber(), "ZL2FRG0A");
    EXPECT_EQ(subject.driveHealth(), 1);
    EXPECT_EQ(subject.driveAttributeCount(), 14);
    // One question to polkit per refresh.
    EXPECT_EQ(pkexecCalls(),
              QList<QStringList>{viaHelper("--read", {"-r", "ataioctl,2", "-a", disk.path()})});
    const QByteArray capture = TestSupport::readFile(subject.rawCaptureFilePath());
    EXPECT_TRUE(capture.startsWith("smartctl "));
    EXPECT_TRUE(capture.contains("REPORT-IOCTL: Device="));
}

TEST_F(ThroughHelper, PkexecRefusalIsTheDrivesErrorAskedOncePerRefreshAndLoggedOncePerScan)
{
    const TestDisk first;
    SKIP_WITHOUT_DEVICE_NODES(first);
    const TestDisk second;
    qputenv("FAKE_PKEXEC_ANSWER", "not-authorized");
    KZSMARTScanner scanner = KZSMARTScanner::initForCommandLine();
    scanner.setShowUnsupportedDrives(false);
    for (const TestDisk *disk : {&first, &second})
        scanner.addDrive(std::make_shared<KZSMARTDrive>(drive(disk->path())));

    for (int scan = 1; scan <= 2; ++scan) {
        TestSupport::StderrCapture log;
        scanner.updateDrives();
        const QString logged = log.text();
        EXPECT_EQ(logged.count("Not authorized to read this disk"), 1) << logged.toStdString();
        // The drives are read side by side: whichever is refused first says it.
        EXPECT_TRUE(logged.contains(first.path() + ": Not authorized to read this disk") ||
                    logged.contains(second.path() + ": Not authorized to read this disk"))
            << logged.toStdString();
        ASSERT_EQ(scanner.getDrives().size(), 2);
        for (const auto &refused : scanner.getDrives()) {
            EXPECT_FALSE(refused->smartSupported());
            EXPECT_EQ(refused->driveReadFailure(), KZSMARTDrive::ReadFailure::Refused);
            EXPECT_EQ(refused->driveHealth(), 0);
            EXPECT_EQ(refused->getLastSMARTErrorMessage(),
                      "Not authorized to read this disk: polkit does not allow it");
        }
        // One question per drive and refresh: no second dialog after a refusal.
        EXPECT_EQ(pkexecCalls().size(), 2 * scan);
    }
    // Never taken for drives without S.M.A.R.T. support: the check cannot tell.
    const KZDriveList &drives = scanner.getDrives();
    EXPECT_EQ(KZDriveCheck::checkState(drives, true), KZDriveCheck::Unknown);
    const QString report = KZDriveCheck::textReport(drives, true);
    EXPECT_TRUE(report.startsWith("TARNWELL UNKNOWN - 2 drives: 2 UNKNOWN"))
        << report.toStdString();
    EXPECT_EQ(report.count("  Not authorized to read this disk: polkit does not allow it\n"), 2);
    EXPECT_TRUE(HelperTestSupport::standinCalls().isEmpty());
}

TEST_F(ThroughHelper, EachRefusalSaysWhyInItsOwnWords)
{
    const TestDisk disk;
    SKIP_WITHOUT_DEVICE_NODES(disk);
    const TestDisk partition(QStringLiteral("p1"));
    struct Row
    {
        const char *answer;
        QString location;
        QString error;
    };
    const Row rows[] = {
        {"dismissed", disk.path(),
         "Not authorized to read this disk: the authentication was dismissed"},
        {"no-agent", disk.path(),
         "Not authorized to read this disk: no authentication agent found"},
        // pkexec lets it through; the helper refuses, and its line is the reason.
        {"", partition.path(),
         "tarnwell-smartctl-helper: refused: \"" + partition.path() + "\" is not a whole disk"},
    };
    for (const Row &row : rows) {
        qputenv("FAKE_PKEXEC_ANSWER", row.answer);
        KZSMARTDrive subject = drive(row.location);
        TestSupport::StderrCapture log;
        subject.updateInfo();
        EXPECT_EQ(subject.driveReadFailure(), KZSMARTDrive::ReadFailure::Refused) << row.answer;
        EXPECT_EQ(subject.getLastSMARTErrorMessage(), row.error) << row.answer;
        if (!QString(row.answer).isEmpty())
            continue;
        EXPECT_TRUE(log.text().contains(row.location + ": " + row.error))
            << log.text().toStdString();
    }
    EXPECT_TRUE(HelperTestSupport::standinCalls().isEmpty());
}

TEST_F(ThroughHelper, RootANamedProgramAReplayOrAMissingPieceRunSmartctlDirectly)
{
    const QString helper = HelperTestSupport::testHelper();
    const QString pkexec = TestSupport::fake("fake-pkexec");
    struct Row
    {
        const char *what;
        KZSmartctlHelper::Setup setup;
        QString smartctlOverride;
        bool fromFile;
        bool throughHelper;
    };
    const Row rows[] = {
        {"desktop user", {false, helper, pkexec}, {}, false, true},
        {"root", {true, helper, pkexec}, {}, false, false},
        {"no helper", {false, {}, pkexec}, {}, false, false},
        {"no pkexec", {false, helper, {}}, {}, false, false},
        {"--smartctl", {false, helper, pkexec}, "/bin/true", false, false},
        {"replayed capture", {false, helper, pkexec}, {}, true, false},
    };
    for (const Row &row : rows) {
        KZSmartctlHelper::setSetupForTesting(row.setup);
        KZSMARTDrive subject = drive("/dev/sda");
        subject.setDriveAsFile(row.fromFile);
        if (!row.smartctlOverride.isEmpty())
            subject.setSmartctlOverride(row.smartctlOverride);
        subject.setArgumentCode(KZSMARTDrive::RawCapture);
        const auto command = subject.smartctlCommand();
        ASSERT_TRUE(command) << row.what;
        EXPECT_EQ(command->throughHelper, row.throughHelper) << row.what;
        if (row.throughHelper) {
            EXPECT_EQ(command->program, pkexec);
            EXPECT_EQ(command->arguments,
                      viaHelper("--read", {"-r", "ataioctl,2", "-a", "/dev/sda"}));
        } else {
            EXPECT_EQ(command->program, subject.getsmartctlPath()) << row.what;
            EXPECT_EQ(command->arguments, subject.argumentList()) << row.what;
        }
    }
}
