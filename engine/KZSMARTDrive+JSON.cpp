// The drive as a JSON object, one key per field, for machine-readable reports.
#include "KZSMARTDrive.h"

#include <QJsonArray>

namespace {

QJsonValue text(const std::optional<QString> &value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonValue texts(const std::optional<QStringList> &value)
{
    return value ? QJsonValue(QJsonArray::fromStringList(*value)) : QJsonValue(QJsonValue::Null);
}

// A list of records as an array of their objects, or null when the list is absent.
template <typename Record> QJsonValue records(const std::optional<QList<Record>> &list)
{
    if (!list)
        return QJsonValue(QJsonValue::Null);
    QJsonArray array;
    for (const Record &record : *list)
        array.append(record.toJSON());
    return array;
}

} // namespace

QJsonObject KZSMARTDrive::toJSON() const
{
    QJsonObject object;
    object.insert(QStringLiteral("smartSupport"), m_smartSupport);
    object.insert(QStringLiteral("smartError"), text(m_smartError));
    object.insert(QStringLiteral("location"), m_location);
    object.insert(QStringLiteral("locationID"), driveLocationID());
    object.insert(QStringLiteral("partitionCount"), qint64(m_partitionCount));
    object.insert(QStringLiteral("partitionNames"),
                  m_partitionNames.isEmpty()
                      ? QJsonValue(QJsonValue::Null)
                      : QJsonValue(QJsonArray::fromStringList(m_partitionNames)));
    object.insert(QStringLiteral("modelFamily"), text(m_modelFamily));
    object.insert(QStringLiteral("model"), text(m_model));
    object.insert(QStringLiteral("serialNumber"), text(m_serialNumber));
    object.insert(QStringLiteral("firmwareVersion"), text(m_firmwareVersion));
    object.insert(QStringLiteral("capacity"), text(m_capacity));
    object.insert(QStringLiteral("ataVersion"), text(m_ataVersion));
    object.insert(QStringLiteral("sataVersion"), text(m_sataVersion));
    object.insert(QStringLiteral("rotationRate"), text(m_rotationRate));
    object.insert(QStringLiteral("health"), m_health);
    object.insert(QStringLiteral("overallHealth"), text(m_overallHealth));
    object.insert(QStringLiteral("offlineDataStatus"), qint64(m_offlineDataStatus));
    object.insert(QStringLiteral("selftestStatus"), m_selftestStatus);
    object.insert(QStringLiteral("timeOfflineData"), m_timeOfflineData);
    object.insert(QStringLiteral("dataCapabilities"), qint64(m_dataCapabilities));
    object.insert(QStringLiteral("smartCapabilities"), qint64(m_smartCapabilities));
    object.insert(QStringLiteral("errorLoggingCapabilities"), qint64(m_errorLoggingCapabilities));
    object.insert(QStringLiteral("generalPurposeLogging"), m_generalPurposeLogging);
    object.insert(QStringLiteral("shortSelftestTime"), m_shortSelftestTime);
    object.insert(QStringLiteral("longSelftestTime"), m_longSelftestTime);
    object.insert(QStringLiteral("conveyanceSelftestTime"), m_conveyanceSelftestTime);
    object.insert(QStringLiteral("attributeRevision"), m_attributeRevision);
    object.insert(QStringLiteral("attributeCount"), m_attributeCount);
    object.insert(QStringLiteral("nvmeNextAttributeID"), m_nvmeNextAttributeID);
    if (m_attributes) {
        QJsonArray attributes;
        for (const KZSMARTAttribute &attribute : *m_attributes)
            attributes.append(attribute.toJSON());
        object.insert(QStringLiteral("attributes"), attributes);
    } else {
        object.insert(QStringLiteral("attributes"), QJsonValue(QJsonValue::Null));
    }
    object.insert(QStringLiteral("isNVMe"), m_isNVMe);
    object.insert(QStringLiteral("argumentCode"), qint64(m_argumentCode));
    object.insert(QStringLiteral("runVeryPermissive"), m_runVeryPermissive);
    object.insert(QStringLiteral("options"), texts(m_options));
    object.insert(QStringLiteral("outputDebugMessages"), m_outputDebugMessages);
    object.insert(QStringLiteral("controllerID"), qint64(m_controllerID));
    object.insert(QStringLiteral("selftestFail"), m_selftestFail);
    object.insert(QStringLiteral("reallocatedSectorsFail"), m_reallocatedSectorsFail);
    object.insert(QStringLiteral("reallocatedEventsFail"), m_reallocatedEventsFail);
    object.insert(QStringLiteral("currentSectorsFail"), m_currentSectorsFail);
    object.insert(QStringLiteral("offlineSectorsFail"), m_offlineSectorsFail);
    object.insert(QStringLiteral("otherAttributesFail"), m_otherAttributesFail);
    object.insert(QStringLiteral("errorsFail"), m_errorsFail);
    object.insert(QStringLiteral("testsFail"), m_testsFail);
    object.insert(QStringLiteral("newTestFail"), m_newTestFail);
    object.insert(QStringLiteral("testInProgress"), m_testInProgress);
    object.insert(QStringLiteral("exceptionOccurred"), m_exceptionOccurred);
    object.insert(QStringLiteral("driveFromFile"), m_driveFromFile);
    object.insert(QStringLiteral("enableCommandLineOption"), m_enableCommandLineOption);
    object.insert(QStringLiteral("failureReasonsText"), texts(m_failureReasonsText));
    object.insert(QStringLiteral("readFailure"), m_readFailure == ReadFailure::None
                                                     ? QJsonValue(QJsonValue::Null)
                                                     : QJsonValue(readFailureName(m_readFailure)));
    object.insert(QStringLiteral("errorLogVersion"), m_errorLogVersion);
    object.insert(QStringLiteral("errorCount"), m_errorCount);
    object.insert(QStringLiteral("errorLog"), records(m_errorLog));
    object.insert(QStringLiteral("selfTestLogRevision"), m_selfTestLogRevision);
    object.insert(QStringLiteral("selfTestCount"), qint64(m_selfTestCount));
    object.insert(QStringLiteral("selfTestLog"), records(m_selfTestLog));
    return object;
}
