// The ATA error log ("-l error"): the logged errors with the commands that led
// to them, the drive's total error count, and whether that count makes the
// drive failing.
#include "KZSMARTDrive.h"

#include "KZException.h"
#include "KZLineScanner.h"
#include "KZLog.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"

#include <limits>
#include <utility>

namespace {

const QString readFailedText = QStringLiteral("Error SMART Error Log Read failed");
const QString versionKey = QStringLiteral("SMART Error Log Version:");
const QString countKey = QStringLiteral("ATA Error Count:");
const QString entryStart = QStringLiteral("Error ");
const QString lifetimeKey = QStringLiteral("occurred at disk power-on lifetime:");
const QString activityKey = QStringLiteral("When the command that caused the error occurred, ");
const QString lbaKey = QStringLiteral("at LBA = ");
const QString truncatedText = QStringLiteral("Error log truncated- stopping read.");
const QString nvmeLogKey = QStringLiteral("Error Information (NVMe Log 0x01");

// The integer a text starts with (after blanks), or 0.
qint32 leadingInt(const QString &text)
{
    qint32 value = 0;
    KZLineScanner(text).scanInt(value);
    return value;
}

// The text after the first occurrence of a phrase; a line without the phrase
// is not the line the log layout promises, which aborts the parse.
QString textAfter(const QString &line, const QString &phrase)
{
    const qsizetype at = line.indexOf(phrase);
    if (at < 0)
        throw KZException(
            KZException::unreadableText,
            QStringLiteral("error log line without \"%1\": \"%2\"").arg(phrase, line));
    return line.mid(at + phrase.size());
}

// The register line after a failing command: seven registers, then a
// description such as "Error: ICRC, ABRT 8 sectors at LBA = 0x00123456 = 1193046".
void readRegisterLine(KZSMARTErrorLog &entry, const QString &line)
{
    KZLineScanner scanner(line);
    void (KZSMARTErrorLog::*const setters[])(quint32) = {
        &KZSMARTErrorLog::setRegisterER, &KZSMARTErrorLog::setRegisterST,
        &KZSMARTErrorLog::setRegisterSC, &KZSMARTErrorLog::setRegisterSN,
        &KZSMARTErrorLog::setRegisterCL, &KZSMARTErrorLog::setRegisterCH,
        &KZSMARTErrorLog::setRegisterDH,
    };
    for (auto setter : setters) {
        quint32 value = 0;
        if (scanner.scanHexInt(value))
            (entry.*setter)(value);
    }

    // The description runs up to the first digit: the sector count, or the LBA
    // when no count is printed.
    const qsizetype descriptionSearch = scanner.position();
    QString description;
    if (!scanner.scanUpToDigit(description))
        return;
    if (description.size() > 7) {
        const qsizetype comma = description.indexOf(QLatin1Char(','));
        if (comma >= 0) {
            entry.setError2(KZSMARTDrive::parseErrorType(description.mid(comma + 1)));
            entry.setError1(KZSMARTDrive::parseErrorType(description.left(comma)));
        } else {
            entry.setError1(KZSMARTDrive::parseErrorType(description));
        }
    }
    if (scanner.atEnd())
        return;

    // What follows: an optional "N sectors", then the LBA after "at LBA = "
    // in hexadecimal (and again in decimal).
    KZLineScanner count(line, scanner.position());
    qint32 sectors = 0;
    QString word;
    if (count.scanInt(sectors) && count.scanWord(word) && word.startsWith(QLatin1String("sectors")))
        entry.setSectors(sectors);
    const qsizetype lbaAt = line.indexOf(lbaKey, descriptionSearch);
    if (lbaAt >= 0) {
        KZLineScanner lba(line, lbaAt + lbaKey.size());
        quint64 value = 0;
        if (lba.scanHexLongLong(value))
            entry.setLBA(qint64(qMin<quint64>(value, std::numeric_limits<qint64>::max())));
    }
}

} // namespace

