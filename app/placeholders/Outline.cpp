// Placeholders for the drive outline, summary and detail-window hooks of
// KZAppController until KZAppController+Outline.cpp defines them; delete this
// file together with adding that one. Meanwhile the drive area shows a plain
// list of the drives with their status words.
#include "KZAppController.h"

#include "KZDriveStatus.h"
#include "KZSMARTDrive.h"

#include <QListWidget>
#include <QPointer>
#include <QVBoxLayout>

namespace {
QPointer<QListWidget> driveList;
}

void KZAppController::setUpDriveArea()
{
    driveList = new QListWidget(driveArea());
    driveList->setAccessibleName(tr("Drives"));
    driveArea()->layout()->addWidget(driveList);
}

void KZAppController::refreshWindow()
{
    if (!driveList || driveList->parent() != driveArea())
        return;
    driveList->clear();
    for (const std::shared_ptr<KZSMARTDrive> &drive : drives()) {
        const QString status = getDriveStatus(*drive);
        auto *item = new QListWidgetItem(
            QStringLiteral("%1  [%2]").arg(KZDriveStatus::displayName(*drive), status), driveList);
        if (drive->driveHealth() == 2 || drive->driveHealth() == 3)
            item->setForeground(Qt::red);
    }
    if (driveList->count() == 0)
        driveList->addItem(QStringLiteral("-  [NO DRIVES]"));
    driveList->setCurrentRow(int(driveSelected()));
}

void KZAppController::updateDetailWindows() {}
void KZAppController::closeDetailWindows() {}
