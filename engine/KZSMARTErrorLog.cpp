#include "KZSMARTErrorLog.h"

#include <QJsonArray>
#include <QJsonValue>

std::optional<QString> KZSMARTErrorLog::getLastErrorCommand() const
{
    if (!m_errorCommands || m_errorCommands->isEmpty())
        return std::nullopt;
    return m_errorCommands->first().getCommand();
}

QString KZSMARTErrorLog::errorTypeToString(qint32 code)
{
    static const char *const texts[] = {
        QT_TR_NOOP("Unknown"),
        QT_TR_NOOP("Command Aborted"),
        QT_TR_NOOP("Address Mark Not Found"),
        QT_TR_NOOP("Command Timed Out"),
        QT_TR_NOOP("End Of Media"),
        QT_TR_NOOP("Interface CRC error"),
        QT_TR_NOOP("Identity Not Found"),
        QT_TR_NOOP("ILI"),
        QT_TR_NOOP("Media Changed"),
        QT_TR_NOOP("Media Change Request"),
        QT_TR_NOOP("No Media"),
        QT_TR_NOOP("Obsolete"),
        QT_TR_NOOP("TracK 0 Not Found"),
        QT_TR_NOOP("Uncorrectable Error"),
        QT_TR_NOOP("Write Protected"),
    };
    return tr(code > 0 && code < qint32(std::size(texts)) ? texts[code] : texts[0]);
}

QJsonObject KZSMARTErrorLog::toJSON() const
{
    QJsonObject object;
    object.insert(QStringLiteral("number"), m_number);
    object.insert(QStringLiteral("time"), m_time);
    object.insert(QStringLiteral("activity"),
                  m_activity ? QJsonValue(*m_activity) : QJsonValue(QJsonValue::Null));
    object.insert(QStringLiteral("registerER"), qint64(m_registerER));
    object.insert(QStringLiteral("registerST"), qint64(m_registerST));
    object.insert(QStringLiteral("registerSC"), qint64(m_registerSC));
    object.insert(QStringLiteral("registerSN"), qint64(m_registerSN));
    object.insert(QStringLiteral("registerCL"), qint64(m_registerCL));
    object.insert(QStringLiteral("registerCH"), qint64(m_registerCH));
    object.insert(QStringLiteral("registerDH"), qint64(m_registerDH));
    object.insert(QStringLiteral("error1"), m_error1);
    object.insert(QStringLiteral("error2"), m_error2);
    object.insert(QStringLiteral("sectors"), m_sectors);
    object.insert(QStringLiteral("lba"), m_lba);
    QJsonArray commands;
    for (const KZSMARTErrorCommand &command : getErrorCommands())
        commands.append(command.toJSON());
    object.insert(QStringLiteral("errorCommands"), commands);
    if (m_nvme) {
        object.insert(QStringLiteral("nvme"), true);
        object.insert(QStringLiteral("logIndex"), m_logIndex);
        object.insert(QStringLiteral("submissionQueueID"), m_submissionQueueID);
        object.insert(QStringLiteral("commandID"), m_commandID);
        object.insert(QStringLiteral("statusField"), m_statusField);
        object.insert(QStringLiteral("parameterErrorLocation"), m_parameterErrorLocation);
        object.insert(QStringLiteral("namespaceID"), m_namespaceID);
        object.insert(QStringLiteral("vendorSpecific"), m_vendorSpecific);
        object.insert(QStringLiteral("message"),
                      m_message ? QJsonValue(*m_message) : QJsonValue(QJsonValue::Null));
    }
    return object;
}

