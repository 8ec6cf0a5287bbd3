#include "KZDriveReports.h"

#include "KZException.h"
#include "KZLog.h"
#include "KZSMARTDrive.h"
#include "KZSavedReport.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

namespace KZDriveReports {

QString suffix(Format format)
{
    return format == Format::TWDR ? QStringLiteral("twdr") : QStringLiteral("txt");
}

Format formatForPath(const QString &path, Format chosen)
{
    const QString extension = QFileInfo(path).suffix();
    if (extension.contains(QLatin1String("twdr")))
        return Format::TWDR;
    if (extension.contains(QLatin1String("txt")))
        return Format::PlainText;
    return chosen;
}

QString suggestedFileName(const KZSMARTDrive &drive, Format format)
{
    QString name = drive.driveModel().value_or(drive.driveLocationID()).trimmed();
    static const QRegularExpression unsafe(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]+"));
    name.replace(unsafe, QStringLiteral("_"));
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name.prepend(QStringLiteral("drive"));
    return name + QLatin1Char('.') + suffix(format);
}

bool hasRawCapture(const KZSMARTDrive &drive)
{
    return QFileInfo(drive.rawCaptureFilePath()).isFile();
}

namespace {

using Outcome = SaveResult::Outcome;

SaveResult result(Outcome outcome, const QString &detail = {}, const QString &exceptionName = {},
                  qint64 errorCode = 0)
{
    SaveResult saved;
    saved.outcome = outcome;
    saved.detail = detail;
    saved.exceptionName = exceptionName;
    saved.errorCode = errorCode;
    return saved;
}

SaveResult written(const QString &path, const QString &text)
{
    QString error;
    if (KZSavedReport::writeSavedReport(path, text, &error))
        return {};
    KZLog::log(QStringLiteral("Could not write %1: %2").arg(path, error));
    return result(Outcome::WriteFailed, error);
}

SaveResult saveTWDR(const KZSMARTDrive &drive, const QString &path, bool debug)
{
    KZLog::debug(debug, QStringLiteral("TWDR saving..."));
    const QString rawPath = drive.rawCaptureFilePath();
    QFile file(rawPath);
    if (!file.open(QIODevice::ReadOnly)) {
        KZLog::log(QStringLiteral("Error reading TWDR file from %1: %2, %3")
                       .arg(rawPath)
                       .arg(qint64(file.error()))
                       .arg(file.errorString()));
        return result(Outcome::UnreadableCapture, file.errorString(), {}, qint64(file.error()));
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString rawText = decoder.decode(file.readAll());
    if (decoder.hasError()) {
        const QString reason = QStringLiteral("not UTF-8 text");
        KZLog::log(QStringLiteral("Error reading TWDR file from %1: %2, %3")
                       .arg(rawPath)
                       .arg(qint64(QFileDevice::ReadError))
                       .arg(reason));
        return result(Outcome::UnreadableCapture, reason, {}, qint64(QFileDevice::ReadError));
    }
    // A capture without command blocks (an NVMe or SAS drive, or a drive
    // smartctl could not open) would save as an empty report that opens as
    // nothing: the user is told why instead.
    if (const std::optional<QString> reason = KZSavedReport::unreplayableReason(rawText)) {
        KZLog::log(
            QStringLiteral("Report of %1 not saved: %2.").arg(drive.driveLocation(), *reason));
        return result(Outcome::NotReplayable, *reason);
    }
    if (debug) {
        const QList<qsizetype> blocks = KZSavedReport::blockList(rawText);
        for (qsizetype index = 0; index + 1 < blocks.size(); index += 2) {
            const qsizetype start = blocks.at(index);
            const qsizetype length = blocks.at(index + 1);
            KZLog::log(QStringLiteral("Location: %1, length: %2, total length:%3, file length: %4")
                           .arg(start)
                           .arg(length)
                           .arg(start + length)
                           .arg(rawText.size()));
        }
    }
    return written(path, KZSavedReport::cutBlocks(rawText));
}

} // namespace

SaveResult saveDrive(const KZSMARTDrive &drive, const QString &path, Format format, bool debug)
{
    try {
        if (format == Format::TWDR) {
            if (!hasRawCapture(drive))
                return result(Outcome::NoCapture);
            return saveTWDR(drive, path, debug);
        }
        KZLog::debug(debug, QStringLiteral("TXT saving..."));
        return written(path, drive.description());
    } catch (const std::exception &error) {
        const QString name = KZException::nameOf(error);
        const QString reason = KZException::reasonOf(error);
        KZLog::log(QStringLiteral("Exception while saving %1: %2: %3").arg(path, name, reason));
        return result(Outcome::ExceptionRaised, reason, name);
    }
}

QString printText(const KZDriveList &drives)
{
    QString text;
    for (const std::shared_ptr<KZSMARTDrive> &drive : drives) {
        if (drive && drive->smartSupported())
            text += drive->description() + printSeparator;
    }
    return text;
}

} // namespace KZDriveReports
