// The self-test log ("-l selftest") with its judgement, and starting and
// aborting self-tests with the bookkeeping in the preferences store that tells
// the rest of the program a test is running and when it should end.
#include "KZSMARTDrive.h"

#include "KZLineScanner.h"
#include "KZLog.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"

#include <QDateTime>

namespace {

const QString revisionKey = QStringLiteral("SMART Self-test log structure revision number");
const QString nvmeLogKey = QStringLiteral("Self-test Log (NVMe Log 0x06");
const QString testsInProgressKey = KZPreferenceKeys::testsInProgress;

// The integer a text starts with (after blanks), or 0.
qint32 leadingInt(const QString &text)
{
    qint32 value = 0;
    KZLineScanner(text).scanInt(value);
    return value;
}

bool isFailedStatus(const std::optional<QString> &status)
{
    return status &&
           (status->contains(QLatin1String("failure")) ||
            status->contains(QLatin1String("Fatal")) || status->contains(QLatin1String("damage")) ||
            status->contains(QLatin1String("failed segment")));
}

} // namespace

KZSMARTSelfTestLog KZSMARTDrive::parseSelfTestLine(const QString &line)
{
    // "# 1  Short offline       Completed without error       00%      1234         -"
    KZSMARTSelfTestLog entry;
    KZLineScanner scanner(line, 1);
    qint32 number = 0;
    if (scanner.scanInt(number))
        entry.setNumber(number);

    // The description column is two words ("Short offline") unless the first
    // word already reaches the status column at character 25.
    QString first;
    if (scanner.scanWord(first)) {
        QString second;
        if (scanner.position() < 25 && scanner.scanWord(second))
            entry.setType(first + QLatin1Char(' ') + second);
        else
            entry.setType(first);
    }

    QString status;
    if (scanner.scanUpToDigit(status)) {
        qsizetype end = status.size();
        while (end > 0 && status.at(end - 1) == QLatin1Char(' '))
            --end;
        entry.setStatus(status.left(end));
    }

    qint32 value = 0;
    if (scanner.scanInt(value))
        entry.setRemaining(value);
    scanner.setPosition(scanner.position() + 1); // past the "%"
    value = 0;
    if (scanner.scanInt(value))
        entry.setLifetime(value);
    qint64 lba = 0;
    entry.setLBA(scanner.scanLongLong(lba) ? lba : -1);
    return entry;
}

void KZSMARTDrive::parseSelftestLog()
{
    KZPreferences &preferences = KZPreferences::standard();
    const std::optional<QStringList> lines = stepLines(SelfTestLog);
    if (!lines) {
        debugLog(QStringLiteral("Error parsing self test log."));
        return;
    }
    debugLog(QStringLiteral("Parsing self test log."));
    if (m_selfTestLog)
        m_selfTestLog->clear();
    else
        m_selfTestLog = QList<KZSMARTSelfTestLog>();
    m_selfTestCount = 0;

    bool revisionFound = false;
    bool nvme = false;
    for (const QString &line : *lines) {
        if (!revisionFound) {
            if (line.contains(QLatin1String("Disabled"))) {
                // Switching SMART back on could break a test that is running,
                // so the drive is treated as testing until a scan finds otherwise.
                debugLog(QStringLiteral("SMART Disabled. Re-enabling may cause test to fail. "
                                        "Initiating protective measures."));
                // No disk runs a test for a saved report: the count of the
                // machine's running tests stays as it is.
                if (!m_driveFromFile)
                    preferences.addToInteger(testsInProgressKey, 1);
                m_testInProgress = true;
            }
            if (line.contains(revisionKey)) {
                m_selfTestLog->clear();
                revisionFound = true;
                m_selfTestLogRevision = leadingInt(line.mid(revisionKey.size()));
                debugLog(QStringLiteral("Found SMART self test log revision."));
            }
            if (line.startsWith(nvmeLogKey)) {
                // An NVMe drive's log has no structure revision.
                m_selfTestLog->clear();
                revisionFound = true;
                nvme = true;
                m_selfTestLogRevision = 0;
                debugLog(QStringLiteral("Found NVMe self test log."));
            }
        }
        if (revisionFound) {
            if (line.startsWith(QLatin1String("No self-tests have been logged")) ||
                (nvme && line.startsWith(QLatin1String("No Self-tests Logged")))) {
                m_selfTestLog.reset();
                debugLog(QStringLiteral("Done parsing self test log."));
                return;
            }
            if (line.startsWith(QLatin1Char('#'))) {
                m_selfTestLog->append(parseSelfTestLine(line));
                debugLog(QStringLiteral("Found self test log entry."));
            } else if (nvme && isNVMeSelfTestRow(line)) {
                m_selfTestLog->append(parseNVMeSelfTestLine(line));
                debugLog(QStringLiteral("Found self test log entry."));
            }
        }
    }

    // A failed test makes the drive failing. With "FailedTestIsNew" on, only
    // a failed test that ran after the newest test seen at the previous parse
    // counts. smartctl prints the newest test first, and some drives keep
    // their log out of order, so the newest test is the one with the most
    // power-on hours, wherever it stands in the list.
    m_testsFail = false;
    m_newTestFail = false;
    qint32 newestHours = 0;
    for (const KZSMARTSelfTestLog &entry : *m_selfTestLog) {
        if (isFailedStatus(entry.getStatus()))
            m_testsFail = true;
        newestHours = qMax(newestHours, entry.getLifetime());
    }
    const QString hoursKey = rememberedLogKey(QStringLiteral("_LastTestPowerOnHours"));
    const qint64 remembered = preferences.boolForKey(KZPreferenceKeys::failedTestIsNew)
                                  ? preferences.rememberedIntegerForKey(hoursKey)
                                  : -1;
    bool newFailure = false;
    for (const KZSMARTSelfTestLog &entry : *m_selfTestLog) {
        if (isFailedStatus(entry.getStatus()) && remembered < entry.getLifetime())
            newFailure = true;
    }
    if (newFailure && m_health != 3) {
        m_health = 2;
        m_newTestFail = true;
        addFailureReasonsString(
            QString::fromLatin1(QT_TRANSLATE_NOOP("KZRecordedTexts", "Tests with errors")));
        debugLog(QStringLiteral("Found tests with errors!!"));
    }
    // A saved report leaves the live drive's remembered hours alone.
    if (!m_driveFromFile)
        preferences.setInteger(hoursKey, newestHours);
    m_selfTestCount = quint64(m_selfTestLog->size());
    debugLog(QStringLiteral("Done parsing self test log."));
}

