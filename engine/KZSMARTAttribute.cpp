#include "KZSMARTAttribute.h"

#include "KZLocalization.h"

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

QString KZSMARTAttribute::description() const
{
    const QString notSet = QStringLiteral("*not set*");
    QString line = QString::asprintf("%-3d   ", m_idNumber);
    const QString name = m_name.value_or(notSet);
    const qsizetype width =
        KZLocalization::preferredLocalization() == QLatin1String("French") ? 90 : 39;
    line += name;
    if (name.size() < width)
        line += QString(width - name.size(), QLatin1Char(' '));
    if (m_nvmeValue)
        return line + *m_nvmeValue;

    line += QString::asprintf("0x%04X     ", m_flag);
    line += QString::asprintf("%03lld     %03lld     %03lld     ", qlonglong(m_value),
                              qlonglong(m_worst), qlonglong(m_thresh));
    if (m_type) {
        line += *m_type;
        if (m_type->startsWith(QLatin1Char('O')))
            line += QLatin1Char(' ');
    } else {
        line += notSet;
    }
    line += QStringLiteral("     ");
    if (m_updated) {
        line += *m_updated;
        if (m_updated->startsWith(QLatin1Char('A')))
            line += QLatin1Char(' ');
    } else {
        line += notSet;
    }
    line += QStringLiteral("     ");
    switch (m_failed) {
    case NeverFailed:
        line += QStringLiteral("Never     ");
        break;
    case FailingNow:
        line += QStringLiteral("FAILING NOW     ");
        break;
    case FailedInThePast:
        line += QStringLiteral("In the past     ");
        break;
    default:
        break;
    }
    line += QString::number(m_raw);
    if (m_temperatureAvailable)
        line +=
            QString::asprintf(" (Lifetime Min/Max %lld/%lld)", qlonglong(m_min), qlonglong(m_max));
    return line;
}
