#include "KZAlertPresenter.h"
#include "KZLocalization.h"
#include "KZLog.h"
#include "KZNotificationCenter.h"
#include "KZPaths.h"
#include "KZPreferences.h"
#include "TestSupport.h"

#include <QFile>
#include <QSettings>

#include <cstdio>
#include <sys/wait.h>
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

TEST(NotificationCenter, DeliversSynchronouslyToObserversOfTheName)
{
    auto &center = KZNotificationCenter::defaultCenter();
    QStringList seen;
    const quint64 first = center.addObserver("A", [&](const QString &name, const QVariant &object) {
        seen << name + ":" + object.toString();
    });
    const quint64 second =
        center.addObserver("B", [&](const QString &, const QVariant &) { seen << "B"; });
    center.postNotification("A", QStringLiteral("NONE"));
    center.removeObserver(first);
    center.postNotification("A", QStringLiteral("again"));
    center.postNotification("B");
    center.removeObserver(second);
    EXPECT_EQ(seen, (QStringList{"A:NONE", "B"}));
}

TEST(Localization, MissingKeysShowTheirDefault)
{
    EXPECT_EQ(KZLocalization::localizedString("Exception1", "An Error Occurred"),
              "An Error Occurred");
    const QString table = TestSupport::writeFile(TestSupport::homeDir() + "/Main.json",
                                                 "{\"Exception1\": \"Une erreur\"}");
    ASSERT_TRUE(KZLocalization::loadTable("Main", table));
    EXPECT_EQ(KZLocalization::localizedString("Exception1", "An Error Occurred"), "Une erreur");
    EXPECT_EQ(KZLocalization::localizedString("OK", "OK"), "OK");
    EXPECT_EQ(KZLocalization::localizedString("Exception1", "x", "Attributes"), "x");
    EXPECT_FALSE(KZLocalization::loadTable("Main", TestSupport::homeDir() + "/missing.json"));
    KZLocalization::clearTables();
    EXPECT_EQ(KZLocalization::localizedString("Exception1", "An Error Occurred"),
              "An Error Occurred");
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

TEST(Preferences, EveryChangeReachesTheChangeHookOnce)
{
    KZPreferences preferences(freshPreferencesFile());
    preferences.registerApplicationDefaults();
    QStringList changed;
    preferences.setChangeHook([&changed](const QString &key) { changed.append(key); });
    preferences.setBool("PollDrives", false);
    preferences.setInteger("PollingInterval", 7200);
    preferences.setString("EmailHostName", "büro");
    preferences.setDate("/dev/sda_TestEndTime", QDateTime::currentDateTime());
    preferences.removeObjectForKey("PollDrives");
    preferences.synchronize();
    (void)preferences.boolForKey("AutoExpandDrives");
    EXPECT_EQ(changed, (QStringList{"PollDrives", "PollingInterval", "EmailHostName",
                                    "/dev/sda_TestEndTime", "PollDrives"}));
    EXPECT_TRUE(preferences.boolForKey("PollDrives")); // removed: the default again
    // The hook may write itself without deadlocking the store.
    preferences.setChangeHook([&preferences](const QString &key) {
        if (key != "Echo")
            preferences.setString("Echo", key);
    });
    preferences.setBool("AutoExpandDrives", false);
    EXPECT_EQ(preferences.stringForKey("Echo"), "AutoExpandDrives");
}
