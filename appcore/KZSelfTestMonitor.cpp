#include "KZSelfTestMonitor.h"

#include "KZDriveStatus.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"
#include "KZRecordedTexts.h"
#include "KZSMARTDrive.h"

#include <QCoreApplication>

namespace {

QString text(const char *english)
{
    return QCoreApplication::translate("KZSelfTestMonitor", english);
}

QString minutesText(qint64 minutes)
{
    return QCoreApplication::translate("KZSelfTestMonitor", "%n minutes", nullptr, int(minutes));
}

QString key(const KZSMARTDrive &drive, const char *suffix)
{
    return drive.driveLocation() + QString::fromLatin1(suffix);
}

} // namespace

KZSelfTestMonitor::KZSelfTestMonitor(KZPreferences *preferences, Clock clock)
    : m_preferences(preferences), m_clock(std::move(clock))
{
}

KZPreferences &KZSelfTestMonitor::preferences() const
{
    return m_preferences ? *m_preferences : KZPreferences::standard();
}

QDateTime KZSelfTestMonitor::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

qint32 KZSelfTestMonitor::testMinutes(const KZSMARTDrive &drive, TestKind kind)
{
    return kind == TestKind::Short ? drive.driveShortSelfTestTime()
                                   : drive.driveExtendedSelfTestTime();
}

int KZSelfTestMonitor::pollIntervalSeconds(qint32 minutes)
{
    return qMax(minimumPollSeconds, qMax(minutes, 0) * 6);
}

KZSelfTestMonitor::TestKind KZSelfTestMonitor::storedTestKind(const KZSMARTDrive &drive) const
{
    return preferences().integerForKey(key(drive, "_TestType")) - 8 == 1 ? TestKind::Extended
                                                                         : TestKind::Short;
}

std::optional<QDateTime> KZSelfTestMonitor::storedDate(const KZSMARTDrive &drive,
                                                       const char *suffix) const
{
    const QDateTime date = preferences().dateForKey(key(drive, suffix));
    return date.isValid() ? std::optional<QDateTime>(date) : std::nullopt;
}

void KZSelfTestMonitor::testStarted(const KZSMARTDrive &drive, TestKind kind)
{
    const QDateTime start = now();
    preferences().setDate(key(drive, "_TestStartTime"), start);
    m_testEndTime = start.addSecs(qint64(testMinutes(drive, kind)) * 60);
    m_testStartTime = start;
}

void KZSelfTestMonitor::forgetTimes()
{
    m_testStartTime.reset();
    m_testEndTime.reset();
}

KZSelfTestMonitor::ClockSource KZSelfTestMonitor::clockSource(const KZSMARTDrive &drive) const
{
    if (!drive.driveAbortOfflineCollection() &&
        preferences().integerForKey(KZPreferenceKeys::testsInProgress) == 0)
        return ClockSource::Drive;
    return ClockSource::Clock;
}

KZSelfTestMonitor::Estimate KZSelfTestMonitor::estimateFromStart(const KZSMARTDrive &drive) const
{
    Estimate estimate;
    std::optional<QDateTime> start = storedDate(drive, "_TestStartTime");
    if (!start)
        start = m_testStartTime;
    if (!start)
        return estimate;
    const qint64 elapsed = qMax<qint64>(0, start->secsTo(now()) / 60);
    estimate.runTime = preferences().integerForKey(key(drive, "_TestRunTime"));
    estimate.remaining = estimate.runTime - elapsed;
    return estimate;
}

KZSelfTestMonitor::Estimate KZSelfTestMonitor::estimateFromEnd(KZSMARTDrive &drive) const
{
    Estimate estimate;
    std::optional<QDateTime> end = storedDate(drive, "_TestEndTime");
    if (!end)
        end = m_testEndTime;
    if (!end)
        return estimate;
    const qint64 sinceEnd = end->secsTo(now()); // negative before the end
    if (sinceEnd / 3600 > 0)
        drive.setSelfTestInProgress(false);
    estimate.remaining = -(sinceEnd / 60);
    estimate.runTime = preferences().integerForKey(key(drive, "_TestRunTime"));
    return estimate;
}

QString KZSelfTestMonitor::remainingText(qint64 remaining, qint32 testLengthMinutes)
{
    if (remaining > 2)
        return minutesText(remaining);
    if (remaining >= 1)
        return text(QT_TRANSLATE_NOOP("KZSelfTestMonitor", "about a minute"));
    if (remaining == 0)
        return text(QT_TRANSLATE_NOOP("KZSelfTestMonitor", "less than a minute"));
    return minutesText(testLengthMinutes);
}

int KZSelfTestMonitor::progress(ClockSource source, const KZSMARTDrive &drive,
                                const Estimate &estimate)
{
    if (source == ClockSource::Drive) {
        const qint32 remainingPercent = drive.driveSelfTestExecutionRemaining();
        return remainingPercent != 0 ? qBound(0, 100 - remainingPercent, 100) : 0;
    }
    // A test of no length (or a length never stored) gives no fraction.
    if (estimate.runTime <= 0)
        return 0;
    const double done = 100.0 - double(estimate.remaining) / double(estimate.runTime) * 100.0;
    return qBound(0, int(done), 100);
}

QString KZSelfTestMonitor::completedDriveName(const KZSMARTDrive &drive)
{
    const quint64 count = drive.drivePartitionCount();
    if (count == 1)
        return drive.partitionNameAtIndex(0);
    // A drive without partitions is named by its location alone.
    if (count == 0)
        return drive.driveLocation();
    return KZDriveStatus::nameWithPartitions(drive.driveLocation(), drive);
}

QStringList KZSelfTestMonitor::completionMessage(const KZSMARTDrive &drive)
{
    // A mail: English, as every mail.
    return {QStringLiteral("Test completed"),
            KZRecordedTexts::fill(QStringLiteral("The test on drive %1 has completed."),
                                  {completedDriveName(drive)})};
}
