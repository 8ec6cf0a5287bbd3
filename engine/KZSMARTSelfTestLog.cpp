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
