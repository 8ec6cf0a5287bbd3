// Placeholders for the tray-monitor and updater hooks of KZAppController
// until KZAppController+MenuExtra.cpp defines them; delete this file together
// with adding that one.
#include "KZAppController.h"

void KZAppController::toggleMenuExtra(QObject *sender)
{
    Q_UNUSED(sender);
}
void KZAppController::setUpMenuExtraLink() {}
void KZAppController::setUpUpdater() {}
