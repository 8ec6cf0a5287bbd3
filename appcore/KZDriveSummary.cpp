#include "KZDriveSummary.h"

#include "KZDriveCheck.h"
#include "KZDriveStatus.h"
#include "KZLocalization.h"
#include "KZSMARTDrive.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>

namespace {

QString text(const char *key, const char *english)
{
    return KZLocalization::localizedString(QString::fromLatin1(key), QString::fromUtf8(english));
}

QString orNotFound(const std::optional<QString> &value)
{
    return value ? *value : text("NotFound", "Not found");
}

KZTone toneIf(bool alert)
{
    return alert ? KZTone::Alert : KZTone::Normal;
}

// The status word a drive is shown with and the colours that go with it.
struct StatusChoice
{
    QString word;
    KZStatusStyle style;
};

StatusChoice statusByHealth(qint32 health)
{
    switch (health) {
    case 1:
        return {text("PASSED", "PASSED"), KZStatusStyle::Passed};
    case 2:
        return {text("FAILING", "FAILING"), KZStatusStyle::Failing};
    case 3:
        return {text("FAILED", "FAILED"), KZStatusStyle::Failed};
    default:
        return {text("UNKNOWN", "UNKNOWN"), KZStatusStyle::Unknown};
    }
}

QString failureReasons(const KZSMARTDrive &drive)
{
    const std::optional<QStringList> &reasons = drive.failureReasons();
    return reasons ? reasons->join(QStringLiteral("; ")) : QString();
}

void fillSupported(KZDriveSummaryContent &content, const KZSMARTDrive &drive,
                   KZDriveViewFlavour flavour)
{
    using KZDriveSummary::isBadLevel;
    using KZDriveSummary::numberOrDash;
    const bool viewer = flavour == KZDriveViewFlavour::ReportViewer;

    content.model = orNotFound(drive.driveModel());
    content.serialNumber = orNotFound(drive.driveSerialNumber());
    content.capacity = orNotFound(drive.driveCapacity());
    content.powerOnHours = numberOrDash(drive.drivePowerOnHours());

    qint64 temperature = drive.driveTemperature();
    if (temperature == -1 && !viewer)
        temperature = drive.driveAirflowTemperature();
    content.temperature = numberOrDash(temperature);

    content.pendingBadSectors = {numberOrDash(drive.drivePendingBadSectors()),
                                 toneIf(isBadLevel(drive.driveCurrentSectorsFail()))};
    content.removedBadSectors = {numberOrDash(drive.driveRemovedBadSectors()),
                                 toneIf(isBadLevel(drive.driveOfflineSectorsFail()))};
    const std::optional<qint64> reallocated = KZDriveSummary::reallocatedSectorCount(drive);
    content.reallocatedBadSectors = {reallocated ? QString::number(*reallocated)
                                                 : QStringLiteral("-"),
                                     toneIf(isBadLevel(drive.driveReallocatedSectorsFail()))};
    content.crcErrorCount = numberOrDash(drive.driveCRCErrorCount());
    content.totalErrors = {numberOrDash(drive.driveTotalErrors()), toneIf(drive.driveErrorsFail())};
    content.lastErrorType = drive.driveLastErrorType().value_or(QStringLiteral("-"));
    content.lastErrorTime = numberOrDash(drive.driveLastErrorTime());
    content.testCount = QString::number(drive.driveTestsCount());

    const std::optional<QString> lastStatus = drive.driveLastTestStatus();
    const bool lastTestBad = viewer ? lastStatus && KZDriveSummary::isFailedTestStatus(*lastStatus)
                                    : drive.driveNewTestFail();
    content.lastTestStatus = {lastStatus ? KZLocalization::localizedString(*lastStatus, *lastStatus)
                                         : QStringLiteral("-"),
                              toneIf(lastTestBad)};
    const qint32 lastTestTime = drive.driveLastTestTime();
    content.lastTestTime = lastTestTime >= 0 ? QString::number(lastTestTime) : QStringLiteral("-");

    const StatusChoice status = statusByHealth(drive.driveHealth());
    content.status = status.word;
    content.statusStyle = status.style;
    if (status.style == KZStatusStyle::Failing || status.style == KZStatusStyle::Failed)
        content.statusReason = failureReasons(drive);
    else if (status.style == KZStatusStyle::Unknown)
        content.statusReason = drive.getLastSMARTErrorMessage().value_or(QString());

    const QString showAll = text("ShowAll", "Show All");
    const QString moreInfo = text("MoreInfo", "More Info");
    content.driveInformation = {
        true, moreInfo, toneIf(viewer ? drive.driveSelftestFail() : drive.driveNewTestFail())};
    const bool attributesBad = isBadLevel(drive.driveReallocatedSectorsFail()) ||
                               isBadLevel(drive.driveReallocatedEventsFail()) ||
                               isBadLevel(drive.driveCurrentSectorsFail()) ||
                               isBadLevel(drive.driveOfflineSectorsFail()) ||
                               isBadLevel(drive.driveOtherAttributesFail());
    content.attributes = {true, showAll, toneIf(attributesBad)};
    if (drive.driveTotalErrors() <= 0)
        content.errors = {false, showAll, KZTone::Normal};
    else
        content.errors = {true, showAll, toneIf(drive.driveErrorsFail())};
    if (drive.driveSelfTest())
        content.tests = {true, moreInfo, toneIf(drive.driveTestsFail())};
    else
        content.tests = {false, moreInfo, std::nullopt};
}

void fillUnsupported(KZDriveSummaryContent &content, const KZSMARTDrive *drive, bool listEmpty)
{
    const QString dash = QStringLiteral("-");
    for (QString *field :
         {&content.model, &content.serialNumber, &content.capacity, &content.powerOnHours,
          &content.temperature, &content.crcErrorCount, &content.lastErrorType,
          &content.lastErrorTime, &content.testCount, &content.lastTestTime})
        *field = dash;
    for (KZSummaryValue *field :
         {&content.pendingBadSectors, &content.removedBadSectors, &content.reallocatedBadSectors,
          &content.totalErrors, &content.lastTestStatus})
        *field = {dash, KZTone::Normal};

    const QString moreInfo = text("MoreInfo", "More Info");
    const QString showAll = text("ShowAll", "Show All");
    // The tests button keeps its title's colour: nothing is judged here.
    if (drive && drive->driveSelfTestExecutionInProgress()) {
        content.status = text("TESTING", "TESTING");
        content.statusStyle = KZStatusStyle::Testing;
        content.tests = {true, moreInfo, std::nullopt};
    } else if (drive && KZDriveStatus::getDriveStatus(*drive) == text("UNKNOWN", "UNKNOWN")) {
        // A drive that could not be read at all: say why.
        content.status = text("UNKNOWN", "UNKNOWN");
        content.statusStyle = KZStatusStyle::Unknown;
        content.statusReason = drive->getLastSMARTErrorMessage().value_or(QString());
        content.tests = {false, moreInfo, std::nullopt};
    } else if (!listEmpty) {
        content.status = text("UNSUPPORTED", "UNSUPPORTED");
        content.statusStyle = KZStatusStyle::Unsupported;
        content.tests = {false, moreInfo, std::nullopt};
    } else {
        content.status = text("NODRIVES", "NO DRIVES");
        content.statusStyle = KZStatusStyle::NoDrives;
        // Nothing to open a window for.
        content.tests = {false, moreInfo, std::nullopt};
    }
    content.driveInformation = {false, moreInfo, KZTone::Normal};
    content.attributes = {false, showAll, KZTone::Normal};
    content.errors = {false, showAll, KZTone::Normal};
}

} // namespace

