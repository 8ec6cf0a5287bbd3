// Builds the raw capture text for a drive description: the REPORT-IOCTL command blocks that
// "smartctl -r ataioctl,2 -a" writes and that "smartctl ... -" reads back from standard input.
#pragma once

#include "DriveSpec.h"

#include <QByteArray>

namespace twdrforge {

// smartctl replays at most this many commands, read from less than this many bytes.
constexpr int MaxReplayCommands = 32;
constexpr qsizetype MaxReplayBytes = 64 * 1024;

// Returns the capture text. Throws ForgeError if it would not fit smartctl's replay limits.
QByteArray forgeCapture(const DriveSpec &drive);

} // namespace twdrforge
