#include "KZAlertPresenter.h"
#include "KZAtomicFile.h"
#include "KZLog.h"
#include "KZPaths.h"
#include "KZPreferences.h"
#include "KZTranslations.h"
#include "TestSupport.h"

#include <QFile>
#include <QSettings>

#include <QDir>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

QString freshPreferencesFile()
{
    static int counter = 0;
    return TestSupport::homeDir() + QStringLiteral("/prefs-%1/Tarnwell.conf").arg(++counter);
}

} // namespace

TEST(Preferences, RegisteredDefaultsAreReadButNeverWritten)
{
    const QString path = freshPreferencesFile();
    KZPreferences preferences(path);
    preferences.registerApplicationDefaults();
    EXPECT_TRUE(preferences.boolForKey("AutoExpandDrives"));
    EXPECT_FALSE(preferences.boolForKey("OutputDebugMessages"));
    EXPECT_TRUE(preferences.boolForKey("IgnoreAttribute190"));
    EXPECT_EQ(preferences.integerForKey("PollingInterval"), 3600);
    EXPECT_EQ(preferences.integerForKey("CustomErrorCountValue"), 50);
    EXPECT_EQ(preferences.integerForKey("EmailCustomPort"), 25);
    EXPECT_TRUE(preferences.boolForKey("Blink1DriveFailed"));
    EXPECT_FALSE(preferences.stringForKey("EmailHostName").isEmpty());
    EXPECT_FALSE(preferences.hasStoredValue("AutoExpandDrives"));
    preferences.synchronize();
    EXPECT_FALSE(QFile::exists(path) && !TestSupport::readFile(path).trimmed().isEmpty());
}

TEST(Preferences, TrayProgramLacksTheLedKeysAndHasTheTextPort)
{
    KZPreferences preferences(freshPreferencesFile());
    preferences.registerMenuItemDefaults();
    EXPECT_FALSE(preferences.objectForKey("Blink1DrivePassed").isValid());
    EXPECT_FALSE(preferences.boolForKey("Blink1DrivePassed"));
    EXPECT_EQ(preferences.objectForKey("EmailCustomPort").toString(), "25");
    EXPECT_EQ(preferences.integerForKey("EmailCustomPort"), 25);
}

TEST(Preferences, StoredValuesOverrideDefaultsAndSurviveAReopen)
{
    const QString path = freshPreferencesFile();
    {
        KZPreferences preferences(path);
        preferences.registerApplicationDefaults();
        preferences.setBool("AutoExpandDrives", false);
        preferences.setInteger("PollingInterval", 7200);
        preferences.setString("EmailHostName", QString::fromUtf8("hôte-ünïcode"));
        preferences.setDate("/dev/sda_TestEndTime",
                            QDateTime(QDate(2026, 12, 7), QTime(10, 30), Qt::UTC));
    }
    KZPreferences reopened(path);
    reopened.registerApplicationDefaults();
    EXPECT_FALSE(reopened.boolForKey("AutoExpandDrives"));
    EXPECT_EQ(reopened.integerForKey("PollingInterval"), 7200);
    EXPECT_EQ(reopened.stringForKey("EmailHostName"), QString::fromUtf8("hôte-ünïcode"));
    EXPECT_EQ(reopened.dateForKey("/dev/sda_TestEndTime"),
              QDateTime(QDate(2026, 12, 7), QTime(10, 30), Qt::UTC));
    EXPECT_FALSE(reopened.dateForKey("/dev/sdb_TestEndTime").isValid());
    // Booleans are written as true/false.
    EXPECT_TRUE(TestSupport::readFile(path).contains("AutoExpandDrives=false"));

    reopened.removeObjectForKey("AutoExpandDrives");
    EXPECT_TRUE(reopened.boolForKey("AutoExpandDrives"));
}

