#pragma once

#include "KZDriveSummary.h"
#include "KZMailSender.h"
#include "KZTestsControllerHost.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class KZAttributesController;
class KZDetailWindowController;
class KZDriveInfoController;
class KZErrorsController;
class KZHistoryController;
class KZSMARTDrive;
class KZTestsController;
class QWidget;

// The detail windows a drive list has opened: one drive-information,
// attributes, errors and self-test window controller per drive, found again
// by the drive's identifier, reused when reopened (closing a window only
// hides it), updated after every refresh and all closed by the next scan;
// and its history window.
// The main window and every report viewer window keep one each.
class KZDetailWindows : public QObject, public KZTestsControllerHost
{
    Q_OBJECT

public:
    // What the owner provides; every part may be left empty.
    struct Hooks
    {
        // Fills the owner's summary again.
        std::function<void()> refreshWindow;
        // Whether a scan or update is busy with the drives.
        std::function<bool()> drivesBusy;
        // The sender of the self-test completion mail.
        std::function<KZMailSender()> mailSender;
        // The time now, for the self-test estimates.
        std::function<QDateTime()> clock;
    };

    enum class Kind
    {
        DriveInformation,
        Attributes,
        Errors,
        Tests,
        History
    };

    // Windows open on top of `windowParent`.
    KZDetailWindows(KZDriveViewFlavour flavour, QWidget *windowParent, Hooks hooks,
                    QObject *parent = nullptr);
    ~KZDetailWindows() override;

    // Shows the drive's window of that kind, making it the first time
    // (showAllDriveInformation:, showAllAttributes:, showAllErrors:,
    // moreInfoTests:). Nothing happens without a drive.
    KZDetailWindowController *show(Kind kind, const std::shared_ptr<KZSMARTDrive> &drive);
    // updateWindow on every window, drive information first, self-tests last.
    void updateAll();
    // Closes every window and forgets every controller.
    void closeAll();

    const QList<QPointer<KZDriveInfoController>> &driveInfoControllers() const
    {
        return m_driveInfoControllers;
    }
    const QList<QPointer<KZAttributesController>> &attributesControllers() const
    {
        return m_attributesControllers;
    }
    const QList<QPointer<KZErrorsController>> &errorsControllers() const
    {
        return m_errorsControllers;
    }
    const QList<QPointer<KZTestsController>> &testsControllers() const
    {
        return m_testsControllers;
    }
    const QList<QPointer<KZHistoryController>> &historyControllers() const
    {
        return m_historyControllers;
    }

    // KZTestsControllerHost
    void refreshWindow() override;
    bool drivesBusy() const override;
    quint64 drivesGeneration() const override { return m_generation; }
    KZMailSender testMailSender() const override;

private:
    template <typename Controller>
    KZDetailWindowController *showIn(QList<QPointer<Controller>> &list, const char *logFormat,
                                     const std::shared_ptr<KZSMARTDrive> &drive);

    KZDriveViewFlavour m_flavour;
    QPointer<QWidget> m_windowParent;
    Hooks m_hooks;
    quint64 m_generation = 0;
    QList<QPointer<KZDriveInfoController>> m_driveInfoControllers;
    QList<QPointer<KZAttributesController>> m_attributesControllers;
    QList<QPointer<KZErrorsController>> m_errorsControllers;
    QList<QPointer<KZTestsController>> m_testsControllers;
    QList<QPointer<KZHistoryController>> m_historyControllers;
};
