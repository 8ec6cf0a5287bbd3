#pragma once

// Drives read through the real smartctl from captures that twdr-forge writes
// at test time, as the windows get them from the drive list.

#include "KZSMARTDrive.h"
#include "TestSupport.h"

#include <QStringList>
#include <memory>

namespace ForgedDrives {

// A drive read whole through the real smartctl from a capture file, with
// the given partitions.
inline std::shared_ptr<KZSMARTDrive> readCapture(const QString &capture,
                                                 const QStringList &partitions = {})
{
    auto drive = std::make_shared<KZSMARTDrive>(KZSMARTDrive::initForCommandLine());
    drive->setLocation(capture);
    drive->setDriveAsFile(true);
    drive->setSmartctlOverride(TestSupport::realSmartctl());
    for (const QString &name : partitions)
        drive->addPartitionName(name);
    drive->updateInfo();
    return drive;
}

// Forges a capture from a JSON drive description (in a folder of its own, as
// `fileName`) and reads it as above.
inline std::shared_ptr<KZSMARTDrive> read(const QByteArray &json,
                                          const QStringList &partitions = {},
                                          const QString &fileName = QStringLiteral("drive.twdr"))
{
    return readCapture(TestSupport::forge(json, fileName), partitions);
}

// A drive without S.M.A.R.T. data by smartctl's own answer: a device node
// that does not exist ("No such device").
inline std::shared_ptr<KZSMARTDrive> unsupported()
{
    auto drive = std::make_shared<KZSMARTDrive>(KZSMARTDrive::initForCommandLine());
    drive->setLocation(QStringLiteral("/dev/sdzz"));
    drive->setSmartctlOverride(TestSupport::realSmartctl());
    drive->updateInfo();
    return drive;
}

// A drive smartctl cannot read at all: a file that is not a capture, which
// smartctl answers with "Syntax error: No information found".
inline std::shared_ptr<KZSMARTDrive> unreadable()
{
    static int counter = 0;
    return readCapture(TestSupport::writeFile(
        TestSupport::homeDir() + QStringLiteral("/not-a-capture-%1.twdr").arg(++counter),
        "This is not a capture.\n"));
}

// A description with the given attributes (JSON objects, comma-separated)
// and further top-level keys.
inline QByteArray withAttributes(const QByteArray &attributes, const QByteArray &extra = {})
{
    return "{" + extra + (extra.isEmpty() ? "" : ", ") + "\"attributes\": [" + attributes + "]}";
}

// Descriptions of whole drives as the programs' tests find them: one that
// passes, one that is failing (reallocated sectors above the limit) and one
// that failed (its own overall-health check). An empty model leaves the
// drive without one.
inline QByteArray driveJson(const QString &model, const QString &serial, const QByteArray &health,
                            qint64 reallocated)
{
    QByteArray identity = "\"serial\": \"" + serial.toUtf8() +
                          "\", \"firmware\": \"FW01\", \"sectors\": 1953525168, "
                          "\"rotationRate\": 7200";
    if (!model.isEmpty())
        identity = "\"model\": \"" + model.toUtf8() + "\", " + identity;
    return "{\"identity\": {" + identity + "}, \"smartEnabled\": true, \"health\": \"" + health +
           "\", \"attributes\": ["
           "{\"id\": 5, \"flags\": \"0x0033\", \"value\": 100, \"worst\": 100, \"thresh\": 10, "
           "\"raw\": " +
           QByteArray::number(reallocated) +
           "},"
           "{\"id\": 9, \"flags\": \"0x0032\", \"value\": 90, \"worst\": 90, \"thresh\": 0, "
           "\"raw\": 4242},"
           "{\"id\": 194, \"flags\": \"0x0022\", \"value\": 35, \"worst\": 45, \"thresh\": 0, "
           "\"raw\": 35}]}";
}

inline QByteArray passedDrive(const QString &model, const QString &serial)
{
    return driveJson(model, serial, "passed", 0);
}

inline QByteArray failingDrive(const QString &model, const QString &serial)
{
    return driveJson(model, serial, "passed", 24);
}

inline QByteArray failedDrive(const QString &model, const QString &serial)
{
    return driveJson(model, serial, "failing", 0);
}

} // namespace ForgedDrives
