#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class KZPreferences;
class KZSMARTDrive;

// The self-test window's rules that need no window: when to poll, which
// clock tells how far a running test has come, the estimate of the time
// left, the progress, and the mail sent when a test has finished. The clock
// can be replaced, so tests never wait for a real test.
//
// Two ways to follow a test:
// - from the drive (drives that can be read while they test, when no other
//   test is counted as running): the window re-reads the drive's
//   capabilities and self-test log at every poll, and the time left is the
//   test's length minus the minutes since it started;
// - from the clock alone (drives that report aborting offline collection on
//   a new command, which must not be read while they test): the time left
//   is the minutes until the end the start stored, and an hour past that end
//   the drive is no longer taken to be testing.
class KZSelfTestMonitor
{
public:
    using Clock = std::function<QDateTime()>;

    // The tags of the test-kind pop-up.
    enum class TestKind
    {
        Short = 0,
        Extended = 1
    };

    enum class ClockSource
    {
        Drive, // poll the drive
        Clock  // the clock alone
    };

    struct Estimate
    {
        qint64 remaining = -1; // minutes left, -1 when unknown
        qint64 runTime = 1;    // the test's length in minutes
    };

    // Reads and writes `preferences` (the standard store when null); `clock`
    // gives the current time (the system clock when empty).
    explicit KZSelfTestMonitor(KZPreferences *preferences = nullptr, Clock clock = {});

    QDateTime now() const;

    // The code passed to the drive: 8 short, 9 extended.
    static quint64 testCode(TestKind kind) { return quint64(kind) + 8; }
    // The length of a test in minutes, as the drive recommends it.
    static qint32 testMinutes(const KZSMARTDrive &drive, TestKind kind);
    // Ten polls over the test's length (minutes x 6 seconds), but never more
    // often than every 10 seconds (some drives report a length of 0).
    static int pollIntervalSeconds(qint32 minutes);
    // The poll interval when a window finds a test already running.
    static constexpr int resumeIntervalSeconds = 15;
    static constexpr int minimumPollSeconds = 10;

    // The kind of the test the drive was last asked to run ("_TestType").
    TestKind storedTestKind(const KZSMARTDrive &drive) const;

    // Bookkeeping after the run button started a test: "_TestStartTime" is
    // now, and the window expects the end after the test's length.
    void testStarted(const KZSMARTDrive &drive, TestKind kind);
    // Forgets the window's own start and end (after an abort).
    void forgetTimes();
    std::optional<QDateTime> testStartTime() const { return m_testStartTime; }
    std::optional<QDateTime> testEndTime() const { return m_testEndTime; }

    ClockSource clockSource(const KZSMARTDrive &drive) const;
    // From the drive: length minus the whole minutes since the start.
    Estimate estimateFromStart(const KZSMARTDrive &drive) const;
    // From the clock: the whole minutes until the end; an hour or more past
    // the end, the drive's running mark is cleared.
    Estimate estimateFromEnd(KZSMARTDrive &drive) const;

    // "%n minutes" above 2, "about a minute" for 1 or 2, "less than a
    // minute" for 0, and the test's whole length when the time is unknown;
    // in the language of the installed catalogue.
    static QString remainingText(qint64 remaining, qint32 testLengthMinutes);
    // Percent done, 0 to 100.
    static int progress(ClockSource source, const KZSMARTDrive &drive, const Estimate &estimate);

    // How the completion mail names the drive: its only partition, its
    // location, or its location "with partitions A, and B".
    static QString completedDriveName(const KZSMARTDrive &drive);
    // (subject, body) of the completion mail.
    static QStringList completionMessage(const KZSMARTDrive &drive);

private:
    KZPreferences &preferences() const;
    std::optional<QDateTime> storedDate(const KZSMARTDrive &drive, const char *suffix) const;

    KZPreferences *m_preferences;
    Clock m_clock;
    std::optional<QDateTime> m_testStartTime;
    std::optional<QDateTime> m_testEndTime;
};
