#include "KZDetailWindows.h"

#include "KZAttributesController.h"
#include "KZDriveInfoController.h"
#include "KZErrorsController.h"
#include "KZHistoryController.h"
#include "KZLog.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "KZTestsController.h"

#include <QWidget>

namespace {

bool debugLogging()
{
    return KZPreferences::standard().boolForKey(KZPreferenceKeys::outputDebugMessages);
}

template <typename Controller> void closeEvery(QList<QPointer<Controller>> &list)
{
    for (const QPointer<Controller> &controller : list) {
        if (controller) {
            controller->close();
            controller->deleteLater();
        }
    }
    list.clear();
}

template <typename Controller> void updateEvery(const QList<QPointer<Controller>> &list)
{
    for (const QPointer<Controller> &controller : list) {
        if (controller)
            controller->updateWindow();
    }
}

} // namespace

KZDetailWindows::KZDetailWindows(KZDriveViewFlavour flavour, QWidget *windowParent, Hooks hooks,
                                 QObject *parent)
    : QObject(parent), m_flavour(flavour), m_windowParent(windowParent), m_hooks(std::move(hooks))
{
}

KZDetailWindows::~KZDetailWindows()
{
    closeAll();
}

template <typename Controller>
KZDetailWindowController *KZDetailWindows::showIn(QList<QPointer<Controller>> &list,
                                                  const char *logFormat,
                                                  const std::shared_ptr<KZSMARTDrive> &drive)
{
    const bool debug = debugLogging();
    const quint64 identifier = drive->getID();
    KZLog::debug(debug, QString::fromLatin1(logFormat).arg(drive->driveLocation()));
    const bool driveInformation = std::is_same_v<Controller, KZDriveInfoController>;
    if (driveInformation && m_flavour == KZDriveViewFlavour::MainWindow) {
        KZLog::debug(debug, QStringLiteral("Search ID: %1.").arg(identifier));
        if (!list.isEmpty())
            KZLog::debug(debug, QStringLiteral("Scanning for existing drive window controller."));
    }
    for (const QPointer<Controller> &controller : list) {
        if (controller && controller->getID() == identifier) {
            if (driveInformation || m_flavour == KZDriveViewFlavour::ReportViewer)
                KZLog::debug(debug, QStringLiteral("Found existing controller."));
            controller->showWindow();
            controller->updateWindow();
            return controller;
        }
    }
    if (driveInformation && m_flavour == KZDriveViewFlavour::MainWindow)
        KZLog::debug(debug, QStringLiteral("Did not find, creating new controller."));
    auto *controller = new Controller(m_windowParent);
    controller->setAttribute(Qt::WA_DeleteOnClose, false);
    controller->setID(identifier);
    controller->setDrive(drive);
    if constexpr (std::is_same_v<Controller, KZTestsController>) {
        controller->setAppController(this);
        if (m_hooks.clock)
            controller->setClock(m_hooks.clock);
    }
    if constexpr (std::is_same_v<Controller, KZHistoryController>) {
        if (m_hooks.clock)
            controller->setClock(m_hooks.clock);
    }
    controller->showWindow();
    controller->updateWindow();
    list.append(controller);
    return controller;
}

KZDetailWindowController *KZDetailWindows::show(Kind kind,
                                                const std::shared_ptr<KZSMARTDrive> &drive)
{
    if (!drive)
        return nullptr;
    const bool viewer = m_flavour == KZDriveViewFlavour::ReportViewer;
    switch (kind) {
    case Kind::DriveInformation:
        return showIn(m_driveInfoControllers,
                      viewer ? "Showing Drive Info Window of %1."
                             : "Showing Drive Information Window of %1.",
                      drive);
    case Kind::Attributes:
        return showIn(m_attributesControllers, "Showing Attributes Window of %1.", drive);
    case Kind::Errors:
        return showIn(m_errorsControllers, "Showing Errors Window of %1.", drive);
    case Kind::Tests:
        return showIn(m_testsControllers, "Showing Tests Window of %1.", drive);
    case Kind::History:
        return showIn(m_historyControllers, "Showing History Window of %1.", drive);
    }
    return nullptr;
}

void KZDetailWindows::updateAll()
{
    ++m_generation;
    updateEvery(m_driveInfoControllers);
    updateEvery(m_attributesControllers);
    updateEvery(m_errorsControllers);
    updateEvery(m_testsControllers);
    updateEvery(m_historyControllers);
}

void KZDetailWindows::closeAll()
{
    ++m_generation;
    closeEvery(m_driveInfoControllers);
    closeEvery(m_attributesControllers);
    closeEvery(m_errorsControllers);
    closeEvery(m_testsControllers);
    closeEvery(m_historyControllers);
}

void KZDetailWindows::refreshWindow()
{
    if (m_hooks.refreshWindow)
        m_hooks.refreshWindow();
}

bool KZDetailWindows::drivesBusy() const
{
    return m_hooks.drivesBusy && m_hooks.drivesBusy();
}

KZMailSender KZDetailWindows::testMailSender() const
{
    return m_hooks.mailSender ? m_hooks.mailSender() : KZMailSender(KZMailSender::Copy::SelfTest);
}
