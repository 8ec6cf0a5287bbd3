#include "KZDriveSummary.h"

#include "KZDriveCheck.h"
#include "KZDriveStatus.h"
#include "KZRecordedTexts.h"
#include "KZSMARTDrive.h"
#include "KZSmartctlWords.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>

namespace {

QString text(const char *english)
{
    return QCoreApplication::translate("KZDriveSummary", english);
}

QString orNotFound(const std::optional<QString> &value)
{
    return value ? *value : text(QT_TRANSLATE_NOOP("KZDriveSummary", "Not found"));
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
    using KZDriveStatus::shownWord;
    switch (health) {
    case 1:
        return {shownWord(QStringLiteral("PASSED")), KZStatusStyle::Passed};
    case 2:
        return {shownWord(QStringLiteral("FAILING")), KZStatusStyle::Failing};
    case 3:
        return {shownWord(QStringLiteral("FAILED")), KZStatusStyle::Failed};
    default:
        return {shownWord(QStringLiteral("UNKNOWN")), KZStatusStyle::Unknown};
    }
}

// The drive keeps its reasons in English; the summary shows them translated.
QString failureReasons(const KZSMARTDrive &drive)
{
    const std::optional<QStringList> &reasons = drive.failureReasons();
    return reasons
               ? KZRecordedTexts::shown(*reasons, text(QT_TRANSLATE_NOOP("KZDriveSummary", "; ")))
               : QString();
}

QString lastError(const KZSMARTDrive &drive)
{
    return KZRecordedTexts::shown(drive.getLastSMARTErrorMessage().value_or(QString()));
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
    content.lastTestStatus = {lastStatus ? KZSmartctlWords::selfTestStatus(*lastStatus)
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
        content.statusReason = lastError(drive);

    const QString showAll = text(QT_TRANSLATE_NOOP("KZDriveSummary", "Show All"));
    const QString moreInfo = text(QT_TRANSLATE_NOOP("KZDriveSummary", "More Info"));
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

    const QString moreInfo = text(QT_TRANSLATE_NOOP("KZDriveSummary", "More Info"));
    const QString showAll = text(QT_TRANSLATE_NOOP("KZDriveSummary", "Show All"));
    // The tests button keeps its title's colour: nothing is judged here.
    if (drive && drive->driveSelfTestExecutionInProgress()) {
        content.status = KZDriveStatus::shownWord(QStringLiteral("TESTING"));
        content.statusStyle = KZStatusStyle::Testing;
        content.tests = {true, moreInfo, std::nullopt};
    } else if (drive && KZDriveStatus::statusWord(*drive) == QLatin1String("UNKNOWN")) {
        // A drive that could not be read at all: say why.
        content.status = KZDriveStatus::shownWord(QStringLiteral("UNKNOWN"));
        content.statusStyle = KZStatusStyle::Unknown;
        content.statusReason = lastError(*drive);
        content.tests = {false, moreInfo, std::nullopt};
    } else if (!listEmpty) {
        content.status = KZDriveStatus::shownWord(QStringLiteral("UNSUPPORTED"));
        content.statusStyle = KZStatusStyle::Unsupported;
        content.tests = {false, moreInfo, std::nullopt};
    } else {
        content.status = KZDriveStatus::shownWord(KZDriveStatus::noDrivesWord);
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

QString temperatureCaption(bool fahrenheit)
{
    return fahrenheit ? text(QT_TRANSLATE_NOOP("KZDriveSummary", "Temperature (F):"))
                      : text(QT_TRANSLATE_NOOP("KZDriveSummary", "Temperature (Celsius):"));
}

KZEmptyListText emptyList(const QList<KZSkippedDisk> &skipped, bool reading)
{
    if (reading)
        return {text(QT_TRANSLATE_NOOP("KZDriveSummary", "READING")),
                text(QT_TRANSLATE_NOOP("KZDriveSummary",
                                       "Tarnwell is reading the drives. This takes a moment for "
                                       "each disk, longer for one that is asleep."))};
    const QString noDrives = KZDriveStatus::shownWord(KZDriveStatus::noDrivesWord);
    if (skipped.isEmpty())
        return {noDrives,
                text(QT_TRANSLATE_NOOP("KZDriveSummary", "No disk was found on this computer."))};
    QStringList disks;
    for (const KZSkippedDisk &disk : skipped)
        disks << QStringLiteral("%1 (%2)").arg(
            QFileInfo(disk.location).fileName(),
            KZRecordedTexts::shown(KZDriveCheck::skippedReason(disk.smartError)));
    const QString found = QCoreApplication::translate(
                              "KZDriveSummary", "%n disks found, none with S.M.A.R.T. data: %1.",
                              nullptr, int(skipped.size()))
                              .arg(disks.join(QStringLiteral(", ")));
    return {noDrives,
            found + QLatin1Char(' ') +
                text(QT_TRANSLATE_NOOP(
                    "KZDriveSummary",
                    "Virtual disks and card readers have none; a disk behind a USB bridge that "
                    "smartctl does not know may have it. To list such disks anyway, turn on "
                    "\"Also list drives without S.M.A.R.T. support\" in the preferences."))};
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
    const QDateTime &lastRead = drive.driveLastRead();
    if (!lastRead.isValid())
        return QCoreApplication::translate(
                   "KZDriveSummary",
                   "The disk was asleep (%1) and was left asleep; it has not been read yet.")
            .arg(drive.drivePowerMode());
    return QCoreApplication::translate("KZDriveSummary",
                                       "The disk was asleep (%1) and was left asleep. These are "
                                       "the values of its last read, %2.")
        .arg(drive.drivePowerMode(), QLocale().toString(lastRead, QLocale::ShortFormat));
}

KZDriveSummaryContent summarize(const KZSMARTDrive *drive, bool listEmpty,
                                KZDriveViewFlavour flavour, bool fahrenheit)
{
    KZDriveSummaryContent content;
    if (drive && drive->smartSupported()) {
        content.temperatureCaption = temperatureCaption(fahrenheit);
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
