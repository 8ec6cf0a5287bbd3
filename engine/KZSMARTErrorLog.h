#pragma once

#include "KZSMARTErrorCommand.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

// One logged error of the ATA error log: when it happened, what the drive was
// doing, the registers after the failing command with their decoded error
// types, and up to five of the commands that led to it.
class KZSMARTErrorLog
{
public:
    // Error type codes, as found in the register line's description.
    enum ErrorType : qint32
    {
        Unknown = 0,
        CommandAborted = 1,         // ABRT
        AddressMarkNotFound = 2,    // AMNF
        CommandTimedOut = 3,        // CCTO
        EndOfMedia = 4,             // EOM
        InterfaceCRCError = 5,      // ICRC
        IdentityNotFound = 6,       // IDNF
        IllegalLengthIndicator = 7, // ILI
        MediaChanged = 8,           // MC
        MediaChangeRequest = 9,     // MCR
        NoMedia = 10,               // NM
        Obsolete = 11,              // OBS
        Track0NotFound = 12,        // TK0NF
        UncorrectableError = 13,    // UNC
        WriteProtected = 14,        // WP
    };

    qint32 getNumber() const { return m_number; }
    void setNumber(qint32 value) { m_number = value; }
    // Power-on lifetime in hours when the error occurred.
    qint32 getTime() const { return m_time; }
    void setTime(qint32 value) { m_time = value; }
    const std::optional<QString> &getActivity() const { return m_activity; }
    void setActivity(const QString &value) { m_activity = value; }
    quint32 getRegisterER() const { return m_registerER; }
    void setRegisterER(quint32 value) { m_registerER = value; }
    quint32 getRegisterST() const { return m_registerST; }
    void setRegisterST(quint32 value) { m_registerST = value; }
    quint32 getRegisterSC() const { return m_registerSC; }
    void setRegisterSC(quint32 value) { m_registerSC = value; }
    quint32 getRegisterSN() const { return m_registerSN; }
    void setRegisterSN(quint32 value) { m_registerSN = value; }
    quint32 getRegisterCL() const { return m_registerCL; }
    void setRegisterCL(quint32 value) { m_registerCL = value; }
    quint32 getRegisterCH() const { return m_registerCH; }
    void setRegisterCH(quint32 value) { m_registerCH = value; }
    quint32 getRegisterDH() const { return m_registerDH; }
    void setRegisterDH(quint32 value) { m_registerDH = value; }
    // The readable texts of the two error type codes.
    QString getError1() const { return errorTypeToString(m_error1); }
    void setError1(qint32 code) { m_error1 = code; }
    QString getError2() const { return errorTypeToString(m_error2); }
    void setError2(qint32 code) { m_error2 = code; }
    // The codes themselves.
    qint32 getError1Code() const { return m_error1; }
    qint32 getError2Code() const { return m_error2; }
    qint32 getSectors() const { return m_sectors; }
    void setSectors(qint32 value) { m_sectors = value; }
    qint64 getLBA() const { return m_lba; }
    void setLBA(qint64 value) { m_lba = value; }
    // The commands in printed order; empty when none were set.
    QList<KZSMARTErrorCommand> getErrorCommands() const
    {
        return m_errorCommands.value_or(QList<KZSMARTErrorCommand>());
    }
    void setErrorCommands(const QList<KZSMARTErrorCommand> &commands)
    {
        m_errorCommands = commands;
    }
    // The name of the first command printed, or nothing without commands.
    std::optional<QString> getLastErrorCommand() const;

    // The localised text of an error type code ("Unknown" for codes outside the table).
    static QString errorTypeToString(qint32 code);

    // Every field under its own name, the commands as an array of objects.
    // The entry's block of the plain-text report.
    QString description() const;
    QJsonObject toJSON() const;

private:
    qint32 m_number = 0;
    qint32 m_time = 0;
    std::optional<QString> m_activity;
    quint32 m_registerER = 0;
    quint32 m_registerST = 0;
    quint32 m_registerSC = 0;
    quint32 m_registerSN = 0;
    quint32 m_registerCL = 0;
    quint32 m_registerCH = 0;
    quint32 m_registerDH = 0;
    qint32 m_error1 = 0;
    qint32 m_error2 = 0;
    qint32 m_sectors = 0;
    qint64 m_lba = 0;
    std::optional<QList<KZSMARTErrorCommand>> m_errorCommands;
};
