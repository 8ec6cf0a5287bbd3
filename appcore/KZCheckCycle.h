#pragma once

#include "KZAlertMail.h"
#include "KZMailSender.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class KZPreferences;
class KZSMARTDrive;

// What the blink(1) LED was told after a check.
enum class KZBlink1Signal
{
    None, // no command was run
    Off,
    Green,
    Yellow,
    Red
};

// What a check does once every drive has been read, in the application and
// in the tray program, without a window.
namespace KZCheckCycle {

// Sleeping disks (KZSMARTDrive::driveSleeping(), left asleep by a timed
// check) are shown with the values of their last read: never counted as
// failing or unknown for being asleep, never mailed, recorded as a problem
// only when their last read was one; the merged status and the LED count
// their last read's verdict (KZDriveStatus::mergedDriveStatus).

// A drive that S.M.A.R.T. answers for but whose health could not be
// determined (an undetermined health, a read that failed): never shown as
// passed. Never a sleeping disk.
bool couldNotBeRead(const KZSMARTDrive &drive);

// A drive that answered that it has no S.M.A.R.T. data (shown only while
// "ShowUnsupportedDrives" is on): it is listed, but never judged, mailed or
// recorded.
bool isUnsupported(const KZSMARTDrive &drive);

// The status of one drive for its icon: its health when 2 or 3; a drive
// that could not be read counts as failing; any other health as passed.
int driveIconStatus(const KZSMARTDrive &drive);

// The LED signal for the merged status: failing (2) gives yellow and failed
// (3) red when their "Blink1…" key is on, else nothing; any other status
// gives green when "Blink1DrivePassed" is on, else off.
KZBlink1Signal blink1SignalForStatus(int mergedStatus, const KZPreferences &preferences);

// Decides the signal as above and sends it through KZBlink1Controller.
KZBlink1Signal updateBlink1(int mergedStatus, const KZPreferences &preferences);

struct Options
{
    // The moment of the check, shown as "CheckTime" (now when invalid).
    QDateTime checkTime;
    // Whether the blink(1) tool is there; tested now when not given.
    std::optional<bool> blink1Available;
    // Where the drive list goes (KZDriveListFile::filePath() when empty).
    QString driveListPath;
    // The sender of the alert mail (the application's copy by default).
    KZMailSender mailSender{KZMailSender::Copy::Application};
    // true: send the mail and wait for it (command-line use); false: send it
    // on a detached thread, as the windowed program does, and go on.
    bool waitForMail = true;
    // Called with the outcome of the mail (on the mail thread when detached).
    std::function<void(const KZMailResult &)> mailFinished;
    // The preferences read (the standard store when null).
    KZPreferences *preferences = nullptr;
    // Whose check it is: the mail subjects ("Tarnwell Report" or "Tarnwell
    // Menu Item Report"). The rules are the same for both.
    KZMailProgram program = KZMailProgram::Application;
};

struct Result
{
    int mergedStatus = 1;
    KZBlink1Signal blink1 = KZBlink1Signal::None; // the signal sent
    KZCheckSummary summary;
    QString checkTime;
    bool driveListWritten = false;
    // (subject, body) when a line was added and the mail was sent.
    std::optional<QStringList> mail;
    // The outcome when the mail was sent and waited for.
    std::optional<KZMailResult> mailResult;
};

// The scan's rule for self-tests believed to be running: true when
// "TestsInProgress" is above 0 and the end time stored for one of the drives
// ("<location>_TestEndTime") lies at least a whole minute after now, which
// calls for the warning before a scan. Otherwise "TestsInProgress" is set
// back to 0 (written only when it was not 0) and the result is false.
bool selfTestWarningCalledFor(const QStringList &driveLocations, const QDateTime &now,
                              KZPreferences &preferences);

// After a check of `drives` (in list order), the same in every program:
// lights the LED by the merged status of all drives when the tool is there,
// composes the lines and records, writes the persisted drive list, and sends
// the alert mail with the program's subjects when at least one line was
// added ("EmailDrive…" keys decide).
Result finishUpdate(const QList<const KZSMARTDrive *> &drives, const Options &options = {});

} // namespace KZCheckCycle
