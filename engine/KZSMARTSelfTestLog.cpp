#include "KZSMARTSelfTestLog.h"

#include <QJsonValue>

namespace {

QJsonValue text(const std::optional<QString> &value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

} // namespace

QJsonObject KZSMARTSelfTestLog::toJSON() const
{
    QJsonObject object;
    object.insert(QStringLiteral("number"), m_number);
    object.insert(QStringLiteral("type"), text(m_type));
    object.insert(QStringLiteral("status"), text(m_status));
    object.insert(QStringLiteral("remaining"), m_remaining);
    object.insert(QStringLiteral("lifetime"), m_lifetime);
    object.insert(QStringLiteral("lba"), m_lba);
    return object;
}

QString KZSMARTSelfTestLog::heading()
{
    return tr("Num  Test_Description    Status                   Remaining  LifeTime(hours)  "
              "LBA_of_first_error");
}

QString KZSMARTSelfTestLog::description() const
{
    const QString unknown = tr("Unknown type");
    const QString type = m_type.value_or(unknown);
    QString line = QString::asprintf("#%2i", m_number);
    line += QStringLiteral("  ") + type;
    if (type.size() < 18)
        line += QString(18 - type.size(), QLatin1Char(' '));
    line += QStringLiteral("  ") + m_status.value_or(unknown);
    line += QString::asprintf("%10d%%", m_remaining);
    line += QString::asprintf("     %5i", m_lifetime);
    line += m_lba < 0 ? QStringLiteral("         -")
                      : QString::asprintf("         %lld", qlonglong(m_lba));
    return line;
}