TEST(Preferences, BooleansAreReadWhateverTheSpelling)
{
    const QString path = freshPreferencesFile();
    TestSupport::writeFile(path, "[General]\n"
                                 "a=YES\nb=NO\nc=true\nd=false\ne=1\nf=0\ng=yes\nh=no\ni=\nj=2\n");
    KZPreferences preferences(path);
    EXPECT_TRUE(preferences.boolForKey("a"));
    EXPECT_FALSE(preferences.boolForKey("b"));
    EXPECT_TRUE(preferences.boolForKey("c"));
    EXPECT_FALSE(preferences.boolForKey("d"));
    EXPECT_TRUE(preferences.boolForKey("e"));
    EXPECT_FALSE(preferences.boolForKey("f"));
    EXPECT_TRUE(preferences.boolForKey("g"));
    EXPECT_FALSE(preferences.boolForKey("h"));
    EXPECT_FALSE(preferences.boolForKey("i"));
    EXPECT_TRUE(preferences.boolForKey("j"));
    EXPECT_FALSE(preferences.boolForKey("never-set"));
    EXPECT_EQ(preferences.integerForKey("a"), 1);
    EXPECT_EQ(preferences.integerForKey("b"), 0);
}

TEST(Preferences, KeysWithSlashesAndSerialNumbersStayDistinct)
{
    KZPreferences preferences(freshPreferencesFile());
    preferences.setInteger("/dev/sda_LastErrorCount", 3);
    preferences.setInteger("dev/sda_LastErrorCount", 4);
    preferences.setInteger("WD-WCC6Y 0001/A_LastReallocatedSectorCount", 5);
    EXPECT_EQ(preferences.integerForKey("/dev/sda_LastErrorCount"), 3);
    EXPECT_EQ(preferences.integerForKey("dev/sda_LastErrorCount"), 4);
    EXPECT_EQ(preferences.integerForKey("WD-WCC6Y 0001/A_LastReallocatedSectorCount"), 5);
}

TEST(Preferences, ChangesOfAnotherProcessAreSeenOnTheNextRead)
{
    const QString path = freshPreferencesFile();
    KZPreferences reader(path);
    reader.registerApplicationDefaults();
    EXPECT_FALSE(reader.boolForKey("ShowUnsupportedDrives"));
    KZPreferences writer(path);
    writer.setBool("ShowUnsupportedDrives", true);
    EXPECT_TRUE(reader.boolForKey("ShowUnsupportedDrives"));
}

using TestSupport::FileState;
using TestSupport::fileState;

TEST(Preferences, BatchReadsWhatWasThereAtItsStartAndWritesOnceAtItsEnd)
{
    const QString path = freshPreferencesFile();
    TestSupport::writeFile(path, "[General]\nRememberBadSectors=true\nOther=1\n");
    KZPreferences preferences(path);
    // The other program changes the file before the batch begins: seen.
    TestSupport::writeFile(path, "[General]\nRememberBadSectors=false\nOther=22\n");
    {
        const KZPreferences::Batch batch(preferences);
        EXPECT_FALSE(preferences.boolForKey("RememberBadSectors"));
        const FileState before = fileState(path);
        // Changes of the batch stay in memory, readable at once.
        preferences.setInteger("SN1_LastErrorCount", 7);
        preferences.setInteger("SN2_LastErrorCount", 8);
        preferences.removeObjectForKey("Other");
        EXPECT_EQ(preferences.integerForKey("SN1_LastErrorCount"), 7);
        EXPECT_FALSE(preferences.hasStoredValue("Other"));
        EXPECT_EQ(fileState(path), before);
        // A change of the other program while the batch runs is not read
        // before the batch ends, and is not lost by its write.
        TestSupport::writeFile(path, "[General]\nRememberBadSectors=false\nOther=22\nTheirs=5\n");
        EXPECT_FALSE(preferences.hasStoredValue("Theirs"));
    }
    const QByteArray written = TestSupport::readFile(path);
    EXPECT_TRUE(written.contains("SN1_LastErrorCount=7"));
    EXPECT_TRUE(written.contains("SN2_LastErrorCount=8"));
    EXPECT_TRUE(written.contains("Theirs=5"));
    EXPECT_FALSE(written.contains("Other="));
    EXPECT_EQ(preferences.integerForKey("Theirs"), 5);
}

