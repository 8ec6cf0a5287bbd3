#pragma once

#include "KZPreferenceKeys.h"

#include <QHash>
#include <QList>
#include <QString>

class KZPreferences;
class KZSMARTDrive;

// Remembers the health each drive had at the last check, so that the tray
// program can tell the user at once when a drive gets worse: passed to
// failing or failed, or failing to failed. A drive whose health could not be
// determined keeps its last known health; a drive seen for the first time is
// only remembered.
class KZHealthHistory
{
public:
    struct Change
    {
        QString displayName;
        qint32 previousHealth = 0;
        qint32 health = 0;
    };

    // The preference that switches the notification off ("NotifyHealthWorse", on
    // unless the user switched it off).
    static inline const QString preferenceKey = KZPreferenceKeys::notifyHealthWorse;
    static bool notificationsEnabled(const KZPreferences &preferences);

    // One drive at one check.
    struct Observation
    {
        QString key;         // keyOf()
        QString displayName; // as a person reads it (KZDriveStatus::shownName)
        qint32 health = 0;
    };
    static QList<Observation> observationsOf(const QList<const KZSMARTDrive *> &drives);

    // Records the drives of one check (in list order) and returns the ones
    // that got worse since the previous check.
    QList<Change> record(const QList<Observation> &drives);

    // The key a drive is remembered by: its serial number, else its location.
    static QString keyOf(const KZSMARTDrive &drive);

    // The notification of a change, in the language of the installed
    // catalogue: the summary ("%1: FAILING" or "%1: FAILED") and the body
    // naming the previous status.
    static QString summaryOf(const Change &change);
    static QString bodyOf(const Change &change);

private:
    QHash<QString, qint32> m_health;
};
