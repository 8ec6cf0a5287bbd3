#pragma once

#include "KZSMARTDrive.h"

#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <optional>

// The benchmarks' drive: the bundled healthy sample replayed through the
// system's smartctl, read once when `read` (else only set up). Nothing, and
// the benchmark marked skipped, without smartctl.
inline std::optional<KZSMARTDrive> benchSample(benchmark::State &state, bool read = true)
{
    if (!QFileInfo(QStringLiteral("/usr/sbin/smartctl")).isExecutable()) {
        state.SkipWithError("smartctl is not installed");
        return std::nullopt;
    }
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(QStringLiteral(TARNWELL_SAMPLE));
    drive.setDriveAsFile(true);
    if (read)
        drive.updateInfo();
    return drive;
}
