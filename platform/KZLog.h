#pragma once

#include <QString>

// Log lines go to standard error; the program entry appends standard error to
// the log file, so every line lands there.
namespace KZLog {

// Appends standard error to the given file (creating its folder first) and
// ignores SIGPIPE. Returns false when the file cannot be opened; standard
// error is then left as it was.
bool redirectStandardErrorTo(const QString &path);

// Writes one line: time stamp, program name, process id, message.
void log(const QString &message);

// Writes the line only while debugging is switched on.
inline void debug(bool enabled, const QString &message)
{
    if (enabled)
        log(message);
}

} // namespace KZLog
