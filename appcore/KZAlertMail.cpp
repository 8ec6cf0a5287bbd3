#include "KZAlertMail.h"

#include "KZDriveStatus.h"
#include "KZLocalization.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"

namespace {

// A localised format with one "%@", filled with a value that is inserted as
// it is (a value holding "%1" or "%@" stays untouched).
QString fill(const char *key, const char *defaultFormat, const QString &value)
{
    QString format =
        KZLocalization::localizedString(QString::fromLatin1(key), QString::fromUtf8(defaultFormat));
    const qsizetype position = format.indexOf(QStringLiteral("%@"));
    if (position < 0)
        return format;
    return format.replace(position, 2, value);
}

enum class Health
{
    Passed,
    Failing,
    Failed,
    Other
};

Health healthOf(const KZSMARTDrive &drive)
{
    switch (drive.driveHealth()) {
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

// One drive's contribution, the same in both programs once the name is known.
void addDrive(KZCheckSummary &summary, const KZSMARTDrive &drive, const QString &name,
              bool passedCounts, const KZEmailEvents &events)
{
    switch (healthOf(drive)) {
    case Health::Passed:
        if (passedCounts && events.passed)
            summary.lines.append(fill("DrivePassed3", "%@: PASSED", name));
        break;
    case Health::Failing:
        if (events.failing) {
            summary.lines.append(fill("DriveFailing3", "%@: FAILING", name));
            ++summary.failingLines;
        }
        ++summary.problemCount;
        summary.records.append(
            KZProblemDriveRecord::forDrive(drive, name, QStringLiteral("FAILING")));
        break;
    case Health::Failed:
        if (events.failed) {
            summary.lines.append(fill("DriveFailed3", "%@: FAILED", name));
            ++summary.failedLines;
        }
        ++summary.problemCount;
        summary.records.append(
            KZProblemDriveRecord::forDrive(drive, name, QStringLiteral("FAILED")));
        break;
    case Health::Other:
        break;
    }
}

} // namespace

KZEmailEvents KZEmailEvents::fromPreferences(const KZPreferences &preferences)
{
    return {preferences.boolForKey(QStringLiteral("EmailDrivePassed")),
            preferences.boolForKey(QStringLiteral("EmailDriveFailing")),
            preferences.boolForKey(QStringLiteral("EmailDriveFailed"))};
}

namespace KZAlertMail {

KZCheckSummary summarizeApplicationCheck(const QList<const KZSMARTDrive *> &drives,
                                         const KZEmailEvents &events)
{
    KZCheckSummary summary;
    for (const KZSMARTDrive *drive : drives)
        addDrive(summary, *drive, KZDriveStatus::displayName(*drive), drive->smartSupported(),
                 events);
    return summary;
}

KZCheckSummary summarizeMenuItemCheck(const QList<const KZSMARTDrive *> &drives,
                                      const KZEmailEvents &events)
{
    KZCheckSummary summary;
    for (const KZSMARTDrive *drive : drives) {
        if (!drive->smartSupported())
            break;
        addDrive(summary, *drive, menuItemDisplayName(*drive), true, events);
    }
    return summary;
}

QString menuItemDisplayName(const KZSMARTDrive &drive)
{
    const quint64 count = drive.drivePartitionCount();
    if (count == 1)
        return drive.partitionNameAtIndex(0);
    const QString title = drive.driveModel().value_or(drive.driveLocationID());
    QString name = fill("%@ with partitions ", "%@ with partitions ", title);
    for (quint64 index = 0; index < count; ++index) {
        name += drive.partitionNameAtIndex(index);
        if (index + 2 < count)
            name += QStringLiteral(", ");
        else if (index + 1 < count)
            name += QStringLiteral(", and ");
    }
    return name;
}

QString alertSubject(KZMailProgram program, int failingLines, int failedLines,
                     const QString &hostName)
{
    const bool application = program == KZMailProgram::Application;
    if (failingLines > 0 && failedLines == 0)
        return application
                   ? fill("EmailFailing1", "Tarnwell Report (%@): FAILING DRIVES!", hostName)
                   : fill("EmailFailing2", "Tarnwell Menu Item Report (%@): FAILING DRIVES!",
                          hostName);
    if (failingLines == 0 && failedLines > 0)
        return application ? fill("EmailFailed1", "Tarnwell Report (%@): FAILED DRIVES!", hostName)
                           : fill("EmailFailed2", "Tarnwell Menu Item Report (%@): FAILED DRIVES!",
                                  hostName);
    if (failingLines > 0 && failedLines > 0)
        return application
                   ? fill("EmailFailingFailed1", "Tarnwell Report (%@): FAILING AND FAILED DRIVES!",
                          hostName)
                   : fill("EmailFailingFailed2",
                          "Tarnwell Menu Item Report (%@): FAILING AND FAILED DRIVES!", hostName);
    return application ? fill("EmailPassed1", "Tarnwell Report (%@): All drives passed.", hostName)
                       : fill("EmailPassed2", "Tarnwell Menu Item Report (%@): All drives passed.",
                              hostName);
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
    return {fill("EmailTest", "Tarnwell Test Email (%@)", hostName),
            KZLocalization::localizedString(
                QStringLiteral("EmailTestBody"),
                QStringLiteral("If you are reading this, the email test was successful."))};
}

} // namespace KZAlertMail
