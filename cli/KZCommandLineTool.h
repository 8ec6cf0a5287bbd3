#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

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
        AlertFailed = 4
    };

    KZCommandLineTool(QTextStream &out, QTextStream &err) : m_out(out), m_err(err) {}

    // Runs the command named by the first argument; returns the exit status.
    int run(const QStringList &arguments);

private:
    int report(const QStringList &arguments);
    // Alert commands (KZCommandLineTool+Alerts.cpp).
    int mailTest(const QStringList &arguments);
    int password(const QStringList &arguments);
    int usage(const QString &problem);
    // A target that is an existing regular file is a raw capture; anything else a device.
    KZSMARTDrive makeDrive(const QString &target) const;

    QTextStream &m_out;
    QTextStream &m_err;
    QString m_smartctl;
};
