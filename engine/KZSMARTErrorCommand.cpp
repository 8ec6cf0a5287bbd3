#include "KZSMARTErrorCommand.h"

#include <QCoreApplication>
#include <QJsonValue>

namespace {

QJsonValue text(const std::optional<QString> &value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

} // namespace

QJsonObject KZSMARTErrorCommand::toJSON() const
{
    QJsonObject object;
    object.insert(QStringLiteral("registerCR"), qint64(m_registerCR));
    object.insert(QStringLiteral("registerFR"), qint64(m_registerFR));
    object.insert(QStringLiteral("registerSC"), qint64(m_registerSC));
    object.insert(QStringLiteral("registerSN"), qint64(m_registerSN));
    object.insert(QStringLiteral("registerCL"), qint64(m_registerCL));
    object.insert(QStringLiteral("registerCH"), qint64(m_registerCH));
    object.insert(QStringLiteral("registerDH"), qint64(m_registerDH));
    object.insert(QStringLiteral("registerDC"), qint64(m_registerDC));
    object.insert(QStringLiteral("powerUpTime"), text(m_powerUpTime));
    object.insert(QStringLiteral("command"), text(m_command));
    return object;
}

QString KZSMARTErrorCommand::description() const
{
    const QString notSet = QCoreApplication::translate("KZSMARTDrive", "*not set*");
    return QString::asprintf("%02X %02X %02X %02X %02X %02X %02X %02X", m_registerCR, m_registerFR,
                             m_registerSC, m_registerSN, m_registerCL, m_registerCH, m_registerDH,
                             m_registerDC) +
           QStringLiteral("      %1  %2\n")
               .arg(m_powerUpTime.value_or(notSet), m_command.value_or(notSet));
}
