#pragma once

#include "KZSMARTErrorCommand.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

// One logged error of the ATA error log: when it happened, what the drive was
// doing, the registers after the failing command with their decoded error
// types, and up to five of the commands that led to it.
//
// An NVMe drive's error information entry uses the same record: `number` is
// the entry's error count (the drive numbers its errors as an ATA drive does),
// `time` is -1 (NVMe entries carry no power-on time), `lba` is -1 where the
// entry names none, and the NVMe fields below hold the rest of the row.
class KZSMARTErrorLog
{
    // Texts of the windows and the plain-text report (tr()).
    Q_DECLARE_TR_FUNCTIONS(KZSMARTErrorLog)

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
    // The readable texts of the two error type codes; for an NVMe entry with a
    // status message, the first is that message.
    QString getError1() const
    {
        return m_nvme && m_message ? *m_message : errorTypeToString(m_error1);
    }
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

    // NVMe error information entries. Numbers that the entry does not give
    // ("-" in smartctl's table) are -1.
    bool isNVMe() const { return m_nvme; }
    void setNVMe(bool nvme) { m_nvme = nvme; }
    // The row of the table ("Num"): 0 is the newest entry.
    qint32 getLogIndex() const { return m_logIndex; }
    void setLogIndex(qint32 value) { m_logIndex = value; }
    qint32 getSubmissionQueueID() const { return m_submissionQueueID; }
    void setSubmissionQueueID(qint32 value) { m_submissionQueueID = value; }
    qint32 getCommandID() const { return m_commandID; }
    void setCommandID(qint32 value) { m_commandID = value; }
    // The 16-bit status field as printed: phase tag in bit 0, status code in
    // bits 1 to 8, status code type in bits 9 to 11, "do not retry" in bit 15.
    qint32 getStatusField() const { return m_statusField; }
    void setStatusField(qint32 value) { m_statusField = value; }
    qint32 getParameterErrorLocation() const { return m_parameterErrorLocation; }
    void setParameterErrorLocation(qint32 value) { m_parameterErrorLocation = value; }
    qint64 getNamespaceID() const { return m_namespaceID; }
    void setNamespaceID(qint64 value) { m_namespaceID = value; }
    qint32 getVendorSpecific() const { return m_vendorSpecific; }
    void setVendorSpecific(qint32 value) { m_vendorSpecific = value; }
    // What the status means, as smartctl printed it or decoded from the status field.
    const std::optional<QString> &getMessage() const { return m_message; }
    void setMessage(const QString &value) { m_message = value; }
    // The English meaning of an NVMe status field, or nothing for a code not known here.
    static std::optional<QString> nvmeStatusText(qint32 statusField);
    // The heading of the rows that describe NVMe entries, without a line feed.
    static QString nvmeHeading();

    // The localised text of an error type code ("Unknown" for codes outside the table).
    static QString errorTypeToString(qint32 code);

    // Every field under its own name, the commands as an array of objects
    // (the NVMe fields only for an NVMe entry).
    // The entry's block of the plain-text report; for an NVMe entry, its row
    // under nvmeHeading().
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
    bool m_nvme = false;
    qint32 m_logIndex = 0;
    qint32 m_submissionQueueID = -1;
    qint32 m_commandID = -1;
    qint32 m_statusField = 0;
    qint32 m_parameterErrorLocation = -1;
    qint64 m_namespaceID = -1;
    qint32 m_vendorSpecific = -1;
    std::optional<QString> m_message;
};
