#include "KZCheckCycle.h"

#include "KZBlink1Controller.h"
#include "KZDriveListFile.h"
#include "KZDriveStatus.h"
#include "KZLog.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"

namespace KZCheckCycle {

bool couldNotBeRead(const KZSMARTDrive &drive)
{
    return KZDriveStatus::healthUnknown(drive);
}

bool isUnsupported(const KZSMARTDrive &drive)
{
    const qint32 health = drive.driveHealth();
    return !drive.smartSupported() && !drive.driveReadFailed() && !drive.driveSleeping() &&
           health != 2 && health != 3;
}

int driveIconStatus(const KZSMARTDrive &drive)
{
    const qint32 health = drive.driveHealth();
    if (health == 2 || health == 3)
        return health;
    return couldNotBeRead(drive) ? 2 : 1;
}

KZBlink1Signal blink1SignalForStatus(int mergedStatus, const KZPreferences &preferences)
{
    switch (mergedStatus) {
    case 2:
        return preferences.boolForKey(KZPreferenceKeys::blink1DriveFailing) ? KZBlink1Signal::Yellow
                                                                            : KZBlink1Signal::None;
    case 3:
        return preferences.boolForKey(KZPreferenceKeys::blink1DriveFailed) ? KZBlink1Signal::Red
                                                                           : KZBlink1Signal::None;
    default:
        return preferences.boolForKey(KZPreferenceKeys::blink1DrivePassed) ? KZBlink1Signal::Green
                                                                           : KZBlink1Signal::Off;
    }
}

KZBlink1Signal updateBlink1(int mergedStatus, const KZPreferences &preferences)
{
    const KZBlink1Signal signal = blink1SignalForStatus(mergedStatus, preferences);
    switch (signal) {
    case KZBlink1Signal::None:
        break;
    case KZBlink1Signal::Off:
        KZBlink1Controller::noAlert();
        break;
    case KZBlink1Signal::Green:
        KZBlink1Controller::greenAlert();
        break;
    case KZBlink1Signal::Yellow:
        KZBlink1Controller::yellowAlert();
        break;
    case KZBlink1Signal::Red:
        KZBlink1Controller::redAlert();
        break;
    }
    return signal;
}

bool selfTestWarningCalledFor(const QStringList &driveLocations, const QDateTime &now,
                              KZPreferences &preferences)
{
    const QString countKey = KZPreferenceKeys::testsInProgress;
    const bool debug = preferences.boolForKey(KZPreferenceKeys::outputDebugMessages);
    const qint64 running = preferences.integerForKey(countKey);
    KZLog::debug(debug, QStringLiteral("Tests in progress: %1").arg(running));
    if (running > 0) {
        for (const QString &location : driveLocations) {
            const QDateTime end =
                preferences.dateForKey(location + KZPreferenceKeys::testEndTimeSuffix);
            if (!end.isValid())
                continue;
            KZLog::debug(debug, QStringLiteral("Test completion for drive %1: %2")
                                    .arg(location, end.toString(Qt::ISODate)));
            // Whole minutes from the end to now, truncated toward zero:
            // negative while the end lies at least a minute ahead.
            const qint64 minutes = end.secsTo(now) / 60;
            KZLog::debug(debug, QString::number(minutes));
            if (minutes < 0)
                return true;
        }
    }
    if (running != 0)
        preferences.setInteger(countKey, 0);
    return false;
}

Result finishUpdate(const QList<const KZSMARTDrive *> &drives, const Options &options)
{
    KZPreferences &preferences =
        options.preferences ? *options.preferences : KZPreferences::standard();
    Result result;
    result.mergedStatus = KZDriveStatus::mergedDriveStatus(drives);
    if (options.blink1Available.value_or(KZBlink1Controller::toolAvailable()))
        result.blink1 = updateBlink1(result.mergedStatus, preferences);

    const KZEmailEvents events = KZEmailEvents::fromPreferences(preferences);
    result.summary = KZAlertMail::summarizeCheck(drives, events);

    const QDateTime now =
        options.checkTime.isValid() ? options.checkTime : QDateTime::currentDateTime();
    result.checkTime = KZDriveListFile::checkTimeText(now);
    result.driveListWritten = KZDriveListFile::write(
        result.checkTime, result.summary.problemCount, result.summary.records,
        options.driveListPath.isEmpty() ? KZDriveListFile::filePath() : options.driveListPath);

    result.mail = KZAlertMail::alertMessage(
        options.program, result.summary, preferences.stringForKey(KZPreferenceKeys::emailHostName));
    if (result.mail) {
        KZMailSender sender = options.mailSender;
        sender.setPreferences(&preferences);
        if (options.waitForMail) {
            result.mailResult = sender.sendEmailWithSubjectAndMessage(*result.mail);
            if (options.mailFinished)
                options.mailFinished(*result.mailResult);
        } else {
            sender.sendInBackground(*result.mail, options.mailFinished);
        }
    }
    return result;
}

} // namespace KZCheckCycle
