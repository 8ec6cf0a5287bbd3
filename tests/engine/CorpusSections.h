#pragma once

// Sections of real smartctl reports from the shared corpus, as
// fake-smartctl-corpus prints them. Each section is recorded once and then
// answered to a drive by a small stand-in, so the slower fake runs once per
// section and report.

#include "KZTask.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

namespace CorpusSections {

// What fake-smartctl-corpus prints for the options, unsplit.
inline QByteArray output(const QString &report, const QStringList &options)
{
    qputenv("FAKE_SMARTCTL_REPORT", QFile::encodeName(report));
    const QString path = TestSupport::homeDir() + "/corpus-output.txt";
    QFile::remove(path);
    KZTask task;
    task.setRawDataPath(path);
    task.parseCommandLine(TestSupport::fake("fake-smartctl-corpus"),
                          options + QStringList{"/dev/sdx"});
    return TestSupport::readFile(path);
}

inline QByteArray output(const QString &report, const QString &option)
{
    return output(report, QStringList{option});
}

// The lines a drive sees for this output, or nothing when it is not text.
inline std::optional<QStringList> lines(const QByteArray &output)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(output);
    if (decoder.hasError())
        return std::nullopt;
    return KZTask::splitLines(text);
}

// The reports of one corpus folder, such as "ata-healthy".
inline QStringList reports(const QString &category)
{
    QStringList paths;
    const QString dir = TestSupport::corpusDir() + '/' + category;
    for (const QString &name : QDir(dir).entryList({"*.txt"}, QDir::Files))
        paths.append(dir + '/' + name);
    return paths;
}

inline const auto categories = ::testing::Values("ata-errorlog", "ata-failing", "ata-healthy",
                                                 "nvme", "raw-captures", "usb-or-odd");

} // namespace CorpusSections
