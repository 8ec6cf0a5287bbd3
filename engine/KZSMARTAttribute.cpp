#include "KZSMARTAttribute.h"

#include "KZTranslations.h"

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

QString KZSMARTAttribute::heading()
{
    // Each heading at least one blank wider than itself, so a longer
    // translation moves the columns to its right instead of touching them.
    const auto cell = [](const char *text, qsizetype width) {
        const QString heading = tr(text);
        return heading.leftJustified(qMax(width, heading.size() + 1));
    };
    return cell(QT_TR_NOOP("ID#"), 6) +
           cell(QT_TR_NOOP("ATTRIBUTE NAME"), KZTranslations::reportNameColumnWidth()) +
           cell(QT_TR_NOOP("FLAG"), 11) + cell(QT_TR_NOOP("VALUE"), 8) +
           cell(QT_TR_NOOP("WORST"), 8) + cell(QT_TR_NOOP("THRESH"), 8) +
           cell(QT_TR_NOOP("TYPE"), 13) + cell(QT_TR_NOOP("UPDATED"), 12) +
           cell(QT_TR_NOOP("FAILED"), 10) + tr("RAW VALUE");
}

QString KZSMARTAttribute::description() const
{
    const QString notSet = QCoreApplication::translate("KZSMARTDrive", "*not set*");
    QString line = QString::asprintf("%-3d   ", m_idNumber);
    const QString name = m_name.value_or(notSet);
    const qsizetype width = KZTranslations::reportNameColumnWidth();
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
        line += tr("Never") + QStringLiteral("     ");
        break;
    case FailingNow:
        line += tr("FAILING NOW") + QStringLiteral("     ");
        break;
    case FailedInThePast:
        line += tr("In the past") + QStringLiteral("     ");
        break;
    default:
        break;
    }
    line += QString::number(m_raw);
    if (m_temperatureAvailable)
        line += tr(" (Lifetime Min/Max %1/%2)").arg(m_min).arg(m_max);
    return line;
}
