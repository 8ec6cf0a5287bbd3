#pragma once

#include <QString>
#include <QtGlobal>
#include <limits>

// Reads values column by column from one line of smartctl output. Before every
// read it skips blanks and tabs; a read that finds no value leaves the read
// position where it was and reports false, so later reads start at the same
// place. Numbers that do not fit their type are clamped to its range.
class KZLineScanner
{
public:
    explicit KZLineScanner(const QString &line, qsizetype position = 0)
        : m_line(line), m_position(qBound<qsizetype>(0, position, line.size()))
    {
    }

    qsizetype position() const { return m_position; }
    void setPosition(qsizetype position)
    {
        m_position = qBound<qsizetype>(0, position, m_line.size());
    }
    bool atEnd() const { return m_position >= m_line.size(); }

    // A signed decimal integer.
    bool scanInt(qint32 &value)
    {
        qint64 wide = 0;
        if (!scanInteger(wide, std::numeric_limits<qint32>::min(),
                         std::numeric_limits<qint32>::max()))
            return false;
        value = qint32(wide);
        return true;
    }

    bool scanLongLong(qint64 &value)
    {
        return scanInteger(value, std::numeric_limits<qint64>::min(),
                           std::numeric_limits<qint64>::max());
    }

    // A hexadecimal number, with or without a "0x" prefix.
    bool scanHexInt(quint32 &value)
    {
        quint64 wide = 0;
        if (!scanHex(wide, std::numeric_limits<quint32>::max()))
            return false;
        value = quint32(wide);
        return true;
    }

    bool scanHexLongLong(quint64 &value)
    {
        return scanHex(value, std::numeric_limits<quint64>::max());
    }

    // Every character up to the next decimal digit (or the end of the line).
    bool scanUpToDigit(QString &text)
    {
        const qsizetype start = skipBlanks(m_position);
        qsizetype end = start;
        while (end < m_line.size() && !isDigit(m_line.at(end)))
            ++end;
        if (end == start)
            return false;
        text = m_line.mid(start, end - start);
        m_position = end;
        return true;
    }

    // The next run of characters that are neither blank nor tab.
    bool scanWord(QString &word)
    {
        const qsizetype start = skipBlanks(m_position);
        qsizetype end = start;
        while (end < m_line.size() && !isBlank(m_line.at(end)))
            ++end;
        if (end == start)
            return false;
        word = m_line.mid(start, end - start);
        m_position = end;
        return true;
    }

    // The rest of the line after the blanks at the read position; false when nothing is left.
    bool scanRest(QString &rest)
    {
        const qsizetype start = skipBlanks(m_position);
        if (start >= m_line.size())
            return false;
        rest = m_line.mid(start);
        m_position = m_line.size();
        return true;
    }

    static bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
    static bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

private:
    qsizetype skipBlanks(qsizetype at) const
    {
        while (at < m_line.size() && isBlank(m_line.at(at)))
            ++at;
        return at;
    }

    static int hexDigit(QChar c)
    {
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9')
            return u - '0';
        if (u >= 'a' && u <= 'f')
            return u - 'a' + 10;
        if (u >= 'A' && u <= 'F')
            return u - 'A' + 10;
        return -1;
    }

    bool scanInteger(qint64 &value, qint64 minimum, qint64 maximum)
    {
        qsizetype at = skipBlanks(m_position);
        bool negative = false;
        if (at < m_line.size() &&
            (m_line.at(at) == QLatin1Char('-') || m_line.at(at) == QLatin1Char('+'))) {
            negative = m_line.at(at) == QLatin1Char('-');
            ++at;
        }
        const qsizetype digits = at;
        quint64 magnitude = 0;
        const quint64 limit = negative ? quint64(-(minimum + 1)) + 1 : quint64(maximum);
        for (; at < m_line.size() && isDigit(m_line.at(at)); ++at) {
            const quint64 digit = m_line.at(at).unicode() - '0';
            magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
        }
        if (at == digits)
            return false;
        if (negative)
            value = magnitude == quint64(-(minimum + 1)) + 1 ? minimum : -qint64(magnitude);
        else
            value = qint64(magnitude);
        m_position = at;
        return true;
    }

    bool scanHex(quint64 &value, quint64 maximum)
    {
        qsizetype at = skipBlanks(m_position);
        if (at + 2 < m_line.size() && m_line.at(at) == QLatin1Char('0') &&
            (m_line.at(at + 1) == QLatin1Char('x') || m_line.at(at + 1) == QLatin1Char('X')) &&
            hexDigit(m_line.at(at + 2)) >= 0)
            at += 2;
        const qsizetype digits = at;
        quint64 result = 0;
        for (int digit; at < m_line.size() && (digit = hexDigit(m_line.at(at))) >= 0; ++at)
            result =
                result > (maximum - quint64(digit)) / 16 ? maximum : result * 16 + quint64(digit);
        if (at == digits)
            return false;
        value = result;
        m_position = at;
        return true;
    }

    QString m_line;
    qsizetype m_position;
};
