#include "KZHealthHistory.h"

#include "KZDriveStatus.h"
#include "KZLocalization.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"

namespace {

bool determined(qint32 health)
{
    return health == 1 || health == 2 || health == 3;
}

QString fill(const char *key, const char *defaultFormat, const QString &value)
{
    QString format =
        KZLocalization::localizedString(QString::fromLatin1(key), QString::fromUtf8(defaultFormat));
    const qsizetype position = format.indexOf(QStringLiteral("%@"));
    return position < 0 ? format : format.replace(position, 2, value);
}

QString word(qint32 health)
{
    switch (health) {
    case 2:
        return KZLocalization::localizedString(QStringLiteral("FAILING"),
                                               QStringLiteral("FAILING"));
    case 3:
        return KZLocalization::localizedString(QStringLiteral("FAILED"), QStringLiteral("FAILED"));
    default:
        return KZLocalization::localizedString(QStringLiteral("PASSED"), QStringLiteral("PASSED"));
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
            {keyOf(*drive), KZDriveStatus::displayName(*drive), drive->driveHealth()});
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
    return change.health == 3 ? fill("NotifyDriveFailed", "%@: FAILED", change.displayName)
                              : fill("NotifyDriveFailing", "%@: FAILING", change.displayName);
}

QString KZHealthHistory::bodyOf(const Change &change)
{
    return fill("NotifyDriveWorse", "The drive was %@ at the previous check. Back up its data now.",
                word(change.previousHealth));
}
