#pragma once

#include <QString>

// Where Tarnwell keeps its files, following the XDG base directory rules.
namespace KZPaths {

// $XDG_CONFIG_HOME/Tarnwell/Tarnwell.conf — the preferences of both programs.
QString preferencesFile();
// $XDG_CONFIG_HOME/autostart — desktop entries of programs started at login.
QString autostartFolder();
// $XDG_STATE_HOME/Tarnwell — the log file and the per-drive raw captures.
QString logFolder();
// $XDG_STATE_HOME/Tarnwell/Tarnwell.log
QString logFile();
// $XDG_DATA_HOME/Tarnwell — the persisted drive list.
QString dataFolder();
// The raw capture file of a drive, named after the last component of its device path.
QString rawCaptureFile(const QString &locationID);
// Creates the log and data folders when missing; failures are not reported.
void createFolders();

} // namespace KZPaths
