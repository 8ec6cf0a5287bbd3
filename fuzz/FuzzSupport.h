#pragma once

#include "KZSMARTDrive.h"
#include "KZTask.h"

#include <QString>
#include <cstddef>
#include <cstdint>

// Turns fuzz bytes into what a smartctl run yields: decoded text split by the
// real splitter, or nothing for text that is not valid UTF-8 or has no line feed.
inline std::optional<QStringList> fuzzOutput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = QString::fromUtf8(bytes);
    try {
        return KZTask::splitLines(text);
    } catch (...) {
        return std::nullopt;
    }
}

// A command-line drive whose every smartctl run answers with the fuzz text
// after the smartctl banner.
inline KZSMARTDrive fuzzDrive(const uint8_t *data, size_t size)
{
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(QStringLiteral("/dev/fuzz"));
    std::optional<QStringList> output = fuzzOutput(data, size);
    if (output)
        *output = QStringList{QStringLiteral("smartctl 7.3 (fuzz)"), QStringLiteral("Copyright")} +
                  *output;
    drive.setOutputProvider([output](const QStringList &) { return output; });
    return drive;
}