quint64 KZSMARTDrive::runSelfTest(quint64 code)
{
    const QDateTime start = QDateTime::currentDateTime();
    m_argumentCode = code;
    const std::optional<QStringList> lines = runSMARTbinary(false);
    if (!lines) {
        debugLog(QStringLiteral("Error running self test."));
        return 0;
    }
    debugLog(QStringLiteral("Running self test: %1").arg(code));

    KZPreferences &preferences = KZPreferences::standard();
    bool begun = false;
    for (const QString &line : *lines) {
        if (line.contains(QLatin1String("Testing has begun"))) {
            begun = true;
            break;
        }
        if (line.contains(QLatin1String("failed")))
            return 2;
        if (line.contains(QLatin1String("without aborting current test")))
            return 3;
        if (line.contains(QLatin1String("Self-testing aborted"))) {
            preferences.removeObjectForKey(m_location + KZPreferenceKeys::testEndTimeSuffix);
            m_testInProgress = false;
            return 1;
        }
    }
    if (!begun)
        return 2;

    if (code == StartShortSelfTest || code == StartExtendedSelfTest) {
        const qint32 minutes =
            code == StartShortSelfTest ? m_shortSelftestTime : m_longSelftestTime;
        preferences.setDate(m_location + KZPreferenceKeys::testEndTimeSuffix,
                            start.addSecs(qint64(minutes) * 60));
        preferences.setInteger(m_location + QStringLiteral("_TestRunTime"), minutes);
    }
    // A drive that can abort offline collection (capabilities bit 2) cannot
    // be read while its test runs; the count tells the scan to wait for it.
    if (driveAbortOfflineCollection()) {
        preferences.addToInteger(testsInProgressKey, 1);
        m_testInProgress = true;
    }
    preferences.setInteger(m_location + QStringLiteral("_TestType"), qint64(code));
    debugLog(QStringLiteral("Starting test."));
    return 1;
}

quint64 KZSMARTDrive::stopSelfTest()
{
    if (driveAbortOfflineCollection()) {
        KZPreferences::standard().addToInteger(testsInProgressKey, -1, 0);
        m_testInProgress = false;
    }
    return runSelfTest(AbortSelfTest) == 1 ? 1 : 0;
}

std::optional<KZSMARTSelfTestLog> KZSMARTDrive::driveSelfTestLog(quint64 index) const
{
    if (!m_selfTestLog || index >= quint64(m_selfTestLog->size()))
        return std::nullopt;
    return m_selfTestLog->at(qsizetype(index));
}

std::optional<QString> KZSMARTDrive::driveLastTestStatus() const
{
    if (!m_selfTestLog || m_selfTestLog->isEmpty())
        return std::nullopt;
    const KZSMARTSelfTestLog &first = m_selfTestLog->first();
    const KZSMARTSelfTestLog &last = m_selfTestLog->last();
    return last.getLifetime() > first.getLifetime() ? last.getStatus() : first.getStatus();
}

qint32 KZSMARTDrive::driveLastTestTime() const
{
    if (!m_selfTestLog || m_selfTestLog->isEmpty())
        return -1;
    return m_selfTestLog->first().getLifetime();
}
