#include "KZDetailRows.h"

#include "KZRecordedTexts.h"
#include "KZSMARTAttribute.h"
#include "KZSMARTDrive.h"
#include "KZSMARTErrorLog.h"
#include "KZSMARTSelfTestLog.h"
#include "KZSmartctlWords.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

QString text(const char *english, qint64 count = -1)
{
    return QCoreApplication::translate("KZDetailRows", english, nullptr, int(count));
}

QString minutes(qint64 count)
{
    return text(QT_TRANSLATE_N_NOOP("KZDetailRows", "%n minutes"), count);
}

QString noneOrNumber(qint64 value)
{
    return value == -1 ? text(QT_TRANSLATE_NOOP("KZDetailRows", "None")) : QString::number(value);
}

QString dashIfAbsent(const std::optional<QString> &value)
{
    return value ? *value : QStringLiteral("-");
}

} // namespace

namespace KZDetailRows {

QString windowTitle(const KZSMARTDrive &drive, const QString &format)
{
    QString name;
    if (drive.driveFromFile())
        name = QFileInfo(drive.driveLocation()).fileName();
    else if (drive.drivePartitionCount() == 1)
        name = drive.partitionNameAtIndex(0);
    else
        name = drive.driveLocationID();
    return KZRecordedTexts::fill(format, {name});
}

QString flagText(quint32 flag)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(flag, 4, 16, QLatin1Char('0')).toUpper();
}

QString attributeCellText(const KZSMARTAttribute &attribute, AttributeColumn column)
{
    switch (column) {
    case AttributeColumn::ID:
        return QString::number(attribute.getIDNumber());
    case AttributeColumn::Name:
        return KZSmartctlWords::attributeName(attribute.getName().value_or(QString()));
    case AttributeColumn::Flag:
        return flagText(attribute.getFlag());
    case AttributeColumn::Value:
        return noneOrNumber(attribute.getValue());
    case AttributeColumn::Worst:
        return noneOrNumber(attribute.getWorst());
    case AttributeColumn::Thresh:
        return noneOrNumber(attribute.getThresh());
    case AttributeColumn::Type:
        return KZSmartctlWords::attributeType(attribute.getType().value_or(QString()));
    case AttributeColumn::Updated:
        return KZSmartctlWords::attributeUpdated(attribute.getUpdated().value_or(QString()));
    case AttributeColumn::Failed:
        switch (attribute.getFailed()) {
        case KZSMARTAttribute::NeverFailed:
            return text(QT_TRANSLATE_NOOP("KZDetailRows", "Never"));
        case KZSMARTAttribute::FailingNow:
            return text(QT_TRANSLATE_NOOP("KZDetailRows", "FAILING NOW"));
        case KZSMARTAttribute::FailedInThePast:
            return text(QT_TRANSLATE_NOOP("KZDetailRows", "In the past"));
        default:
            return QString();
        }
    case AttributeColumn::Raw: {
        // NVMe values are shown as smartctl printed them, except the two
        // that are read as numbers (temperature and power-on hours).
        const std::optional<QString> nvme = attribute.nvmeValue();
        const qint32 id = attribute.getIDNumber();
        if (!nvme || id == 194 || id == 9)
            return QString::number(attribute.getRaw());
        return *nvme;
    }
    case AttributeColumn::Min:
        return attribute.getTemperatureAvailable() ? QString::number(attribute.getMin())
                                                   : QString();
    case AttributeColumn::Max:
        return attribute.getTemperatureAvailable() ? QString::number(attribute.getMax())
                                                   : QString();
    }
    return QString();
}

KZTone attributeRowTone(const KZSMARTAttribute &attribute, const KZSMARTDrive &drive,
                        bool ignore190, bool ignore196)
{
    using KZDriveSummary::isBadLevel;
    const bool ownStateBad = isBadLevel(attribute.getFailed());
    bool red = false;
    switch (attribute.getIDNumber()) {
    case 190:
        red = !ignore190 && ownStateBad;
        break;
    case 196:
        red = !ignore196 && isBadLevel(drive.driveReallocatedEventsFail());
        break;
    case 5:
        red = isBadLevel(drive.driveReallocatedSectorsFail()) || ownStateBad;
        break;
    case 197:
        red = isBadLevel(drive.driveCurrentSectorsFail()) || ownStateBad;
        break;
    case 198:
        red = isBadLevel(drive.driveOfflineSectorsFail()) || ownStateBad;
        break;
    default:
        red = ownStateBad;
        break;
    }
    return red ? KZTone::Alert : KZTone::Normal;
}

int errorRowCount(const KZSMARTDrive &drive)
{
    // The log keeps the five most recent errors; rows are never made up for
    // entries that were not read.
    const qint64 read = drive.driveErrorLogEntries() ? drive.driveErrorLogEntries()->size() : 0;
    const qint64 rows = qMin(qMin(qint64(drive.driveTotalErrors()), read), qint64(5));
    return int(qMax(rows, qint64(0)));
}

QString errorCellText(const KZSMARTErrorLog &entry, ErrorColumn column)
{
    switch (column) {
    case ErrorColumn::Number:
        return QString::number(entry.getNumber());
    case ErrorColumn::Time:
        return entry.getTime() == -1
                   ? QStringLiteral("-")
                   : text(QT_TRANSLATE_N_NOOP("KZDetailRows", "%n hours"), entry.getTime());
    case ErrorColumn::Error:
        return entry.getError1();
    case ErrorColumn::Command:
        return entry.getLastErrorCommand().value_or(QString());
    }
    return QStringLiteral("Undefined");
}

