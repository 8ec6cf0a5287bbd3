// The plain-text report of a drive: identity, health, capabilities, the
// attribute table, the error log and the self-test log, in a fixed layout.
#include "KZSMARTDrive.h"

namespace {

const QString notSet = QStringLiteral("*not set*");

QString orNotSet(const std::optional<QString> &text)
{
    return text.value_or(notSet);
}

} // namespace

QString KZSMARTDrive::description() const
{
    QString text;
    text += QStringLiteral("location: ") + (m_location.isEmpty() ? notSet : m_location) +
            QLatin1Char('\n');
    text += QString::asprintf("partition count: %llu", qulonglong(m_partitionCount)) +
            QLatin1Char('\n');
    if (m_partitionCount > 0) {
        text += QStringLiteral("partitions: ");
        for (const QString &name : m_partitionNames)
            text += name + QStringLiteral(", ");
    }
    text += QLatin1Char('\n');
    text += QStringLiteral("SMART Support: ") +
            (m_smartSupport ? QStringLiteral("Supported") : QStringLiteral("Unsupported")) +
            QLatin1Char('\n');
    text += QStringLiteral("Last SMART Error: ") + orNotSet(m_smartError);
    if (!m_smartSupport)
        return text;
    text += QLatin1Char('\n');

    const std::pair<const char *, const std::optional<QString> *> identity[] = {
        {"Model Family: ", &m_modelFamily},   {"Model: ", &m_model},
        {"Serial Number: ", &m_serialNumber}, {"Firmware Version: ", &m_firmwareVersion},
        {"Capacity: ", &m_capacity},          {"ATA Version: ", &m_ataVersion},
        {"SATA Version: ", &m_sataVersion},   {"Rotation Rate: ", &m_rotationRate},
    };
    for (const auto &[label, value] : identity)
        text += QLatin1String(label) + orNotSet(*value) + QLatin1Char('\n');

    text += QStringLiteral("Health: ");
    switch (m_health) {
    case 1:
        text += QStringLiteral("Passed\n");
        break;
    case 2:
        text += QStringLiteral("Failing\n");
        break;
    case 3:
        text += QStringLiteral("Failed\n");
        break;
    default:
        text += QStringLiteral("Unknown\n");
        break;
    }
    text += QStringLiteral("Overall Health: ") + orNotSet(m_overallHealth) + QLatin1Char('\n');

    text += QString::asprintf("Offline Data Status: %X\n", m_offlineDataStatus);
    text += QString::asprintf("Self Test Status: %d\n", m_selftestStatus);
    text += QString::asprintf("Offline Data Collection Time: %d\n", m_timeOfflineData);
    text += QString::asprintf("Data Collection Capabilities: %X\n", m_dataCapabilities);
    text += QString::asprintf("SMART Capabilities: %X\n", m_smartCapabilities);
    text += QString::asprintf("Error Logging Capabilities: %X\n", m_errorLoggingCapabilities);
    text += QString::asprintf("Short Self Test Time: %d\n", m_shortSelftestTime);
    text += QString::asprintf("Long Self Test Time: %d\n", m_longSelftestTime);
    text += QString::asprintf("Conveyance Self Test Time: %d\n", m_conveyanceSelftestTime);

    text += QString::asprintf("Attribute Log Revision: %d\n", m_attributeRevision);
    text += QString::asprintf("Attribute Count: %d\n", m_attributeCount);
    text += QStringLiteral("Attributes:\n");
    if (!m_isNVMe)
        text +=
            QStringLiteral("ID#   ATTRIBUTE NAME                         FLAG       VALUE   WORST"
                           "   THRESH  TYPE         UPDATED     FAILED    RAW VALUE\n");
    for (const KZSMARTAttribute &attribute : m_attributes.value_or(QList<KZSMARTAttribute>()))
        text += attribute.description() + QLatin1Char('\n');

    text += QString::asprintf("Error Log Version: %d\n", m_errorLogVersion);
    text += QString::asprintf("Error Count: %d\n", m_errorCount);
    text += QStringLiteral("Error Log: \n");
    const QList<KZSMARTErrorLog> errors = m_errorLog.value_or(QList<KZSMARTErrorLog>());
    if (errors.isEmpty()) {
        text += QStringLiteral("No errors logged.\n");
    } else {
        // NVMe entries are rows of one table.
        if (errors.first().isNVMe())
            text += KZSMARTErrorLog::nvmeHeading() + QLatin1Char('\n');
        for (const KZSMARTErrorLog &entry : errors)
            text += entry.description() + QLatin1Char('\n');
    }

    text += QString::asprintf("Self Test Log Revision: %d\n", m_selfTestLogRevision);
    text += QString::asprintf("Self Test Log Count: %llu\n", qulonglong(m_selfTestCount));
    text += QStringLiteral("Self Test Log:\n\n");
    const QList<KZSMARTSelfTestLog> tests = m_selfTestLog.value_or(QList<KZSMARTSelfTestLog>());
    if (tests.isEmpty()) {
        text += QStringLiteral("No self tests logged.\n\n");
    } else {
        text += QStringLiteral("Num  Test_Description    Status                   Remaining  "
                               "LifeTime(hours)  LBA_of_first_error\n");
        for (const KZSMARTSelfTestLog &entry : tests)
            text += entry.description() + QLatin1Char('\n');
    }
    return text;
}
