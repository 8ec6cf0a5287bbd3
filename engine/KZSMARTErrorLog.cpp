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
