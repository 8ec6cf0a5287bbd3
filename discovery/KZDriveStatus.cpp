#include "KZDriveStatus.h"

#include "KZLocalization.h"
#include "KZSMARTDrive.h"

#include <QCoreApplication>

namespace KZDriveStatus {

const QStringList &statusWords()
{
    static const QStringList words{QStringLiteral("FAILED"),      QStringLiteral("FAILING"),
                                   QStringLiteral("UNKNOWN"),     QStringLiteral("TESTING"),
                                   QStringLiteral("UNSUPPORTED"), QStringLiteral("SLEEPING"),
                                   QStringLiteral("PASSED")};
    return words;
}

QString statusWord(const KZSMARTDrive &drive)
{
    if (drive.driveSleeping())
        return QStringLiteral("SLEEPING");
    QString word;
    // A drive that did not answer is unknown, not unsupported: only its own
    // answer can say that it has no S.M.A.R.T. data.
    if (drive.smartSupported() || drive.driveReadFailed()) {
        switch (drive.driveHealth()) {
        case 1:
            word = QStringLiteral("PASSED");
            break;
        case 2:
            word = QStringLiteral("FAILING");
            break;
        case 3:
            word = QStringLiteral("FAILED");
            break;
        default:
            word = QStringLiteral("UNKNOWN");
            break;
        }
    } else {
        word = drive.driveSelfTestExecutionInProgress() ? QStringLiteral("TESTING")
                                                        : QStringLiteral("UNSUPPORTED");
    }
    return word;
}

QString wordForPeople(const QString &word)
{
    if (word == QLatin1String("SLEEPING"))
        return QCoreApplication::translate("KZDriveStatus", "SLEEPING");
    return KZLocalization::localizedString(word, word);
}

QString getDriveStatus(const KZSMARTDrive &drive)
{
    return wordForPeople(statusWord(drive));
}

int mergedDriveStatus(const QList<const KZSMARTDrive *> &drives)
{
    int merged = 1;
    for (const KZSMARTDrive *drive : drives) {
        const qint32 health = drive->driveHealth();
        // A drive whose status is UNKNOWN (it did not answer, or answered
        // without a verdict) is never shown as healthy.
        const bool unknown = !drive->driveSleeping() &&
                             (drive->driveReadFailed() || (drive->smartSupported() && health != 1 &&
                                                           health != 2 && health != 3));
        if (health == 3)
            merged = 3;
        else if ((health == 2 || unknown) && merged != 3)
            merged = 2;
    }
    return merged;
}

QString displayName(const KZSMARTDrive &drive)
{
    const QString base = drive.driveModel().value_or(drive.driveLocationID());
    const quint64 count = drive.drivePartitionCount();
    if (count == 0)
        return base;
    if (count == 1)
        return drive.partitionNameAtIndex(0);
    return nameWithPartitions(base, drive);
}

QString nameWithPartitions(const QString &base, const KZSMARTDrive &drive)
{
    const quint64 count = drive.drivePartitionCount();
    QString name = KZLocalization::localizedString(QStringLiteral("%@ with partitions "),
                                                   QStringLiteral("%1 with partitions "))
                       .replace(QStringLiteral("%@"), QStringLiteral("%1"))
                       .arg(base);
    for (quint64 index = 0; index < count; ++index) {
        name += drive.partitionNameAtIndex(index);
        if (index + 2 < count)
            name += QStringLiteral(", ");
        else if (index + 2 == count)
            name += QStringLiteral(", and ");
    }
    return name;
}

} // namespace KZDriveStatus
