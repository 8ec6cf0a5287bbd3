#include "KZDriveCheck.h"

#include "KZDriveStatus.h"
#include "KZSMARTDrive.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QMap>

namespace KZDriveCheck {

int mergedDriveStatus(const KZDriveList &drives)
{
    QList<const KZSMARTDrive *> pointers;
    for (const std::shared_ptr<KZSMARTDrive> &drive : drives)
        pointers.append(drive.get());
    return KZDriveStatus::mergedDriveStatus(pointers);
}

State checkState(int mergedStatus, bool scanSucceeded)
{
    if (mergedStatus == 3)
        return Critical;
    if (!scanSucceeded)
        return Unknown;
    return mergedStatus == 2 ? Warning : Ok;
}

State checkState(const KZDriveList &drives, bool scanSucceeded)
{
    // The merged status counts an unread drive like a failing one; the check
    // tells them apart.
    int judged = 1;
    bool unread = false;
    for (const std::shared_ptr<KZSMARTDrive> &drive : drives) {
        judged = qMax(judged, drive->driveHealth() == 3 || drive->driveHealth() == 2
                                  ? int(drive->driveHealth())
                                  : 1);
        unread = unread || (drive->driveReadFailed() && !drive->driveSleeping());
    }
    const State state = checkState(judged, scanSucceeded);
    return state == Ok && unread ? Unknown : state;
}

QString stateWord(State state)
{
    switch (state) {
    case Ok:
        return QStringLiteral("OK");
    case Warning:
        return QStringLiteral("WARNING");
    case Critical:
        return QStringLiteral("CRITICAL");
    case Unknown:
        break;
    }
    return QStringLiteral("UNKNOWN");
}

QString summaryLine(const KZDriveList &drives, bool scanSucceeded)
{
    const State state = checkState(drives, scanSucceeded);
    QStringList parts;
    if (!scanSucceeded)
        parts << QStringLiteral("drive scan failed");
    if (drives.isEmpty()) {
        parts << KZDriveStatus::noDrivesWord;
    } else {
        QMap<QString, int> counts;
        for (const std::shared_ptr<KZSMARTDrive> &drive : drives)
            ++counts[KZDriveStatus::statusWord(*drive)];
        QStringList countTexts;
        for (const QString &word : KZDriveStatus::statusWords()) {
            if (counts.value(word) > 0)
                countTexts << QStringLiteral("%1 %2").arg(counts.value(word)).arg(word);
        }
        parts << QStringLiteral("%1 %2: %3")
                     .arg(drives.size())
                     .arg(drives.size() == 1 ? QStringLiteral("drive") : QStringLiteral("drives"),
                          countTexts.join(QStringLiteral(", ")));
    }
    return QStringLiteral("TARNWELL %1 - %2")
        .arg(stateWord(state), parts.join(QStringLiteral("; ")));
}

QStringList driveLines(const KZSMARTDrive &drive)
{
    QStringList lines{
        QStringLiteral("%1  [%2]")
            .arg(KZDriveStatus::displayName(drive), KZDriveStatus::statusWord(drive))};
    if (drive.driveSleeping()) {
        lines << QStringLiteral("  asleep (%1): not read, so as not to wake it; %2")
                     .arg(drive.drivePowerMode(),
                          drive.driveLastRead().isValid()
                              ? QStringLiteral("the values of its read at %1")
                                    .arg(drive.driveLastRead().toString(Qt::ISODate))
                              : QStringLiteral("no values yet"));
        // What its last read found still stands.
        if (drive.driveHealth() != 2 && drive.driveHealth() != 3)
            return lines;
    } else if (const std::optional<QString> reason = drive.driveReadFailureReason()) {
        lines << QStringLiteral("  ") + *reason;
    }
    for (const QString &reason : drive.failureReasons().value_or(QStringList()))
        lines << QStringLiteral("  ") + reason;
    return lines;
}

QString skippedReason(const QString &smartError)
{
    // smartctl's answers, from the most to the least telling.
    // English, as machines read it; windows show it through KZRecordedTexts::shown().
    static const std::pair<const char *, const char *> reasons[] = {
        {"Unable to detect device type",
         QT_TRANSLATE_NOOP("KZRecordedTexts", "smartctl cannot tell its device type")},
        {"Unknown USB bridge",
         QT_TRANSLATE_NOOP("KZRecordedTexts",
                           "it sits behind a USB bridge smartctl does not know")},
        {"No such device", QT_TRANSLATE_NOOP("KZRecordedTexts", "the device is gone")},
        {"SMART support is: Unavailable",
         QT_TRANSLATE_NOOP("KZRecordedTexts", "it has no S.M.A.R.T.")},
        {"does not support SMART", QT_TRANSLATE_NOOP("KZRecordedTexts", "it has no S.M.A.R.T.")},
    };
    for (const auto &[answer, reason] : reasons) {
        if (smartError.contains(QLatin1String(answer)))
            return QString::fromLatin1(reason);
    }
    return smartError.trimmed().isEmpty()
               ? QStringLiteral(
                     QT_TRANSLATE_NOOP("KZRecordedTexts", "smartctl gave no S.M.A.R.T. data"))
               : smartError.trimmed();
}

QString skippedLine(const QList<KZSkippedDisk> &skipped)
{
    if (skipped.isEmpty())
        return QString();
    QStringList disks;
    for (const KZSkippedDisk &disk : skipped)
        disks << QStringLiteral("%1 (%2)").arg(QFileInfo(disk.location).fileName(),
                                               skippedReason(disk.smartError));
    return QStringLiteral("%1 %2 without S.M.A.R.T. data not checked: %3")
        .arg(skipped.size())
        .arg(skipped.size() == 1 ? QStringLiteral("disk") : QStringLiteral("disks"),
             disks.join(QStringLiteral(", ")));
}

QString textReport(const KZDriveList &drives, bool scanSucceeded,
                   const QList<KZSkippedDisk> &skipped)
{
    QString text = summaryLine(drives, scanSucceeded) + QLatin1Char('\n');
    if (!skipped.isEmpty())
        text += skippedLine(skipped) + QLatin1Char('\n');
    for (const std::shared_ptr<KZSMARTDrive> &drive : drives) {
        for (const QString &line : driveLines(*drive))
            text += line + QLatin1Char('\n');
    }
    return text;
}

QJsonObject driveJSON(const KZSMARTDrive &drive)
{
    QJsonObject object = drive.toJSON();
    object.insert(QStringLiteral("status"), KZDriveStatus::statusWord(drive));
    object.insert(QStringLiteral("displayName"), KZDriveStatus::displayName(drive));
    const QString &power = drive.drivePowerMode();
    object.insert(QStringLiteral("powerMode"), power.isEmpty() ? QJsonValue() : QJsonValue(power));
    const QDateTime &lastRead = drive.driveLastRead();
    object.insert(QStringLiteral("lastRead"),
                  lastRead.isValid() ? QJsonValue(lastRead.toString(Qt::ISODate)) : QJsonValue());
    return object;
}

QJsonObject jsonReport(const KZDriveList &drives, bool scanSucceeded,
                       const QList<KZSkippedDisk> &skipped)
{
    const int merged = mergedDriveStatus(drives);
    const State state = checkState(drives, scanSucceeded);
    QJsonArray driveArray;
    for (const std::shared_ptr<KZSMARTDrive> &drive : drives)
        driveArray.append(driveJSON(*drive));
    QJsonObject report;
    report.insert(QStringLiteral("state"), stateWord(state));
    report.insert(QStringLiteral("exitStatus"), int(state));
    report.insert(QStringLiteral("mergedStatus"), merged);
    report.insert(QStringLiteral("scanSucceeded"), scanSucceeded);
    report.insert(QStringLiteral("summary"), summaryLine(drives, scanSucceeded));
    report.insert(QStringLiteral("drives"), driveArray);
    QJsonArray skippedArray;
    for (const KZSkippedDisk &disk : skipped)
        skippedArray.append(QJsonObject{
            {QStringLiteral("device"), disk.location},
            {QStringLiteral("name"), QFileInfo(disk.location).fileName()},
            {QStringLiteral("reason"), skippedReason(disk.smartError)},
            {QStringLiteral("smartError"), disk.smartError},
        });
    report.insert(QStringLiteral("skipped"), skippedArray);
    return report;
}

} // namespace KZDriveCheck
