#include "KZHealthHistory.h"

#include "KZDriveStatus.h"
#include "KZPreferences.h"
#include "KZRecordedTexts.h"
#include "KZSMARTDrive.h"

#include <QCoreApplication>

namespace {

bool determined(qint32 health)
{
    return health == 1 || health == 2 || health == 3;
}

// The status a drive had, as the notification names it.
QString word(qint32 health)
{
    switch (health) {
    case 2:
        return KZDriveStatus::shownWord(QStringLiteral("FAILING"));
    case 3:
        return KZDriveStatus::shownWord(QStringLiteral("FAILED"));
    default:
        return KZDriveStatus::shownWord(QStringLiteral("PASSED"));
    }
}

} // namespace

bool KZHealthHistory::notificationsEnabled(const KZPreferences &preferences)
{
    const QVariant value = preferences.objectForKey(preferenceKey);
    return !value.isValid() || KZPreferences::toBool(value);
}

QString KZHealthHistory::keyOf(const KZSMARTDrive &drive)
{
    const std::optional<QString> &serial = drive.driveSerialNumber();
    if (serial && !serial->trimmed().isEmpty())
        return QStringLiteral("serial:") + serial->trimmed();
    return QStringLiteral("location:") + drive.driveLocation();
}

QList<KZHealthHistory::Observation>
KZHealthHistory::observationsOf(const QList<const KZSMARTDrive *> &drives)
{
    QList<Observation> observations;
    for (const KZSMARTDrive *drive : drives)
        observations.append(
            {keyOf(*drive), KZDriveStatus::shownName(*drive), drive->driveHealth()});
    return observations;
}

QList<KZHealthHistory::Change> KZHealthHistory::record(const QList<Observation> &drives)
{
    QList<Change> changes;
    for (const Observation &drive : drives) {
        if (!determined(drive.health))
            continue;
        const auto known = m_health.constFind(drive.key);
        if (known != m_health.cend() && drive.health > *known)
            changes.append({drive.displayName, *known, drive.health});
        m_health.insert(drive.key, drive.health);
    }
    return changes;
}

QString KZHealthHistory::summaryOf(const Change &change)
{
    return KZRecordedTexts::fill(
        change.health == 3 ? QCoreApplication::translate("KZHealthHistory", "%1: FAILED")
                           : QCoreApplication::translate("KZHealthHistory", "%1: FAILING"),
        {change.displayName});
}

QString KZHealthHistory::bodyOf(const Change &change)
{
    return QCoreApplication::translate(
               "KZHealthHistory", "The drive was %1 at the previous check. Back up its data now.")
        .arg(word(change.previousHealth));
}
