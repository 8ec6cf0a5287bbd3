#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

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

// The check, once per start, that an installed SAT driver (a macOS kernel
// extension for external disks) is loaded. It only acts on macOS 10.15 or
// later; on other systems the driver file never exists. The system version,
// the paths and the kextstat runner can be replaced, so its rules are tested
// anywhere.
class KZSATDriverCheck
{
public:
    struct SystemVersion
    {
        int major = 0;
        int minor = 0;
        int patch = 0;
    };
    using VersionSource = std::function<std::optional<SystemVersion>()>;
    using Runner = std::function<std::optional<QStringList>(const QString &program,
                                                            const QStringList &arguments)>;

    KZSATDriverCheck();

    // The running macOS version; nothing on other systems.
    static std::optional<SystemVersion> runningMacOSVersion();

    VersionSource systemVersion;
    QString driverPath = QStringLiteral("/Library/Extensions/SATSMARTDriver.kext");
    QString kextstatPath = QStringLiteral("/usr/sbin/kextstat");
    QString driverIdentifier = QStringLiteral("org.dungeon.driver.SATSMARTDriver");
    // Runs a program through KZTask; nothing when it cannot be run.
    Runner runner;

    // Runs the check; true when it showed the "Driver installed but not
    // loaded" alert (and stored "CheckedForDriverLoad").
    bool run(KZPreferences &preferences) const;
};
