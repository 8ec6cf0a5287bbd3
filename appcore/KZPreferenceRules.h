#pragma once

#include <QString>
#include <QStringList>

class KZPreferences;

// Preference rules of the application that need no window: what start-up
// does to the preferences and folders, the reset button, the filter of the
// two custom-limit fields and the enabled state of the e-mail buttons.
namespace KZPreferenceRules {

// The check timer never runs more often than once an hour.
inline constexpr qint64 minimumPollingInterval = 3600;

// First set-up: registers the application's defaults, stores 3600 when
// "PollingInterval" reads below it, and creates the data and log folders.
void prepareApplicationPreferences(KZPreferences &preferences);

// Stores 3600 under "PollingInterval" when it reads below 3600.
void enforceMinimumPollingInterval(KZPreferences &preferences);

// Creates the folder of the persisted drive list and the log folder when
// missing; failures are not reported.
void createApplicationFolders();

// The reset button: stores the default of every drive-judging and timer key
// (not the blink(1) and e-mail keys).
void resetPrefsToDefaults(KZPreferences &preferences);

// The text a custom-limit field holds after an edit: only its decimal
// digits, as a number from 0 to 1000; "0" when nothing is left.
QString sanitizeCustomLimitText(const QString &text);
// What a custom-limit field shows after an edit: the filtered number without
// leading zeros, so typing into a field that shows "0" gives the number typed.
QString customLimitFieldText(const QString &text);

// The e-mail options and test buttons are enabled when any of the four
// e-mail events is switched on.
bool emailOptionsEnabled(const KZPreferences &preferences);

} // namespace KZPreferenceRules
