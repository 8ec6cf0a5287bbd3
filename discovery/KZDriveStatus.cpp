#include "KZDriveStatus.h"

#include "KZSMARTDrive.h"

#include <QCoreApplication>

namespace KZDriveStatus {

const QStringList &statusWords()
{
    // Marked for the catalogues: shownWord() translates them.
    static const QStringList words{
        QString::fromLatin1(QT_TRANSLATE_NOOP("KZDriveStatus", "FAILED")),
        QString::fromLatin1(QT_TRANSLATE_NOOP("KZDriveStatus", "FAILING")),
        QString::fromLatin1(QT_TRANSLATE_NOOP("KZDriveStatus", "UNKNOWN")),
        QString::fromLatin1(QT_TRANSLATE_NOOP("KZDriveStatus", "TESTING")),
        QString::fromLatin1(QT_TRANSLATE_NOOP("KZDriveStatus", "UNSUPPORTED")),
        QString::fromLatin1(QT_TRANSLATE_NOOP("KZDriveStatus", "SLEEPING")),
        QString::fromLatin1(QT_TRANSLATE_NOOP("KZDriveStatus", "PASSED"))};
    return words;
}

QString shownWord(const QString &word)
{
    return QCoreApplication::translate("KZDriveStatus", word.toLatin1().constData());
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

QString getDriveStatus(const KZSMARTDrive &drive)
{
    return shownWord(statusWord(drive));
}

bool healthUnknown(const KZSMARTDrive &drive)
{
    const qint32 health = drive.driveHealth();
    return !drive.driveSleeping() &&
           (drive.driveReadFailed() ||
            (drive.smartSupported() && health != 1 && health != 2 && health != 3));
}

int mergedDriveStatus(const QList<const KZSMARTDrive *> &drives)
{
    int merged = 1;
    for (const KZSMARTDrive *drive : drives) {
        const qint32 health = drive->driveHealth();
        // A drive whose status is UNKNOWN is never shown as healthy.
        if (health == 3)
            merged = 3;
        else if ((health == 2 || healthUnknown(*drive)) && merged != 3)
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

QString shownName(const KZSMARTDrive &drive)
{
    if (drive.drivePartitionCount() < 2)
        return displayName(drive);
    return nameWithPartitions(drive.driveModel().value_or(drive.driveLocationID()), drive, true);
}

QString nameWithPartitions(const QString &base, const KZSMARTDrive &drive, bool translated)
{
    const auto text = [translated](const char *english) {
        return translated ? QCoreApplication::translate("KZDriveStatus", english)
                          : QString::fromLatin1(english);
    };
    const quint64 count = drive.drivePartitionCount();
    QString name = text(QT_TRANSLATE_NOOP("KZDriveStatus", "%1 with partitions ")).arg(base);
    for (quint64 index = 0; index < count; ++index) {
        name += drive.partitionNameAtIndex(index);
        if (index + 2 < count)
            name += text(QT_TRANSLATE_NOOP("KZDriveStatus", ", "));
        else if (index + 2 == count)
            name += text(QT_TRANSLATE_NOOP("KZDriveStatus", ", and "));
    }
    return name;
}

} // namespace KZDriveStatus
