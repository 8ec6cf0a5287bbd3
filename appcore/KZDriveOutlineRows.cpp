#include "KZDriveOutlineRows.h"

#include "KZDriveStatus.h"
#include "KZSMARTDrive.h"

#include <QFileInfo>

namespace {

bool failingOrFailed(const KZSMARTDrive &drive)
{
    return drive.driveHealth() == 2 || drive.driveHealth() == 3;
}

KZTone toneOf(const KZSMARTDrive &drive)
{
    return failingOrFailed(drive) ? KZTone::Alert : KZTone::Normal;
}

QString viewerDriveText(const KZSMARTDrive &drive)
{
    const QString fileName = QFileInfo(drive.driveLocation()).fileName();
    if (failingOrFailed(drive))
        return drive.driveFromFile() ? fileName : drive.driveLocation();
    if (drive.driveFromFile())
        return drive.driveModel().value_or(fileName);
    return drive.driveLocation();
}

} // namespace

namespace KZDriveOutlineRows {

Row driveRow(const KZSMARTDrive &drive, KZDriveViewFlavour flavour)
{
    if (flavour == KZDriveViewFlavour::ReportViewer)
        return {viewerDriveText(drive), toneOf(drive)};
    const QString name = drive.drivePartitionCount() == 1
                             ? drive.partitionNameAtIndex(0)
                             : drive.driveModel().value_or(drive.driveLocationID());
    return {QStringLiteral("%1  [%2]").arg(name, KZDriveStatus::getDriveStatus(drive)),
            toneOf(drive)};
}

quint64 partitionRowCount(const KZSMARTDrive &drive, KZDriveViewFlavour flavour)
{
    const quint64 count = drive.drivePartitionCount();
    if (flavour == KZDriveViewFlavour::ReportViewer)
        return count;
    return count >= 2 ? count : 0;
}

Row partitionRow(const KZSMARTDrive &drive, quint64 index, KZDriveViewFlavour flavour)
{
    const KZTone tone =
        flavour == KZDriveViewFlavour::ReportViewer ? toneOf(drive) : KZTone::Normal;
    return {drive.partitionNameAtIndex(index), tone};
}

} // namespace KZDriveOutlineRows
