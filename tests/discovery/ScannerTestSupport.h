#pragma once

// What the scanner and drive-list tests share: tool stand-ins for the
// listings, forged captures and drives replayed from them, and a presenter
// that records the alerts.
#include "KZAlertPresenter.h"
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

// `ls` of a Mac: the device folder, or the long listing of /Volumes.
inline QString lsScript(const QString &devRecording, const QString &volumesRecording)
{
    return writeScript("ls", "#!/bin/sh\n"
                             "if [ \"$1\" = -la ] && [ \"$2\" = /Volumes ]; then exec /bin/cat '" +
                                 QFile::encodeName(volumesRecording) +
                                 "'; fi\n"
                                 "if [ \"$1\" = /dev ]; then exec /bin/cat '" +
                                 QFile::encodeName(devRecording) +
                                 "'; fi\n"
                                 "echo \"unexpected arguments: $*\"\n");
}

inline KZSMARTScanner macScanner(const QString &dev, const QString &df, const QString &volumes)
{
    KZSMARTScanner scanner = KZSMARTScanner::initForCommandLine();
    scanner.setBackEnd(KZSMARTScanner::BackEnd::MacOS);
    scanner.setToolProgram(KZSMARTScanner::lsTool, lsScript(dev, volumes));
    scanner.setToolProgram(KZSMARTScanner::dfTool, catScript("df", df));
    return scanner;
}

inline KZSMARTScanner linuxScanner(const QString &lsblk)
{
    KZSMARTScanner scanner = KZSMARTScanner::initForCommandLine();
    scanner.setBackEnd(KZSMARTScanner::BackEnd::Linux);
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

class RecordingPresenter : public KZAlertPresenter
{
public:
    RecordingPresenter() { setCurrent(this); }
    ~RecordingPresenter() override { setCurrent(nullptr); }
    int runAlert(Style, const QString &title, const QString &text, const QStringList &) override
    {
        alerts.append(title + " | " + text);
        return 0;
    }
    QStringList alerts;
};

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
