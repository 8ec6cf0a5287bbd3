#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include "KZSMARTScanner.h"
#include <optional>

class KZSMARTDrive;

// tarnwell-cli: the drive engine without a GUI, for scripts and terminals.
class KZCommandLineTool
{
public:
    enum ExitStatus
    {
        Success = 0,
        UsageError = 1,
        DriveUnreadable = 3,
        CaptureFailed = 3,
        AlertFailed = 4
    };

    KZCommandLineTool(QTextStream &out, QTextStream &err) : m_out(out), m_err(err) {}

    // Runs the command named by the first argument; returns the exit status.
    int run(const QStringList &arguments);

private:
    struct ParsedOptions
    {
        bool json = false;
        bool showUnsupported = false;
        bool alert = false;
        bool noWake = false; // check --no-wake: sleeping disks stay asleep
        QString sendemail;
        QString lsblk;
        QString output;
        QString prometheus; // check --prometheus FILE ("-": standard output)
        bool noHistory = false;
        bool csv = false;
        QString since;
        std::optional<int> attribute;
        std::optional<int> timeout;
        QStringList targets;
    };

    int report(const QStringList &arguments);
    // Scans (or takes the targets), updates and judges the drives like the
    // application's check; the exit status is that of a monitoring plugin.
    int check(const QStringList &arguments);
    // Writes the saved-report form of a device's or a capture's raw capture.
    int capture(const QStringList &arguments);
    // check --prometheus FILE: the exposition of the check written to FILE
    // (KZCommandLineTool+Prometheus.cpp).
    void exportAfterCheck(const KZDriveList &drives, bool scanned, qint64 durationMs,
                          const QString &path);
    // check: the drives' rows into the history of checks (KZCommandLineTool+History.cpp).
    void recordHistory(const KZDriveList &drives);
    // Prints the recorded checks of drives named by device or serial number.
    int history(const QStringList &arguments);
    // check --alert: the drive list file, the alert mail and the LED.
    void alertAfterCheck(const KZDriveList &drives, const ParsedOptions &options);
    // Reads the options named in allowed (and --smartctl into m_smartctl);
    // everything else is a target. Returns the problem of a bad command line.
    std::optional<QString> parseOptions(const QStringList &arguments, const QStringList &allowed,
                                        ParsedOptions &parsed);
    // Alert commands (KZCommandLineTool+Alerts.cpp).
    int mailTest(const QStringList &arguments);
    int password(const QStringList &arguments);
    // Prints the problem and a pointer to --help; returns UsageError.
    int usage(const QString &problem);
    // A target that is an existing regular file is a raw capture; anything else a device.
    KZSMARTDrive makeDrive(const QString &target) const;

    QTextStream &m_out;
    QTextStream &m_err;
    QString m_smartctl;
};
