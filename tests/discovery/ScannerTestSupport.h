#pragma once

// What the scanner and drive-list tests share: tool stand-ins for the
// listings, forged captures and drives replayed from them.
#include "KZSMARTDrive.h"
#include "KZSMARTScanner.h"
#include "TestSupport.h"

#include <QFile>
#include <QProcess>
#include <memory>

namespace ScannerTestSupport {

using TestSupport::writeFile;
using TestSupport::writeScript;

inline QString recordingPath(const QString &name)
{
    return TestSupport::sourceDir() + "/tests/discovery/data/" + name;
}

// A tool stand-in that prints a recorded output.
inline QString catScript(const QString &name, const QString &recording)
{
    return writeScript(name, "#!/bin/sh\nexec /bin/cat '" + QFile::encodeName(recording) + "'\n");
}

inline KZSMARTScanner linuxScanner(const QString &lsblk)
{
    KZSMARTScanner scanner = KZSMARTScanner::initForCommandLine();
    scanner.setToolProgram(KZSMARTScanner::lsblkTool, lsblk);
    return scanner;
}

inline QStringList locations(const KZSMARTScanner &scanner)
{
    QStringList result;
    for (const auto &drive : scanner.getDrives())
        result << drive->driveLocation();
    return result;
}

const KZSMARTDrive *driveAt(const KZSMARTScanner &scanner, const QString &location)
{
    for (const auto &drive : scanner.getDrives()) {
        if (drive->driveLocation() == location)
            return drive.get();
    }
    return nullptr;
}

// A capture written by twdr-forge from a JSON description.
inline QString forge(const QString &name, const QByteArray &json)
{
    const QString dir = TestSupport::homeDir() + "/forged";
    const QString input = writeFile(dir + "/" + name + ".json", json);
    const QString output = dir + "/" + name + ".twdr";
    QProcess process;
    process.start(TWDR_FORGE, {input, "-o", output});
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return output;
}

inline QString forgeDisk(const QString &name, const QString &serial,
                         const QString &model = "FORGED DISK")
{
    return forge(name, QStringLiteral(R"({"identity": {"model": "%1", "serial": "%2"}})")
                           .arg(model, serial)
                           .toUtf8());
}

// A drive replayed from a capture through the real smartctl.
inline std::shared_ptr<KZSMARTDrive> fileDrive(const QString &path, const QStringList &volumes = {})
{
    auto drive = std::make_shared<KZSMARTDrive>(KZSMARTDrive::initForCommandLine());
    drive->setLocation(path);
    drive->setDriveAsFile(true);
    drive->setSmartctlOverride(TestSupport::realSmartctl());
    for (const QString &volume : volumes)
        drive->addPartitionName(volume);
    return drive;
}

// A device smartctl cannot open: its own answer is "Unable to detect device type".
inline std::shared_ptr<KZSMARTDrive> missingDevice()
{
    auto drive = std::make_shared<KZSMARTDrive>(KZSMARTDrive::initForCommandLine());
    drive->setLocation("/dev/tarnwell-no-such-disk");
    drive->setSmartctlOverride(TestSupport::realSmartctl());
    return drive;
}

inline QString notACapture()
{
    static const QString path =
        writeFile(TestSupport::homeDir() + "/forged/not-a-capture.twdr", "hello\nworld\n");
    return path;
}

} // namespace ScannerTestSupport