TEST(Preferences, StoringAnUnchangedValueWritesNothing)
{
    const QString path = freshPreferencesFile();
    KZPreferences preferences(path);
    preferences.setInteger("SN_LastReallocatedSectorCount", 3);
    preferences.setBool("RememberBadSectors", true);
    preferences.setDate("/dev/sda_TestEndTime", QDateTime(QDate(2026, 1, 2), QTime(3, 4), Qt::UTC));
    const FileState written = fileState(path);
    KZPreferences reopened(path);
    reopened.setInteger("SN_LastReallocatedSectorCount", 3);
    reopened.setBool("RememberBadSectors", true);
    reopened.setDate("/dev/sda_TestEndTime", QDateTime(QDate(2026, 1, 2), QTime(3, 4), Qt::UTC));
    reopened.removeObjectForKey("NeverStored");
    {
        const KZPreferences::Batch batch(reopened);
        reopened.setInteger("SN_LastReallocatedSectorCount", 4);
        reopened.setInteger("SN_LastReallocatedSectorCount", 3);
    }
    EXPECT_EQ(fileState(path), written);
    reopened.setInteger("SN_LastReallocatedSectorCount", 5);
    EXPECT_NE(fileState(path), written);
}

TEST(Preferences, RememberedCountsOfABatchAreThoseOfThePreviousCheck)
{
    KZPreferences preferences;
    preferences.setInteger("SN_LastErrorCount", 10);
    {
        const KZPreferences::Batch batch(preferences);
        EXPECT_EQ(preferences.rememberedIntegerForKey("SN_LastErrorCount"), 10);
        preferences.setInteger("SN_LastErrorCount", 12); // the first node of the disk
        EXPECT_EQ(preferences.rememberedIntegerForKey("SN_LastErrorCount"), 10);
        EXPECT_EQ(preferences.integerForKey("SN_LastErrorCount"), 12);
        preferences.setInteger("New_LastErrorCount", 1);
        EXPECT_EQ(preferences.rememberedIntegerForKey("New_LastErrorCount"), 0);
    }
    EXPECT_EQ(preferences.rememberedIntegerForKey("SN_LastErrorCount"), 12);
}

TEST(Preferences, StoreInMemoryWritesNoFileAndCanStandInForTheProcessStore)
{
    KZPreferences memory;
    memory.registerApplicationDefaults();
    EXPECT_TRUE(memory.fileName().isEmpty());
    EXPECT_EQ(memory.integerForKey("PollingInterval"), 3600);
    memory.setInteger("PollingInterval", 7200);
    memory.setString("EmailHostName", "host");
    EXPECT_EQ(memory.integerForKey("PollingInterval"), 7200);
    memory.removeObjectForKey("PollingInterval");
    EXPECT_EQ(memory.integerForKey("PollingInterval"), 3600);

    KZPreferences::setStandard(&memory);
    EXPECT_EQ(&KZPreferences::standard(), &memory);
    KZPreferences::standard().setBool("OnlyInMemory", true);
    KZPreferences::setStandard(nullptr);
    EXPECT_NE(&KZPreferences::standard(), &memory);
    EXPECT_FALSE(KZPreferences::standard().hasStoredValue("OnlyInMemory"));
}

TEST(Preferences, CountersChangedFromManyThreadsLoseNothing)
{
    const QString path = freshPreferencesFile();
    KZPreferences preferences(path);
    std::vector<std::thread> threads;
    {
        const KZPreferences::Batch batch(preferences);
        for (int thread = 0; thread < 8; ++thread)
            threads.emplace_back([&] {
                for (int step = 0; step < 50; ++step)
                    preferences.addToInteger("TestsInProgress", 1);
            });
        for (std::thread &thread : threads)
            thread.join();
    }
    EXPECT_EQ(KZPreferences(path).integerForKey("TestsInProgress"), 400);
    EXPECT_EQ(preferences.addToInteger("TestsInProgress", -1000, 0), 0);
}

