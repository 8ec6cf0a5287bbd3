#pragma once

// Helpers of the error-log and self-test-log tests: captures forged with
// twdr-forge and replayed through the real smartctl, outputs of the corpus
// fake, and access to the capability fields the capability parse fills.

#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "KZTask.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>

#ifndef TARNWELL_TWDR_FORGE
#error "TARNWELL_TWDR_FORGE must name the twdr-forge program"
#endif

struct KZSMARTDriveTesting
{
    static void setCapabilities(KZSMARTDrive &drive, quint32 dataCapabilities, qint32 shortMinutes,
                                qint32 longMinutes)
    {
        drive.m_dataCapabilities = dataCapabilities;
        drive.m_shortSelftestTime = shortMinutes;
        drive.m_longSelftestTime = longMinutes;
    }
    static void setSelftestStatus(KZSMARTDrive &drive, qint32 status)
    {
        drive.m_selftestStatus = status;
    }
    static void setHealth(KZSMARTDrive &drive, qint32 health) { drive.m_health = health; }
    // A refresh with one smartctl run per parse step ("-i", "-H", "-c", "-A",
    // "-l error", "-l selftest") and one more for the raw capture, as the
    // engine refreshed before one run served them all.
    static void refreshCommandByCommand(KZSMARTDrive &drive)
    {
        const KZPreferences::Batch preferences;
        drive.beginRefresh();
        drive.runParseSteps();
        drive.finishRefresh([&drive] { drive.saveRawData(); });
    }
};

namespace LogTestSupport {

// Forges a capture from a JSON drive description into the test home (the same
// name overwrites the previous capture); returns its path.
inline QString forge(const QString &name, const QByteArray &json)
{
    const QString dir = TestSupport::homeDir() + QStringLiteral("/forged");
    const QString input = TestSupport::writeFile(dir + QLatin1Char('/') + name + ".json", json);
    const QString output = dir + QLatin1Char('/') + name + ".twdr";
    KZTask task;
    const std::optional<QStringList> printed = task.parseCommandLine(
        QStringLiteral(TARNWELL_TWDR_FORGE), QStringList{input, QStringLiteral("-o"), output});
    if (printed && !printed->isEmpty())
        ADD_FAILURE() << "twdr-forge: " << printed->join('\n').toStdString();
    if (!QFileInfo(output).isFile())
        ADD_FAILURE() << "twdr-forge wrote no capture for " << name.toStdString();
    return output;
}

// A drive replayed from a capture through the real smartctl, never showing alerts.
inline KZSMARTDrive captureDrive(const QString &capture)
{
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(capture);
    drive.setDriveAsFile(true);
    drive.setSmartctlOverride(TestSupport::realSmartctl());
    return drive;
}

// A drive that asks the corpus fake, which answers from the report in
// FAKE_SMARTCTL_REPORT. With a copy path, everything the fake prints is also
// written to that file, so a test sees exactly what the parser read.
inline KZSMARTDrive corpusDrive(const QString &report, const QString &copy = QString())
{
    qputenv("FAKE_SMARTCTL_REPORT", QFile::encodeName(report));
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(QStringLiteral("/dev/sdc"));
    const QString fake = TestSupport::fake(QStringLiteral("fake-smartctl-corpus"));
    if (copy.isEmpty()) {
        drive.setSmartctlOverride(fake);
    } else {
        QFile::remove(copy);
        drive.setSmartctlOverride(TestSupport::writeScript(
            QStringLiteral("smartctl"), "#!/bin/sh\n'" + QFile::encodeName(fake) +
                                            "' \"$@\" | tee '" + QFile::encodeName(copy) + "'\n"));
    }
    return drive;
}

// A copied output, split into lines as the parsers see them.
inline QStringList copiedLines(const QString &copy)
{
    const QString text = QString::fromUtf8(TestSupport::readFile(copy));
    return text.isEmpty() ? QStringList() : KZTask::splitLines(text);
}

// The corpus reports that hold a section whose heading has one of the words.
inline QStringList corpusReports(const QStringList &words)
{
    QStringList reports;
    for (const char *folder : {"ata-errorlog", "ata-failing", "ata-healthy", "nvme"}) {
        const QDir dir(TestSupport::corpusDir() + QLatin1Char('/') + QLatin1String(folder));
        for (const QString &name :
             dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
            const QString text = QString::fromLatin1(TestSupport::readFile(dir.filePath(name)));
            for (const QString &word : words) {
                if (text.contains(word)) {
                    reports.append(dir.filePath(name));
                    break;
                }
            }
        }
    }
    return reports;
}

// Resets the preferences these tests change, with the application's defaults registered.
inline void resetPreferences()
{
    KZPreferences &preferences = KZPreferences::standard();
    preferences.registerApplicationDefaults();
    for (const char *key : {"CustomErrorCount", "CustomErrorCountValue", "RememberErrorCount",
                            "FailedTestIsNew", "TestsInProgress"})
        preferences.removeObjectForKey(QString::fromLatin1(key));
}

} // namespace LogTestSupport
