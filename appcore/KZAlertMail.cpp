#include "KZAlertMail.h"

#include "KZDriveStatus.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"

namespace {

// Mails are read by machines too (filters, ticket systems): always English.
// The format's one "%@" is filled with a value inserted as it is (a value
// holding "%1" or "%@" stays untouched).
QString fill(const char *format, const QString &value)
{
    QString text = QString::fromUtf8(format);
    const qsizetype position = text.indexOf(QStringLiteral("%@"));
    return position < 0 ? text : text.replace(position, 2, value);
}

enum class Health
{
    Passed,
    Failing,
    Failed,
    Other
};

Health healthOf(qint32 health)
{
    switch (health) {
    case 1:
        return Health::Passed;
    case 2:
        return Health::Failing;
    case 3:
        return Health::Failed;
    default:
        return Health::Other;
    }
}

KZProblemDriveRecord recordFor(const KZCheckedDrive &drive, const QString &health)
{
    return {drive.driveModel, drive.driveCapacity, drive.driveSerialNumber, drive.displayName,
            health};
}

// One drive's contribution.
void addDrive(KZCheckSummary &summary, const KZCheckedDrive &drive, const KZEmailEvents &events)
{
    // A sleeping disk was not read: nothing new to mail about it.
    const KZEmailEvents mailed = drive.sleeping ? KZEmailEvents{} : events;
    switch (healthOf(drive.health)) {
    case Health::Passed:
        if (drive.smartSupported && mailed.passed)
            summary.lines.append(fill("%@: PASSED", drive.displayName));
        break;
    case Health::Failing:
        if (mailed.failing) {
            summary.lines.append(fill("%@: FAILING", drive.displayName));
            ++summary.failingLines;
        }
        ++summary.problemCount;
        summary.records.append(recordFor(drive, QStringLiteral("FAILING")));
        break;
    case Health::Failed:
        if (mailed.failed) {
            summary.lines.append(fill("%@: FAILED", drive.displayName));
            ++summary.failedLines;
        }
        ++summary.problemCount;
        summary.records.append(recordFor(drive, QStringLiteral("FAILED")));
        break;
    case Health::Other:
        break;
    }
}

QList<KZCheckedDrive> checkedDrives(const QList<const KZSMARTDrive *> &drives)
{
    QList<KZCheckedDrive> result;
    for (const KZSMARTDrive *drive : drives)
        result.append(KZCheckedDrive::fromDrive(*drive));
    return result;
}

} // namespace

KZCheckedDrive KZCheckedDrive::fromDrive(const KZSMARTDrive &drive)
{
    return {drive.driveHealth(),     drive.smartSupported(), KZDriveStatus::displayName(drive),
            drive.driveModel(),      drive.driveCapacity(),  drive.driveSerialNumber(),
            drive.driveReadFailed(), drive.driveSleeping()};
}

KZEmailEvents KZEmailEvents::fromPreferences(const KZPreferences &preferences)
{
    return {preferences.boolForKey(KZPreferenceKeys::emailDrivePassed),
            preferences.boolForKey(KZPreferenceKeys::emailDriveFailing),
            preferences.boolForKey(KZPreferenceKeys::emailDriveFailed)};
}

namespace KZAlertMail {

KZCheckSummary summarizeCheck(const QList<const KZSMARTDrive *> &drives,
                              const KZEmailEvents &events)
{
    return summarizeCheck(checkedDrives(drives), events);
}

KZCheckSummary summarizeCheck(const QList<KZCheckedDrive> &drives, const KZEmailEvents &events)
{
    KZCheckSummary summary;
    for (const KZCheckedDrive &drive : drives)
        addDrive(summary, drive, events);
    return summary;
}

QString alertSubject(KZMailProgram program, int failingLines, int failedLines,
                     const QString &hostName)
{
    const bool application = program == KZMailProgram::Application;
    if (failingLines > 0 && failedLines == 0)
        return application ? fill("Tarnwell Report (%@): FAILING DRIVES!", hostName)
                           : fill("Tarnwell Menu Item Report (%@): FAILING DRIVES!", hostName);
    if (failingLines == 0 && failedLines > 0)
        return application ? fill("Tarnwell Report (%@): FAILED DRIVES!", hostName)
                           : fill("Tarnwell Menu Item Report (%@): FAILED DRIVES!", hostName);
    if (failingLines > 0 && failedLines > 0)
        return application
                   ? fill("Tarnwell Report (%@): FAILING AND FAILED DRIVES!", hostName)
                   : fill("Tarnwell Menu Item Report (%@): FAILING AND FAILED DRIVES!", hostName);
    return application ? fill("Tarnwell Report (%@): All drives passed.", hostName)
                       : fill("Tarnwell Menu Item Report (%@): All drives passed.", hostName);
}

QString alertBody(const QStringList &lines)
{
    QString body;
    for (const QString &line : lines)
        body += line + QLatin1Char('\n');
    return body;
}

std::optional<QStringList> alertMessage(KZMailProgram program, const KZCheckSummary &summary,
                                        const QString &hostName)
{
    if (summary.lines.isEmpty())
        return std::nullopt;
    return QStringList{alertSubject(program, summary.failingLines, summary.failedLines, hostName),
                       alertBody(summary.lines)};
}

QStringList testMessage(const QString &hostName)
{
    return {fill("Tarnwell Test Email (%@)", hostName),
            QStringLiteral("If you are reading this, the email test was successful.")};
}

} // namespace KZAlertMail