namespace KZDriveSummary {

KZEmptyListText emptyList(const QList<KZSkippedDisk> &skipped, bool reading)
{
    const auto tr = [](const char *text) {
        return QCoreApplication::translate("KZDriveSummary", text);
    };
    if (reading)
        return {tr("READING"), tr("Tarnwell is reading the drives. This takes a moment for each "
                                  "disk, longer for one that is asleep.")};
    if (skipped.isEmpty())
        return {text("NODRIVES", "NO DRIVES"), tr("No disk was found on this computer.")};
    QStringList disks;
    for (const KZSkippedDisk &disk : skipped)
        disks << QStringLiteral("%1 (%2)").arg(
            QFileInfo(disk.location).fileName(),
            QCoreApplication::translate(
                "KZDriveCheck", KZDriveCheck::skippedReason(disk.smartError).toUtf8().constData()));
    const QString list = disks.join(QStringLiteral(", "));
    const QString found = skipped.size() == 1
                              ? tr("1 disk found, none with S.M.A.R.T. data: %1.").arg(list)
                              : tr("%1 disks found, none with S.M.A.R.T. data: %2.")
                                    .arg(QString::number(skipped.size()), list);
    return {text("NODRIVES", "NO DRIVES"),
            found + QLatin1Char(' ') +
                tr("Virtual disks and card readers have none; a disk behind a USB bridge that "
                   "smartctl does not know may have it. To list such disks anyway, turn on "
                   "\"Show unsupported drives\" in the preferences.")};
}

QString numberOrDash(qint64 value)
{
    return value == -1 ? QStringLiteral("-") : QString::number(value);
}

std::optional<qint64> reallocatedSectorCount(const KZSMARTDrive &drive)
{
    const qint64 count = drive.driveReallocatedBadSectors();
    if (count == -1 || count > 10000)
        return std::nullopt;
    return count;
}

bool isFailedTestStatus(const QString &status)
{
    return status.contains(QLatin1String("failure")) || status.contains(QLatin1String("Fatal")) ||
           status.contains(QLatin1String("damage"));
}

static QString sleepingReason(const KZSMARTDrive &drive)
{
    const auto tr = [](const char *text) {
        return QCoreApplication::translate("KZDriveSummary", text);
    };
    const QDateTime &lastRead = drive.driveLastRead();
    QString reason =
        lastRead.isValid()
            ? tr("The disk was asleep (%1) and was left asleep. These are the values of its "
                 "last read, %2.")
                  .arg(drive.drivePowerMode(), QLocale().toString(lastRead, QLocale::ShortFormat))
            : tr("The disk was asleep (%1) and was left asleep; it has not been read yet.")
                  .arg(drive.drivePowerMode());
    return reason;
}

KZDriveSummaryContent summarize(const KZSMARTDrive *drive, bool listEmpty,
                                KZDriveViewFlavour flavour, bool fahrenheit)
{
    KZDriveSummaryContent content;
    if (drive && drive->smartSupported()) {
        content.temperatureCaption = fahrenheit ? text("TempFahr", "Temperature (F):")
                                                : text("TempCel", "Temperature (Celsius):");
        fillSupported(content, *drive, flavour);
    } else {
        fillUnsupported(content, drive, listEmpty);
    }
    // A disk left asleep shows its last read under a status of its own.
    if (drive && drive->driveSleeping()) {
        content.status = KZDriveStatus::getDriveStatus(*drive);
        content.statusStyle = KZStatusStyle::Sleeping;
        const QString reasons = failureReasons(*drive);
        content.statusReason =
            sleepingReason(*drive) + (reasons.isEmpty() ? QString() : QLatin1Char(' ') + reasons);
    }
    return content;
}

} // namespace KZDriveSummary