std::optional<QString> KZSMARTErrorLog::nvmeStatusText(qint32 statusField)
{
    // Status codes of the NVM Express command set that drives report
    // in their error log; the host's own probing gives most of them.
    struct Status
    {
        int type;
        int code;
        const char *text;
    };
    static const Status statuses[] = {
        {0, 0x00, "Successful Completion"},
        {0, 0x01, "Invalid Command Opcode"},
        {0, 0x02, "Invalid Field in Command"},
        {0, 0x03, "Command ID Conflict"},
        {0, 0x04, "Data Transfer Error"},
        {0, 0x05, "Commands Aborted due to Power Loss Notification"},
        {0, 0x06, "Internal Error"},
        {0, 0x07, "Command Abort Requested"},
        {0, 0x08, "Command Aborted due to SQ Deletion"},
        {0, 0x0b, "Invalid Namespace or Format"},
        {0, 0x0c, "Command Sequence Error"},
        {0, 0x80, "LBA Out of Range"},
        {0, 0x81, "Capacity Exceeded"},
        {0, 0x82, "Namespace Not Ready"},
        {1, 0x01, "Invalid Queue Identifier"},
        {1, 0x02, "Invalid Queue Size"},
        {1, 0x06, "Invalid Firmware Slot"},
        {1, 0x07, "Invalid Firmware Image"},
        {1, 0x09, "Invalid Log Page"},
        {1, 0x0a, "Invalid Format"},
        {1, 0x0e, "Feature Not Changeable"},
        {1, 0x1d, "Device Self-test In Progress"},
        {2, 0x80, "Write Fault"},
        {2, 0x81, "Unrecovered Read Error"},
        {2, 0x82, "End-to-end Guard Check Error"},
        {2, 0x83, "End-to-end Application Tag Check Error"},
        {2, 0x84, "End-to-end Reference Tag Check Error"},
        {2, 0x85, "Compare Failure"},
        {2, 0x86, "Access Denied"},
        {2, 0x87, "Deallocated or Unwritten Logical Block"},
    };
    const int code = (statusField >> 1) & 0xff;
    const int type = (statusField >> 9) & 0x7;
    for (const Status &status : statuses) {
        if (status.type == type && status.code == code)
            return QString::fromLatin1(status.text);
    }
    return std::nullopt;
}

QString KZSMARTErrorLog::nvmeHeading()
{
    return QStringLiteral(
        "Num   ErrCount  SQId   CmdId  Status  PELoc          LBA  NSID    VS  Message");
}

QString KZSMARTErrorLog::description() const
{
    if (m_nvme) {
        // One row under nvmeHeading(); "-" for what the entry does not give.
        const auto decimal = [](qint64 value, int width) {
            return (value < 0 ? QStringLiteral("-") : QString::number(value)).rightJustified(width);
        };
        const auto hex = [](qint64 value, int digits, int width) {
            return (value < 0 ? QStringLiteral("-")
                              : QStringLiteral("0x") + QString::number(value, 16).rightJustified(
                                                           digits, QLatin1Char('0')))
                .rightJustified(width);
        };
        return QStringLiteral("%1 %2 %3  %4  %5  %6 %7 %8 %9  %10")
            .arg(decimal(m_logIndex, 3), decimal(m_number, 10), decimal(m_submissionQueueID, 5),
                 hex(m_commandID, 4, 6), hex(m_statusField, 4, 6),
                 hex(m_parameterErrorLocation, 3, 5), decimal(m_lba, 12), decimal(m_namespaceID, 5),
                 hex(m_vendorSpecific, 2, 5))
            .arg(m_message.value_or(QStringLiteral("-")));
    }
    QString text =
        tr("Error %1 occured at disk power-on lifetime: %n hours", nullptr, m_time).arg(m_number) +
        QLatin1Char('\n');
    text +=
        QStringLiteral("  ") +
        tr("When the command that caused the error occurred, %1")
            .arg(m_activity.value_or(QCoreApplication::translate("KZSMARTDrive", "*not set*"))) +
        QLatin1Char('\n');
    text += QStringLiteral("  ") + tr("After command completion occurred, registers were:") +
            QStringLiteral("\n"
                           "  ER ST SC SN CL CH DH\n"
                           "  -- -- -- -- -- -- --\n");
    text += QString::asprintf("  %02X %02X %02X %02X %02X %02X %02X\n", m_registerER, m_registerST,
                              m_registerSC, m_registerSN, m_registerCL, m_registerCH, m_registerDH);
    const QString lba = QString::number(quint64(m_lba), 16).toUpper();
    const QString errors =
        m_error2 < 1 ? getError1() : getError1() + QStringLiteral(", ") + getError2();
    const QString sectors =
        m_sectors < 1 ? QString()
                      : (m_error2 < 1 ? QStringLiteral(" ") : QString()) +
                            tr(" with %n sectors at LBA = %1", nullptr, m_sectors).arg(lba);
    text += QStringLiteral("  ") + tr("Error: %1").arg(errors + sectors) + QLatin1Char('\n');
    text += QStringLiteral("  ") +
            tr("Commands leading to the command that caused the error were:") +
            QStringLiteral("\n"
                           "  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name\n"
                           "  -- -- -- -- -- -- -- --  ----------------  --------------------\n");
    for (const KZSMARTErrorCommand &command : getErrorCommands())
        text += QStringLiteral("  ") + command.description();
    return text;
}
