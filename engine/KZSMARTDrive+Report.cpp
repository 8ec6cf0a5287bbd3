// The plain-text report of a drive: identity, health, capabilities, the
// attribute table, the error log and the self-test log, in a fixed layout.
// Its labels are in the language of the installed catalogue (English where
// none is, as in the command-line tool); the values are the drive's.
#include "KZSMARTDrive.h"

namespace {

QString notSet()
{
    return QCoreApplication::translate("KZSMARTDrive", "*not set*");
}

QString orNotSet(const std::optional<QString> &text)
{
    return text.value_or(notSet());
}

} // namespace

QString KZSMARTDrive::description() const
{
    QString text;
    text += tr("location: ") + (m_location.isEmpty() ? notSet() : m_location) + QLatin1Char('\n');
    text += tr("partition count: %1").arg(m_partitionCount) + QLatin1Char('\n');
    if (m_partitionCount > 0) {
        text += tr("partitions: ");
        for (const QString &name : m_partitionNames)
            text += name + QStringLiteral(", ");
    }
    text += QLatin1Char('\n');
    text += tr("SMART Support: ") + (m_smartSupport ? tr("Supported") : tr("Unsupported")) +
            QLatin1Char('\n');
    text += tr("Last SMART Error: ") + orNotSet(m_smartError);
    if (!m_smartSupport)
        return text;
    text += QLatin1Char('\n');

    const std::pair<const char *, const std::optional<QString> *> identity[] = {
        {QT_TR_NOOP("Model Family: "), &m_modelFamily},
        {QT_TR_NOOP("Model: "), &m_model},
        {QT_TR_NOOP("Serial Number: "), &m_serialNumber},
        {QT_TR_NOOP("Firmware Version: "), &m_firmwareVersion},
        {QT_TR_NOOP("Capacity: "), &m_capacity},
        {QT_TR_NOOP("ATA Version: "), &m_ataVersion},
        {QT_TR_NOOP("SATA Version: "), &m_sataVersion},
        {QT_TR_NOOP("Rotation Rate: "), &m_rotationRate},
    };
    for (const auto &[label, value] : identity)
        text += tr(label) + orNotSet(*value) + QLatin1Char('\n');

    text += tr("Health: ");
    switch (m_health) {
    case 1:
        text += tr("Passed") + QLatin1Char('\n');
        break;
    case 2:
        text += tr("Failing") + QLatin1Char('\n');
        break;
    case 3:
        text += tr("Failed") + QLatin1Char('\n');
        break;
    default:
        text += tr("Unknown") + QLatin1Char('\n');
        break;
    }
    text += tr("Overall Health: ") + orNotSet(m_overallHealth) + QLatin1Char('\n');

    const auto line = [](const QString &label, const QString &value) {
        return label + value + QLatin1Char('\n');
    };
    const auto hex = [](quint64 value) { return QString::number(value, 16).toUpper(); };
    text += line(tr("Offline Data Status: "), hex(m_offlineDataStatus));
    text += line(tr("Self Test Status: "), QString::number(m_selftestStatus));
    text += line(tr("Offline Data Collection Time: "), QString::number(m_timeOfflineData));
    text += line(tr("Data Collection Capabilities: "), hex(m_dataCapabilities));
    text += line(tr("SMART Capabilities: "), hex(m_smartCapabilities));
    text += line(tr("Error Logging Capabilities: "), hex(m_errorLoggingCapabilities));
    text += line(tr("Short Self Test Time: "), QString::number(m_shortSelftestTime));
    text += line(tr("Long Self Test Time: "), QString::number(m_longSelftestTime));
    text += line(tr("Conveyance Self Test Time: "), QString::number(m_conveyanceSelftestTime));

    text += line(tr("Attribute Log Revision: "), QString::number(m_attributeRevision));
    text += line(tr("Attribute Count: "), QString::number(m_attributeCount));
    text += tr("Attributes:") + QLatin1Char('\n');
    if (!m_isNVMe)
        text += KZSMARTAttribute::heading() + QLatin1Char('\n');
    for (const KZSMARTAttribute &attribute : m_attributes.value_or(QList<KZSMARTAttribute>()))
        text += attribute.description() + QLatin1Char('\n');

    text += line(tr("Error Log Version: "), QString::number(m_errorLogVersion));
    text += line(tr("Error Count: "), QString::number(m_errorCount));
    text += tr("Error Log: ") + QLatin1Char('\n');
    const QList<KZSMARTErrorLog> errors = m_errorLog.value_or(QList<KZSMARTErrorLog>());
    if (errors.isEmpty()) {
        text += tr("No errors logged.") + QLatin1Char('\n');
    } else {
        // NVMe entries are rows of one table.
        if (errors.first().isNVMe())
            text += KZSMARTErrorLog::nvmeHeading() + QLatin1Char('\n');
        for (const KZSMARTErrorLog &entry : errors)
            text += entry.description() + QLatin1Char('\n');
    }

    text += line(tr("Self Test Log Revision: "), QString::number(m_selfTestLogRevision));
    text += line(tr("Self Test Log Count: "), QString::number(m_selfTestCount));
    text += tr("Self Test Log:") + QStringLiteral("\n\n");
    const QList<KZSMARTSelfTestLog> tests = m_selfTestLog.value_or(QList<KZSMARTSelfTestLog>());
    if (tests.isEmpty()) {
        text += tr("No self tests logged.") + QStringLiteral("\n\n");
    } else {
        text += KZSMARTSelfTestLog::heading() + QLatin1Char('\n');
        for (const KZSMARTSelfTestLog &entry : tests)
            text += entry.description() + QLatin1Char('\n');
    }
    return text;
}
