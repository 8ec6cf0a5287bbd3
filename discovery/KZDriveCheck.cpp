#include "KZDriveCheck.h"

#include "KZDriveStatus.h"
#include "KZSMARTDrive.h"

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
        unread = unread || drive->driveReadFailed();
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
    if (const std::optional<QString> reason = drive.driveReadFailureReason())
        lines << QStringLiteral("  ") + *reason;
    for (const QString &reason : drive.failureReasons().value_or(QStringList()))
        lines << QStringLiteral("  ") + reason;
    return lines;
}

QString textReport(const KZDriveList &drives, bool scanSucceeded)
{
    QString text = summaryLine(drives, scanSucceeded) + QLatin1Char('\n');
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
    return object;
}

QJsonObject jsonReport(const KZDriveList &drives, bool scanSucceeded)
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
    return report;
}

} // namespace KZDriveCheck
