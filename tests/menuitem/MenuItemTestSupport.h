#pragma once

#include "AlertTestSupport.h"
#include "ForgedDrives.h"
#include "ForgedMachine.h"
#include "TestSupport.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

// Helpers of the tray monitor's tests.
namespace MenuItemTestSupport {

// trayer, the tray host of the virtual display, while the object lives;
// available() is false without a display, trayer or xdotool.
class TrayHost
{
public:
    ~TrayHost();
    static bool available(QString *why);
    // Starts trayer and waits until its tray is up (at most 30 s); the
    // failure says what trayer printed.
    testing::AssertionResult start();

private:
    QProcess m_process;
};

using ForgedDrives::failedDrive;
using ForgedDrives::failingDrive;
using ForgedDrives::passedDrive;

using TestSupport::waitFor;

using AlertTestSupport::writePreferences;

// A script that records its arguments (one per line) into <file>.
QString recordingProgram(const QString &file);

} // namespace MenuItemTestSupport

#define SKIP_WITHOUT_SMARTCTL_FOR_MONITOR()                                                        \
    do {                                                                                           \
        if (TestSupport::realSmartctl().isEmpty())                                                 \
            GTEST_SKIP() << "smartctl is not installed";                                           \
    } while (0)
