#include "KZMenuItemService.h"

#include "KZTarnwellMenuItemController.h"

#include <QDBusConnection>
#include <QTimer>

KZMenuItemService::KZMenuItemService(KZTarnwellMenuItemController *controller)
    : QObject(controller), m_controller(controller)
{
    connect(controller, &KZTarnwellMenuItemController::menuUpdated, this,
            &KZMenuItemService::MenuUpdated);
}

bool KZMenuItemService::exportObject()
{
    return QDBusConnection::sessionBus().registerObject(
        objectPath, this,
        QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals |
            QDBusConnection::ExportAllProperties);
}

int KZMenuItemService::overallStatus() const
{
    return m_controller ? m_controller->shownStatus() : 0;
}

QStringList KZMenuItemService::menuTitles() const
{
    return m_controller ? m_controller->menuModel().titles() : QStringList();
}

qlonglong KZMenuItemService::timerInterval() const
{
    return m_controller && m_controller->pollingTimer()
               ? m_controller->pollingTimer()->interval() / 1000
               : 0;
}

bool KZMenuItemService::busy() const
{
    return m_controller && m_controller->isBusy();
}

void KZMenuItemService::ScanForDrives()
{
    if (m_controller)
        m_controller->scanForDrives();
}

void KZMenuItemService::UpdateDrives()
{
    if (m_controller)
        m_controller->updateDrives();
}

void KZMenuItemService::LaunchTarnwell()
{
    if (m_controller)
        m_controller->launchTarnwell();
}

void KZMenuItemService::Quit()
{
    // After the reply: quitting inside the call would close the connection
    // before the caller heard back.
    if (m_controller)
        QTimer::singleShot(0, m_controller.data(), &KZTarnwellMenuItemController::quit);
}
