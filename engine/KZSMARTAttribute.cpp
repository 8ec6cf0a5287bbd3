#include "KZSMARTAttribute.h"

namespace {

QJsonValue text(const std::optional<QString> &value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

} // namespace

QJsonObject KZSMARTAttribute::toJSON() const
{
    QJsonObject object;
    object.insert(QStringLiteral("idNumber"), m_idNumber);
    object.insert(QStringLiteral("flag"), qint64(m_flag));
    object.insert(QStringLiteral("value"), m_value);
    object.insert(QStringLiteral("worst"), m_worst);
    object.insert(QStringLiteral("thresh"), m_thresh);
    object.insert(QStringLiteral("type"), text(m_type));
    object.insert(QStringLiteral("updated"), text(m_updated));
    object.insert(QStringLiteral("failed"), m_failed);
    object.insert(QStringLiteral("raw"), m_raw);
    object.insert(QStringLiteral("name"), text(m_name));
    object.insert(QStringLiteral("min"), m_min);
    object.insert(QStringLiteral("max"), m_max);
    object.insert(QStringLiteral("temperatureAvailable"), m_temperatureAvailable);
    object.insert(QStringLiteral("nvmeValue"), text(m_nvmeValue));
    return object;
}