QString selfTestCellText(const KZSMARTSelfTestLog &entry, SelfTestColumn column)
{
    switch (column) {
    case SelfTestColumn::Number:
        return QString::number(entry.getNumber());
    case SelfTestColumn::Type:
        return KZSmartctlWords::selfTestType(entry.getType().value_or(QString()));
    case SelfTestColumn::Status:
        return KZSmartctlWords::selfTestStatus(entry.getStatus().value_or(QString()));
    case SelfTestColumn::Remaining:
        return QStringLiteral("%1%").arg(entry.getRemaining());
    case SelfTestColumn::Lifetime:
        return QString::number(entry.getLifetime());
    case SelfTestColumn::LBA:
        return entry.getLBA() < 0 ? QStringLiteral("-") : QString::number(entry.getLBA());
    }
    return QStringLiteral("Undefined");
}

KZTone selfTestRowTone(const KZSMARTDrive &drive)
{
    return drive.driveNewTestFail() ? KZTone::Alert : KZTone::Normal;
}

DriveInfo driveInfo(const KZSMARTDrive &drive)
{
    DriveInfo info;
    info.title =
        windowTitle(drive, text(QT_TRANSLATE_NOOP("KZDetailRows", "%1 Drive information")));
    info.modelFamily = dashIfAbsent(drive.driveModelFamily());
    info.model = dashIfAbsent(drive.driveModel());
    info.serialNumber = dashIfAbsent(drive.driveSerialNumber());
    info.firmwareVersion = dashIfAbsent(drive.driveFirmwareVersion());
    info.capacity = dashIfAbsent(drive.driveCapacity());
    info.rotationRate = dashIfAbsent(drive.driveRotationRate());
    if (drive.driveSATAVersion()) {
        info.versionCaption = text(QT_TRANSLATE_NOOP("KZDetailRows", "SATA Version:"));
        info.version = *drive.driveSATAVersion();
    } else {
        info.version = dashIfAbsent(drive.driveATAVersion());
    }

    using Group = CapabilityGroup;
    const auto add = [&info](Group group, const char *name, const char *english, bool on) {
        info.capabilities.append({group, QString::fromLatin1(name), text(english), on});
    };
    add(Group::SMARTData, "autoSavingSMARTData",
        QT_TRANSLATE_NOOP("KZDetailRows", "Saves SMART data automatically"),
        drive.driveAutoSavingSMARTData());
    add(Group::SMARTData, "savesSMARTDataPowerSave",
        QT_TRANSLATE_NOOP("KZDetailRows", "Saves SMART data before entering power-saving mode"),
        drive.driveSavesSMARTDataPowerSave());
    add(Group::SMARTData, "smartAutoSaveTimer",
        QT_TRANSLATE_NOOP("KZDetailRows", "SMART auto-save timer"),
        drive.driveSMARTAutoSaveTimer());
    add(Group::OfflineDataCollection, "autoOfflineDataCollectionEnable",
        QT_TRANSLATE_NOOP("KZDetailRows", "Automatic offline data collection enabled"),
        drive.driveAutoOfflineDataCollectionEnable());
    add(Group::OfflineDataCollection, "smartExecuteOfflineImmediate",
        QT_TRANSLATE_NOOP("KZDetailRows", "Executes offline collection on request"),
        drive.driveSMARTExecuteOfflineImmediate());
    add(Group::OfflineDataCollection, "autoOfflineDataCollection",
        QT_TRANSLATE_NOOP("KZDetailRows", "Automatic timer for offline collection"),
        drive.driveAutoOfflineDataCollection());
    add(Group::OfflineDataCollection, "abortOfflineCollection",
        QT_TRANSLATE_NOOP("KZDetailRows", "Aborts offline collection on a new command"),
        drive.driveAbortOfflineCollection());
    add(Group::OfflineDataCollection, "offlineSurfaceScan",
        QT_TRANSLATE_NOOP("KZDetailRows", "Offline surface scan"), drive.driveOfflineSurfaceScan());
    add(Group::SelfTests, "selfTest", QT_TRANSLATE_NOOP("KZDetailRows", "Self-tests"),
        drive.driveSelfTest());
    add(Group::SelfTests, "selectiveSelfTest",
        QT_TRANSLATE_NOOP("KZDetailRows", "Selective self-tests"), drive.driveSelectiveSelfTest());
    add(Group::SelfTests, "conveyanceSelfTest",
        QT_TRANSLATE_NOOP("KZDetailRows", "Conveyance self-tests"),
        drive.driveConveyanceSelfTest());
    add(Group::Logging, "errorLogging", QT_TRANSLATE_NOOP("KZDetailRows", "Error logging"),
        drive.driveErrorLogging());
    add(Group::Logging, "generalPurposeLogging",
        QT_TRANSLATE_NOOP("KZDetailRows", "General purpose logging"),
        drive.driveGeneralPurposeLogging());

    const QString activity = drive.driveOfflineDataCollectionActivity();
    info.offlineDataCollectionActivity = activity.isEmpty() ? QStringLiteral("-") : activity;
    info.offlineDataCollectionTime = text(QT_TRANSLATE_N_NOOP("KZDetailRows", "%n seconds"),
                                          drive.driveOfflineDataCollectionTime());
    const QString execution = drive.driveSelfTestExecution();
    info.selfTestExecution = execution.isEmpty() ? QStringLiteral("-") : execution;
    info.selfTestExecutionTone = drive.driveSelftestFail() ? KZTone::Alert : KZTone::Normal;
    info.shortSelfTestTime = minutes(drive.driveShortSelfTestTime());
    info.extendedSelfTestTime = minutes(drive.driveExtendedSelfTestTime());
    info.conveyanceSelfTestTime = drive.driveConveyanceSelfTest()
                                      ? minutes(drive.driveConveyanceSelfTestTime())
                                      : QStringLiteral("-");
    return info;
}

} // namespace KZDetailRows
