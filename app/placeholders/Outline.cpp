// Placeholders for the drive outline, summary and detail-window hooks of
// KZAppController until KZAppController+Outline.cpp defines them; delete this
// file together with adding that one.
#include "KZAppController.h"

void KZAppController::setUpDriveArea() {}
void KZAppController::refreshWindow() {}
void KZAppController::updateDetailWindows() {}
void KZAppController::closeDetailWindows() {}