TEST(AtomicFile, ReplacesTheFileAndRemovesWhatAKilledWriterLeft)
{
    const QString folder = TestSupport::homeDir() + "/atomic";
    const QString path = TestSupport::writeFile(folder + "/DrivesList.plist", "old");
    // Temporary files of a write cut short between its link and its rename,
    // beside files that only look alike.
    const QStringList leftovers{"DrivesList.plist.AbCdEf", "DrivesList.plist.zzzzzz"};
    const QStringList others{"DrivesList.plist.lock", "DrivesList.plist.AbCdE1",
                             "DrivesList.plist.AbCdEfG", "Other.plist.AbCdEf",
                             "DrivesList.plistXAbCdEf"};
    for (const QString &name : leftovers + others)
        TestSupport::writeFile(folder + "/" + name, "x");
    QString error;
    ASSERT_TRUE(KZAtomicFile::write(path, "new", &error)) << error.toStdString();
    EXPECT_EQ(TestSupport::readFile(path), "new");
    for (const QString &name : leftovers)
        EXPECT_FALSE(QFile::exists(folder + "/" + name)) << name.toStdString();
    for (const QString &name : others)
        EXPECT_TRUE(QFile::exists(folder + "/" + name)) << name.toStdString();

    EXPECT_FALSE(KZAtomicFile::write(folder + "/missing/file", "x", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(AtomicFile, WritersOfOneFolderTakeTurns)
{
    const QString folder = TestSupport::homeDir() + "/atomic-lock";
    QDir().mkpath(folder);
    std::optional<KZAtomicFile::FolderLock> held(std::in_place, folder);
    ASSERT_TRUE(held->isHeld());
    // Another process cannot take the lock while it is held, and takes it
    // once the holder is gone.
    const auto childTakes = [&folder] {
        const pid_t child = ::fork();
        if (child == 0) {
            const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
            ::_exit(::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    EXPECT_FALSE(childTakes());
    held.reset();
    EXPECT_TRUE(childTakes());
}

TEST(Paths, FollowTheXdgFolders)
{
    const QString home = TestSupport::homeDir();
    EXPECT_EQ(KZPaths::preferencesFile(), home + "/config/Tarnwell/Tarnwell.conf");
    EXPECT_EQ(KZPaths::logFile(), home + "/state/Tarnwell/Tarnwell.log");
    EXPECT_EQ(KZPaths::rawCaptureFile("sda"), home + "/state/Tarnwell/sda.twdr");
    EXPECT_EQ(KZPaths::dataFolder(), home + "/data/Tarnwell");
    KZPaths::createFolders();
    EXPECT_TRUE(QFileInfo(KZPaths::logFolder()).isDir());
    EXPECT_TRUE(QFileInfo(KZPaths::dataFolder()).isDir());
}

TEST(Log, DebugLinesOnlyWhileDebuggingIsOn)
{
    TestSupport::StderrCapture capture;
    KZLog::log("always written");
    KZLog::debug(false, "hidden debug line");
    KZLog::debug(true, "shown debug line");
    const QString text = capture.text();
    EXPECT_TRUE(text.contains("always written"));
    EXPECT_FALSE(text.contains("hidden debug line"));
    EXPECT_TRUE(text.contains("shown debug line"));
    EXPECT_EQ(text.count('\n'), 2);
}

// The language comes from LANGUAGE (a list, best first), else from the
// first of LC_ALL, LC_MESSAGES and LANG that is set; one without a
// catalogue gives way to the next, and English is the last resort.
TEST(Translations, LanguageFromTheEnvironment)
{
    const char *const variables[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    const struct
    {
        const char *values[4];
        const char *language;
    } cases[] = {{{"fr_CA:en", "", "", ""}, "fr"},
                 {{"de:fr", "", "", "en_US.UTF-8"}, "fr"},
                 {{"en_GB:fr", "", "", "fr_FR.UTF-8"}, "en"},
                 {{"", "", "fr_FR.UTF-8", "en_US.UTF-8"}, "fr"},
                 {{"", "C", "fr_FR.UTF-8", ""}, "en"},
                 {{"", "", "", "fr_BE.ISO-8859-1@euro"}, "fr"},
                 {{"", "", "", "de_DE.UTF-8"}, "en"},
                 {{"", "", "", ""}, "en"}};
    QList<std::optional<QByteArray>> saved;
    for (const char *variable : variables)
        saved << (qEnvironmentVariableIsSet(variable) ? std::optional(qgetenv(variable))
                                                      : std::nullopt);
    for (const auto &item : cases) {
        for (int index = 0; index < 4; ++index) {
            if (*item.values[index])
                qputenv(variables[index], item.values[index]);
            else
                qunsetenv(variables[index]);
        }
        EXPECT_EQ(KZTranslations::languageFor(KZTranslations::userLanguages()), item.language)
            << item.values[0] << " " << item.values[1] << " " << item.values[2] << " "
            << item.values[3];
    }
    for (int index = 0; index < 4; ++index) {
        if (saved[index])
            qputenv(variables[index], *saved[index]);
        else
            qunsetenv(variables[index]);
    }
}

TEST(AlertPresenter, CommandLineModeLogsTheAlertAndAnswersTheFirstButton)
{
    TestSupport::StderrCapture capture;
    EXPECT_EQ(KZAlertPresenter::current().runAlert(KZAlertPresenter::Style::Critical, "Title",
                                                   "Some text", {"OK", "Cancel"}),
              0);
    EXPECT_TRUE(capture.text().contains("Alert: Title Some text"));
}

TEST(Log, StandardErrorIsAppendedToTheLogFile)
{
    const QString path = TestSupport::homeDir() + "/logs/nested/Tarnwell.log";
    TestSupport::writeFile(path, "earlier line\n");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!KZLog::redirectStandardErrorTo(path))
            ::_exit(2);
        KZLog::log("written by the child");
        std::fprintf(stderr, "raw stderr text\n");
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const QString text = QString::fromUtf8(TestSupport::readFile(path));
    EXPECT_TRUE(text.startsWith("earlier line\n"));
    EXPECT_TRUE(text.contains("written by the child"));
    EXPECT_TRUE(text.contains("raw stderr text"));
}

TEST(Preferences, EveryChangeReachesTheChangeHookOnceItIsWritten)
{
    KZPreferences preferences(freshPreferencesFile());
    preferences.registerApplicationDefaults();
    QStringList changed;
    preferences.setChangeHook([&changed](const QStringList &keys) { changed += keys; });
    preferences.setBool("PollDrives", false);
    preferences.setBool("PollDrives", false); // no change
    preferences.setInteger("PollingInterval", 7200);
    preferences.setDate("/dev/sda_TestEndTime", QDateTime::currentDateTime());
    preferences.addToInteger("TestsInProgress", 1);
    preferences.removeObjectForKey("PollDrives");
    (void)preferences.boolForKey("AutoExpandDrives");
    EXPECT_EQ(changed, (QStringList{"PollDrives", "PollingInterval", "/dev/sda_TestEndTime",
                                    "TestsInProgress", "PollDrives"}));
    EXPECT_TRUE(preferences.boolForKey("PollDrives")); // removed: the default again

    // A batch announces its changes when it writes them, at its end.
    changed.clear();
    {
        KZPreferences::Batch batch(preferences);
        preferences.setString("EmailHostName", "büro");
        preferences.setInteger("/dev/sdb_LastErrorCount", 3);
        EXPECT_TRUE(changed.isEmpty());
    }
    changed.sort();
    EXPECT_EQ(changed, (QStringList{"/dev/sdb_LastErrorCount", "EmailHostName"}));

    // The hook may write itself without deadlocking the store.
    preferences.setChangeHook([&preferences](const QStringList &keys) {
        if (!keys.contains("Echo"))
            preferences.setString("Echo", keys.join(','));
    });
    preferences.setBool("AutoExpandDrives", false);
    EXPECT_EQ(preferences.stringForKey("Echo"), "AutoExpandDrives");
}