qint32 KZSMARTDrive::parseErrorType(const QString &text)
{
    // The first abbreviation of this list found anywhere in the text decides;
    // MCR comes before MC so that a media change request is never read as MC.
    static const std::pair<const char *, qint32> abbreviations[] = {
        {"ABRT", KZSMARTErrorLog::CommandAborted},
        {"AMNF", KZSMARTErrorLog::AddressMarkNotFound},
        {"CCTO", KZSMARTErrorLog::CommandTimedOut},
        {"EOM", KZSMARTErrorLog::EndOfMedia},
        {"ICRC", KZSMARTErrorLog::InterfaceCRCError},
        {"IDNF", KZSMARTErrorLog::IdentityNotFound},
        {"ILI", KZSMARTErrorLog::IllegalLengthIndicator},
        {"MCR", KZSMARTErrorLog::MediaChangeRequest},
        {"MC", KZSMARTErrorLog::MediaChanged},
        {"NM", KZSMARTErrorLog::NoMedia},
        {"OBS", KZSMARTErrorLog::Obsolete},
        {"TK0NF", KZSMARTErrorLog::Track0NotFound},
        {"UNC", KZSMARTErrorLog::UncorrectableError},
        {"WP", KZSMARTErrorLog::WriteProtected},
    };
    for (const auto &[abbreviation, code] : abbreviations) {
        if (text.contains(QLatin1String(abbreviation)))
            return code;
    }
    return KZSMARTErrorLog::Unknown;
}

KZSMARTErrorCommand KZSMARTDrive::parseErrorCommandLine(const QString &line)
{
    KZSMARTErrorCommand command;
    KZLineScanner scanner(line);
    void (KZSMARTErrorCommand::*const setters[])(quint32) = {
        &KZSMARTErrorCommand::setRegisterCR, &KZSMARTErrorCommand::setRegisterFR,
        &KZSMARTErrorCommand::setRegisterSC, &KZSMARTErrorCommand::setRegisterSN,
        &KZSMARTErrorCommand::setRegisterCL, &KZSMARTErrorCommand::setRegisterCH,
        &KZSMARTErrorCommand::setRegisterDH, &KZSMARTErrorCommand::setRegisterDC,
    };
    for (auto setter : setters) {
        quint32 value = 0;
        if (scanner.scanHexInt(value))
            (command.*setter)(value);
    }
    QString text;
    if (scanner.scanWord(text))
        command.setPowerUpTime(text);
    if (scanner.scanRest(text))
        command.setCommand(text);
    return command;
}

QString KZSMARTDrive::rememberedLogKey(const QString &suffix) const
{
    const bool hasSerial = m_serialNumber && !m_serialNumber->isEmpty();
    return (hasSerial ? *m_serialNumber : m_location) + suffix;
}

void KZSMARTDrive::parseErrorLog()
{
    const std::optional<QStringList> lines = stepLines(ErrorLog);
    if (!lines) {
        debugLog(QStringLiteral("Error parsing error log."));
        return;
    }
    debugLog(QStringLiteral("Parsing error log."));
    if (m_errorLog)
        m_errorLog->clear();
    else
        m_errorLog = QList<KZSMARTErrorLog>();
    m_errorCount = 0;

    for (qsizetype index = 0; index < lines->size(); ++index) {
        const QString &line = lines->at(index);
        if (line.contains(readFailedText)) {
            // Nothing after a failed read is trustworthy; entries read so far stay.
            debugLog(QStringLiteral("Error reading SMART Error log."));
            break;
        }
        if (line.contains(versionKey)) {
            m_errorLogVersion = leadingInt(line.mid(versionKey.size()));
            debugLog(QStringLiteral("Found SMART error log version."));
        }
        if (line.contains(countKey)) {
            m_errorCount = leadingInt(line.mid(countKey.size()));
            debugLog(QStringLiteral("Found log count."));
            checkErrorCount();
        }
        if (line.startsWith(nvmeLogKey)) {
            // NVMe entries are shown but not judged: most are the drive's
            // answers to the host's own probing, and its media errors reach
            // the judgement through the attributes and the health check.
            readNVMeErrorLog(*lines, index);
            break;
        }
        if (line.startsWith(entryStart)) {
            // An "Error " line among the first five is a message of smartctl,
            // not a logged error.
            if (index < 5)
                break;
            const ErrorLogWalk walk = readErrorLogEntry(*lines, index);
            if (walk == ErrorLogWalk::EndWalk)
                break;
            if (walk == ErrorLogWalk::EndParse)
                return;
        }
    }
    debugLog(QStringLiteral("Done parsing error log."));
}

