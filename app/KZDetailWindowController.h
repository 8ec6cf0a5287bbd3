#pragma once

#include <QWidget>
#include <memory>

class KZSMARTDrive;

// A window that shows one drive: its controller keeps the drive's identifier
// (given by the scan) so the window that opened it can find it again, and
// fills itself from the drive at every updateWindow. Closing the window only
// hides it; the owner decides when the controller goes.
class KZDetailWindowController : public QWidget
{
    Q_OBJECT

public:
    explicit KZDetailWindowController(QWidget *parent = nullptr);

    void setID(quint64 identifier) { m_controllerID = identifier; }
    quint64 getID() const { return m_controllerID; }
    virtual void setDrive(std::shared_ptr<KZSMARTDrive> drive) { m_drive = std::move(drive); }
    const std::shared_ptr<KZSMARTDrive> &drive() const { return m_drive; }

    // Shows the window in front of the others.
    void showWindow();
    // Fills the window from the drive.
    virtual void updateWindow() = 0;

protected:
    quint64 m_controllerID = 0;
    std::shared_ptr<KZSMARTDrive> m_drive;
};
