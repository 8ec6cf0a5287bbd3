#include "KZSavedReport.h"

#include "KZAtomicFile.h"
#include "KZRecordedTexts.h"

#include <QFile>
#include <QStringDecoder>

namespace KZSavedReport {

namespace {
const QString startMarker = QStringLiteral("REPORT-IOCTL:");
// The end of the closing line of a data dump, such as
// "===== [IDENTIFY DEVICE] DATA END (512 Bytes) =====".
const QString endMarker = QStringLiteral("Bytes) =====\n");
} // namespace

QList<qsizetype> blockList(const QString &rawText)
{
    QList<qsizetype> blocks;
    qsizetype position = 0;
    while (position < rawText.size()) {
        const qsizetype start = rawText.indexOf(startMarker, position);
        if (start < 0)
            break;
        const qsizetype marker = rawText.indexOf(endMarker, start);
        if (marker < 0)
            break;
        const qsizetype end = marker + endMarker.size();
        blocks << start << end - start;
        position = end;
    }
    return blocks;
}

QList<qsizetype> prepareSaveFile(const QString &rawCapturePath)
{
    QFile file(rawCapturePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(file.readAll());
    if (decoder.hasError())
        return {};
    return blockList(text);
}

QString cutBlocks(const QString &rawText)
{
    const QList<qsizetype> blocks = blockList(rawText);
    QString report;
    for (qsizetype index = 0; index + 1 < blocks.size(); index += 2) {
        const qsizetype start = blocks.at(index);
        const qsizetype length = blocks.at(index + 1);
        if (start + length <= rawText.size())
            report += QStringView(rawText).mid(start, length);
    }
    return report;
}

CaptureContent captureContent(const QString &rawText)
{
    if (!blockList(rawText).isEmpty())
        return CaptureContent::CommandBlocks;
    bool vendor = false, product = false;
    for (const QStringView line : QStringView(rawText).split(QLatin1Char('\n'))) {
        if (line.contains(QLatin1String("(NVMe Log 0x")) ||
            line.startsWith(QLatin1String("PCI Vendor")) ||
            line.startsWith(QLatin1String("NVMe Version:")))
            return CaptureContent::NVMeDrive;
        if (line.startsWith(QLatin1String("SMART Health Status:")))
            return CaptureContent::SCSIDrive;
        vendor = vendor || line.startsWith(QLatin1String("Vendor:"));
        product = product || line.startsWith(QLatin1String("Product:"));
    }
    return vendor && product ? CaptureContent::SCSIDrive : CaptureContent::Nothing;
}

std::optional<QString> unreplayableReason(const QString &rawText)
{
    switch (captureContent(rawText)) {
    case CaptureContent::CommandBlocks:
        return std::nullopt;
    case CaptureContent::NVMeDrive:
        return QString::fromLatin1(QT_TRANSLATE_NOOP(
            "KZRecordedTexts", "the drive is an NVMe drive, and smartctl replays captures of ATA "
                               "drives only, so no report can be saved from it"));
    case CaptureContent::SCSIDrive:
        return QString::fromLatin1(QT_TRANSLATE_NOOP(
            "KZRecordedTexts", "the drive is a SCSI or SAS drive, and smartctl replays captures "
                               "of ATA drives only, so no report can be saved from it"));
    case CaptureContent::Nothing:
        break;
    }
    // smartctl says why after its two banner lines, as in
    // "Smartctl open device: /dev/sdz failed: No such device".
    const QStringList lines = rawText.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QString reason = lines.size() > 2 ? lines.at(2).trimmed() : QString();
    if (reason.isEmpty())
        return QString::fromLatin1(
            QT_TRANSLATE_NOOP("KZRecordedTexts", "the capture holds no command blocks"));
    return KZRecordedTexts::english(KZRecordedTexts::noCommandBlocks, {reason});
}

bool writeSavedReport(const QString &path, const QString &reportText, QString *errorMessage)
{
    // The folder is the user's: nothing in it that merely looks like a
    // temporary file of ours is removed.
    return KZAtomicFile::write(path, reportText.toUtf8(), errorMessage,
                               KZAtomicFile::Leftovers::Keep);
}

} // namespace KZSavedReport
