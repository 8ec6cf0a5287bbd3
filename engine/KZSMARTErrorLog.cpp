#include "KZSMARTErrorLog.h"

#include "KZLocalization.h"

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
    struct Text
    {
        const char *key;
        const char *english;
    };
    static const Text texts[] = {
        {"UNK", "Unknown"},
        {"ABORT", "Command Aborted"},
        {"AMNF", "Address Mark Not Found"},
        {"CTO", "Command Timed Out"},
        {"EOM", "End Of Media"},
        {"ICRC", "Interface CRC error"},
        {"IDNF", "Identity Not Found"},
        {"ILI", "ILI"},
        {"MC", "Media Changed"},
        {"MCR", "Media Change Request"},
        {"NM", "No Media"},
        {"OBS", "Obsolete"},
        {"TK0NF", "TracK 0 Not Found"},
        {"UNC", "Uncorrectable Error"},
        {"WP", "Write Protected"},
    };
    const Text &text = code > 0 && code < qint32(std::size(texts)) ? texts[code] : texts[0];
    return KZLocalization::localizedString(QString::fromLatin1(text.key),
                                           QString::fromLatin1(text.english));
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
    return object;
}

QString KZSMARTErrorLog::description() const
{
    QString text = QString::asprintf("Error %d occured at disk power-on lifetime: %d hours\n",
                                     m_number, m_time);
    text += QStringLiteral("  When the command that caused the error occurred, %1\n")
                .arg(m_activity.value_or(QStringLiteral("*not set*")));
    text += QStringLiteral("  After command completion occurred, registers were:\n"
                           "  ER ST SC SN CL CH DH\n"
                           "  -- -- -- -- -- -- --\n");
    text += QString::asprintf("  %02X %02X %02X %02X %02X %02X %02X\n", m_registerER, m_registerST,
                              m_registerSC, m_registerSN, m_registerCL, m_registerCH, m_registerDH);
    const QString lba = QString::number(quint64(m_lba), 16).toUpper();
    if (m_error2 < 1) {
        if (m_sectors < 1)
            text += QStringLiteral("  Error: %1\n").arg(getError1());
        else
            text += QStringLiteral("  Error: %1  with %2 sectors at LBA = %3\n")
                        .arg(getError1())
                        .arg(m_sectors)
                        .arg(lba);
    } else {
        if (m_sectors < 1)
            text += QStringLiteral("  Error: %1, %2\n").arg(getError1(), getError2());
        else
            text += QStringLiteral("  Error: %1, %2 with %3 sectors at LBA = %4\n")
                        .arg(getError1(), getError2())
                        .arg(m_sectors)
                        .arg(lba);
    }
    text += QStringLiteral("  Commands leading to the command that caused the error were:\n"
                           "  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name\n"
                           "  -- -- -- -- -- -- -- --  ----------------  --------------------\n");
    for (const KZSMARTErrorCommand &command : getErrorCommands())
        text += QStringLiteral("  ") + command.description();
    return text;
}
