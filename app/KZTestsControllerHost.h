#pragma once

#include "KZMailSender.h"

#include <QtGlobal>

// What a self-test window needs from the window that opened it (the
// application controller, or a report viewer).
class KZTestsControllerHost
{
public:
    virtual ~KZTestsControllerHost() = default;

    // Fills the opening window's summary again (refreshWindow).
    virtual void refreshWindow() = 0;
    // Whether a scan or update is reading or changing the drives right now.
    // Asked on the GUI thread; while it is true the window leaves the drive alone.
    virtual bool drivesBusy() const { return false; }
    // Changes whenever a scan or update starts, so the window can tell that
    // the drive was refreshed while its own smartctl run went on.
    virtual quint64 drivesGeneration() const { return 0; }
    // The sender of the completion mail, set up as the program was started.
    virtual KZMailSender testMailSender() const
    {
        return KZMailSender(KZMailSender::Copy::SelfTest);
    }
};
