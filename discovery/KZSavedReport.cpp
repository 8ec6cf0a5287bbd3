#include "KZSavedReport.h"

#include "KZAtomicFile.h"

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

bool writeSavedReport(const QString &path, const QString &reportText, QString *errorMessage)
{
    // The folder is the user's: nothing in it that merely looks like a
    // temporary file of ours is removed.
    return KZAtomicFile::write(path, reportText.toUtf8(), errorMessage,
                               KZAtomicFile::Leftovers::Keep);
}

} // namespace KZSavedReport
