#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class KZSMARTDrive;

// Status words, merged status and display names of drives: the same rules
// for the application, the tray program and the command-line tool.
namespace KZDriveStatus {

// Every status word a drive can have, in the order a check's summary counts
// them: "FAILED", "FAILING", "UNKNOWN", "TESTING", "UNSUPPORTED", "SLEEPING",
// "PASSED".
const QStringList &statusWords();

// The drive's status word in English, as machines read it (one of
// statusWords()). A drive that could not be read
// (KZSMARTDrive::driveReadFailed()) is "UNKNOWN", or "FAILING"/"FAILED" when
// a step of its refresh judged so. A disk the last check left asleep is
// "SLEEPING" whatever its last read found.
QString statusWord(const KZSMARTDrive &drive);
// The word for an empty drive list.
inline const QString noDrivesWord =
    QString::fromLatin1(QT_TRANSLATE_NOOP("KZDriveStatus", "NO DRIVES"));
// A status word (one of statusWords(), or noDrivesWord) as a person reads
// it: in the language of the installed catalogue.
QString shownWord(const QString &word);
// The drive's status word as a person reads it: shownWord(statusWord()).
QString getDriveStatus(const KZSMARTDrive &drive);

// 3 when any drive failed, else 2 when any is failing or UNKNOWN (it could
// not be read, or gave no verdict: the icon is never green about a disk
// whose health nobody knows), else 1. A sleeping disk counts by the verdict
// of its last read when that was failing or failed, else as passed: being
// asleep is never a problem.
int mergedDriveStatus(const QList<const KZSMARTDrive *> &drives);

// A drive whose health nobody knows: it did not answer, or S.M.A.R.T.
// answered without a verdict. Never a disk left asleep (its last read
// stands).
bool healthUnknown(const KZSMARTDrive &drive);

// The model (or location identifier), a single partition's name, or
// "<model> with partitions A, B, and C". In English, as machines read it;
// shownName() is the same name as a person reads it.
QString displayName(const KZSMARTDrive &drive);
QString shownName(const KZSMARTDrive &drive);

// "<base> with partitions " followed by the drive's partition names, each
// but the last two followed by ", " and the last but one by ", and ". With
// `translated`, in the language of the installed catalogue.
QString nameWithPartitions(const QString &base, const KZSMARTDrive &drive, bool translated = false);

} // namespace KZDriveStatus