void KZSMARTDrive::checkErrorCount()
{
    KZPreferences &preferences = KZPreferences::standard();
    const qint64 threshold =
        preferences.boolForKey(KZPreferenceKeys::customErrorCount)
            ? preferences.integerForKey(KZPreferenceKeys::customErrorCountValue)
            : 50;
    const QString key = rememberedLogKey(QStringLiteral("_LastErrorCount"));
    if (m_errorCount > threshold && m_health != 3) {
        const qint64 remembered = preferences.boolForKey(KZPreferenceKeys::rememberErrorCount)
                                      ? preferences.rememberedIntegerForKey(key)
                                      : -1;
        if (remembered < m_errorCount) {
            m_health = 2;
            m_errorsFail = true;
            addFailureReasonsString(
                QString::fromLatin1(QT_TRANSLATE_NOOP("KZRecordedTexts", "Too many drive errors")));
            debugLog(QStringLiteral("Found too many drive errors!!"));
        }
    }
    // A saved report leaves the live drive's remembered count alone.
    if (!m_driveFromFile)
        preferences.setInteger(key, m_errorCount);
}

KZSMARTDrive::ErrorLogWalk KZSMARTDrive::readErrorLogEntry(const QStringList &lines,
                                                           qsizetype &index)
{
    debugLog(QStringLiteral("Found and reading error."));
    const qsizetype start = index;
    KZSMARTErrorLog entry;
    entry.setNumber(leadingInt(lines.at(start).mid(entryStart.size())));
    entry.setTime(leadingInt(textAfter(lines.at(start), lifetimeKey)));

    // Blank lines never reach the parser, so the layout is: the activity line,
    // "After command completion ...", the column heading, the dashes, the
    // register line, "Commands leading ...", heading, dashes, command rows.
    if (start + 1 >= lines.size()) {
        debugLog(truncatedText);
        return ErrorLogWalk::EndWalk;
    }
    entry.setActivity(textAfter(lines.at(start + 1), activityKey));

    if (start + 5 >= lines.size()) {
        debugLog(truncatedText);
        return ErrorLogWalk::EndParse;
    }
    readRegisterLine(entry, lines.at(start + 5));

    qsizetype at = start + 9;
    if (at >= lines.size()) {
        debugLog(truncatedText);
        return ErrorLogWalk::EndParse;
    }
    debugLog(QStringLiteral("Reading error commands."));
    QList<KZSMARTErrorCommand> commands;
    while (commands.size() < 5) {
        // A replayed capture ends with smartctl's own replay note, which is
        // no command row even when it follows the last entry directly.
        if (at >= lines.size() || lines.at(at).contains(entryStart) ||
            lines.at(at).contains(QLatin1String("REPLAY-IOCTL"))) {
            debugLog(QStringLiteral("Less than 5 commands- stopping read."));
            break;
        }
        commands.append(parseErrorCommandLine(lines.at(at)));
        ++at;
    }
    entry.setErrorCommands(commands);
    m_errorLog->append(entry);
    index = at - 1;
    return ErrorLogWalk::Continue;
}

std::optional<QString> KZSMARTDrive::driveLastErrorType() const
{
    if (!m_errorLog || m_errorLog->isEmpty())
        return std::nullopt;
    return m_errorLog->first().getError1();
}

qint32 KZSMARTDrive::driveLastErrorTime() const
{
    if (!m_errorLog || m_errorLog->isEmpty())
        return -1;
    return m_errorLog->first().getTime();
}

std::optional<KZSMARTErrorLog> KZSMARTDrive::driveErrorLog(quint64 index) const
{
    if (!m_errorLog || index >= 5 || index >= quint64(m_errorLog->size()))
        return std::nullopt;
    return m_errorLog->at(qsizetype(index));
}
