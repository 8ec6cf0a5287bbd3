#pragma once

// Drives replayed through the real smartctl from captures that twdr-forge
// writes at test time from a JSON description.

#include "KZException.h"
#include "KZSMARTDrive.h"
#include "KZTask.h"
#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>

namespace ForgedCapture {

// Writes NAME.json, forges NAME.twdr from it (replacing an earlier one) and
// returns the capture's path; a forge failure fails the test.
inline QString forge(const QString &name, const QByteArray &json)
{
    const QString dir = TestSupport::homeDir() + QStringLiteral("/forged");
    const QString input = TestSupport::writeFile(dir + QLatin1Char('/') + name + ".json", json);
    const QString output = dir + QLatin1Char('/') + name + ".twdr";
    QFile::remove(output);
    KZTask task;
    std::optional<QStringList> said;
    try {
        said = task.parseCommandLine(QStringLiteral(TWDR_FORGE),
                                     QStringList{input, QStringLiteral("-o"), output});
    } catch (const KZException &error) {
        ADD_FAILURE() << "twdr-forge did not run: " << error.reason().toStdString();
    }
    if (!QFileInfo(output).isFile())
        ADD_FAILURE() << "twdr-forge wrote no capture for " << name.toStdString() << ": "
                      << said.value_or(QStringList()).join('\n').toStdString();
    return output;
}

// A command-line drive that replays the capture through the real smartctl.
inline KZSMARTDrive replayDrive(const QString &capture)
{
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(capture);
    drive.setDriveAsFile(true);
    drive.setSmartctlOverride(TestSupport::realSmartctl());
    return drive;
}

} // namespace ForgedCapture
