// The small text routines every smartctl parser uses to read a value out of a line.
#include "KZSMARTDrive.h"

#include "KZException.h"

namespace {

bool isBlankOrTab(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

KZException textRoutineFailure(const QString &routine, const QString &line)
{
    return KZException(KZException::unreadableText,
                       QStringLiteral("%1: cannot read a value from \"%2\"").arg(routine, line));
}

// The up to six characters after the first "(", or an exception when fewer follow.
QString parenthesisedText(const QString &routine, const QString &line)
{
    const qsizetype open = line.indexOf(QLatin1Char('('));
    if (open < 0 || line.size() - (open + 1) < 6)
        throw textRoutineFailure(routine, line);
    return line.mid(open + 1, 6);
}

qsizetype skipWhiteSpace(const QString &text, qsizetype at)
{
    while (at < text.size() && text.at(at).isSpace())
        ++at;
    return at;
}

} // namespace

QString KZSMARTDrive::parseLine(const QString &line)
{
    const qsizetype separator = line.indexOf(QStringLiteral(": "));
    if (separator < 0)
        throw textRoutineFailure(QStringLiteral("parseLine"), line);
    qsizetype at = separator + 1;
    while (at < line.size() && isBlankOrTab(line.at(at)))
        ++at;
    if (at >= line.size())
        throw textRoutineFailure(QStringLiteral("parseLine"), line);
    return line.mid(at);
}

quint32 KZSMARTDrive::convertStringToHex(const QString &line)
{
    const QString text = parenthesisedText(QStringLiteral("convertStringToHex"), line);
    qsizetype at = skipWhiteSpace(text, 0);
    if (text.mid(at, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0)
        at += 2;
    quint64 value = 0;
    bool any = false;
    for (; at < text.size(); ++at) {
        const char16_t c = text.at(at).unicode();
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        value = value * 16 + quint64(digit);
        any = true;
    }
    return any ? quint32(value) : 0;
}

qint32 KZSMARTDrive::convertStringToInt(const QString &line, bool searchParan)
{
    const QString text =
        searchParan ? parenthesisedText(QStringLiteral("convertStringToInt"), line) : line;
    qsizetype at = skipWhiteSpace(text, 0);
    bool negative = false;
    if (at < text.size() && (text.at(at) == QLatin1Char('-') || text.at(at) == QLatin1Char('+'))) {
        negative = text.at(at) == QLatin1Char('-');
        ++at;
    }
    qint64 value = 0;
    for (; at < text.size() && text.at(at).isDigit() && text.at(at).unicode() < 128; ++at) {
        value = value * 10 + (text.at(at).unicode() - '0');
        // Clamp instead of overflowing on absurdly long digit runs.
        if (value > qint64(INT32_MAX) + 1)
            value = qint64(INT32_MAX) + 1;
    }
    if (negative)
        value = -value;
    return qint32(qBound(qint64(INT32_MIN), value, qint64(INT32_MAX)));
}
