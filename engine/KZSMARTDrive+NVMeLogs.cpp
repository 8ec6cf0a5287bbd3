// The logs of an NVMe drive as smartctl prints them: the error information
// table ("Error Information (NVMe Log 0x01 ...)") and the self-test table
// ("Self-test Log (NVMe Log 0x06 ...)"), read into the same records as the
// ATA logs.
#include "KZSMARTDrive.h"

#include "KZLineScanner.h"

#include <limits>

namespace {

// A column that holds a number or "-": the number, or -1. Hexadecimal columns
// print a "0x" prefix; a text that is neither gives -1 as well.
qint64 columnValue(KZLineScanner &scanner, bool hexadecimal)
{
    QString word;
    if (!scanner.scanWord(word) || word == QLatin1String("-"))
        return -1;
    bool ok = false;
    qint64 value = -1;
    if (hexadecimal && word.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = word.mid(2).toLongLong(&ok, 16);
    else
        value = word.toLongLong(&ok, hexadecimal ? 16 : 10);
    return ok && value >= 0 ? value : -1;
}

qint32 clamped(qint64 value)
{
    return qint32(qBound<qint64>(-1, value, qint64(std::numeric_limits<qint32>::max())));
}

bool startsWithDigit(const QString &line)
{
    for (const QChar c : line) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t'))
            continue;
        return c.unicode() >= '0' && c.unicode() <= '9';
    }
    return false;
}

} // namespace

KZSMARTErrorLog KZSMARTDrive::parseNVMeErrorLine(const QString &line)
{
    // "  0       2905     0  0x2014  0x4004      -            0     0     -  Invalid Field in
    // Command" Num, ErrCount, SQId, CmdId, Status, PELoc, LBA, NSID, VS and, from smartctl 7.4 on,
    // the status message.
    KZSMARTErrorLog entry;
    entry.setNVMe(true);
    entry.setTime(-1);
    KZLineScanner scanner(line);
    qint32 index = 0;
    if (scanner.scanInt(index))
        entry.setLogIndex(index);
    entry.setNumber(qMax<qint32>(0, clamped(columnValue(scanner, false))));
    entry.setSubmissionQueueID(clamped(columnValue(scanner, false)));
    entry.setCommandID(clamped(columnValue(scanner, true)));
    const qint32 status = clamped(columnValue(scanner, true));
    entry.setStatusField(qMax<qint32>(0, status));
    entry.setParameterErrorLocation(clamped(columnValue(scanner, true)));
    entry.setLBA(columnValue(scanner, false));
    entry.setNamespaceID(columnValue(scanner, false));
    entry.setVendorSpecific(clamped(columnValue(scanner, true)));
    QString message;
    if (scanner.scanRest(message))
        entry.setMessage(message.trimmed());
    else if (const std::optional<QString> decoded = KZSMARTErrorLog::nvmeStatusText(status);
             status >= 0 && decoded)
        entry.setMessage(*decoded);
    return entry;
}

void KZSMARTDrive::readNVMeErrorLog(const QStringList &lines, qsizetype start)
{
    // The table follows the heading line: a "Num ..." column heading and one
    // row per entry, newest first, or "No Errors Logged". smartctl ends a log
    // it did not read in full with "... (N entries not read)".
    debugLog(QStringLiteral("Found NVMe error information log."));
    for (qsizetype index = start + 1; index < lines.size(); ++index) {
        const QString &line = lines.at(index);
        if (line.trimmed().startsWith(QLatin1String("Num")))
            continue;
        if (!startsWithDigit(line))
            break;
        const KZSMARTErrorLog entry = parseNVMeErrorLine(line);
        // The newest entry carries the drive's count of errors over its life.
        m_errorCount = qMax(m_errorCount, entry.getNumber());
        m_errorLog->append(entry);
        debugLog(QStringLiteral("Found NVMe error log entry."));
    }
}

KZSMARTSelfTestLog KZSMARTDrive::parseNVMeSelfTestLine(const QString &line)
{
    // " 0   Extended          Completed without error               16682            -     1   - -
    // -" Num, Test_Description, Status, Power_on_Hours, Failing_LBA, then the namespace, segment
    // and status code columns, which are not kept.
    KZSMARTSelfTestLog entry;
    KZLineScanner scanner(line);
    qint32 number = 0;
    if (scanner.scanInt(number))
        entry.setNumber(number < std::numeric_limits<qint32>::max() ? number + 1 : number);

    // The description and the status are texts without digits; the columns
    // are apart by at least two blanks, the words of one column by one.
    QString texts;
    if (scanner.scanUpToDigit(texts)) {
        const qsizetype gap = texts.indexOf(QLatin1String("  "));
        QString type = gap < 0 ? texts : texts.left(gap);
        QString status = gap < 0 ? QString() : texts.mid(gap);
        if (gap < 0) {
            // Columns whose runs of blanks were lost: the description is
            // one word, or "Vendor specific".
            const qsizetype words = type.startsWith(QLatin1String("Vendor specific")) ? 2 : 1;
            const QStringList parts = texts.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            type = parts.mid(0, words).join(QLatin1Char(' '));
            status = parts.mid(words).join(QLatin1Char(' '));
        }
        if (!type.trimmed().isEmpty())
            entry.setType(type.trimmed());
        if (!status.trimmed().isEmpty())
            entry.setStatus(status.trimmed());
    }
    qint32 hours = 0;
    if (scanner.scanInt(hours))
        entry.setLifetime(hours);
    entry.setLBA(columnValue(scanner, false));
    return entry;
}

bool KZSMARTDrive::isNVMeSelfTestRow(const QString &line)
{
    return startsWithDigit(line);
}
