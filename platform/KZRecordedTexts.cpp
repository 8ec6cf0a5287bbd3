#include "KZRecordedTexts.h"

#include <QRegularExpression>

#include <algorithm>

namespace KZRecordedTexts {

namespace {

const char *const patterns[] = {
    attributeFailed, attributeFailedInThePast, timedOut,    killed,       outputTooLarge,
    notAReport,      permissionDenied,         deviceError, cannotReplay, notAuthorized,
    cannotRun,       noCommandBlocks,          readAlert,   runAlert,     scanAlert,
};

const QRegularExpression placeholder(QStringLiteral("%([1-9])"));

// The pattern as an anchored expression with one group per placeholder, in
// the order they appear, and the placeholder numbers in that order.
struct Matcher
{
    QRegularExpression expression;
    QList<int> numbers;
};

Matcher matcherFor(const QString &pattern)
{
    Matcher matcher;
    QString expression = QStringLiteral("^");
    qsizetype at = 0;
    QRegularExpressionMatchIterator found = placeholder.globalMatch(pattern);
    while (found.hasNext()) {
        const QRegularExpressionMatch match = found.next();
        expression += QRegularExpression::escape(pattern.mid(at, match.capturedStart() - at));
        expression += QStringLiteral("(.*?)");
        matcher.numbers.append(match.captured(1).toInt());
        at = match.capturedEnd();
    }
    expression += QRegularExpression::escape(pattern.mid(at)) + QLatin1Char('$');
    matcher.expression =
        QRegularExpression(expression, QRegularExpression::DotMatchesEverythingOption);
    return matcher;
}

const QList<Matcher> &matchers()
{
    static const QList<Matcher> all = [] {
        QList<Matcher> list;
        for (const char *pattern : patterns)
            list.append(matcherFor(QString::fromUtf8(pattern)));
        return list;
    }();
    return all;
}

QString translated(const char *text)
{
    return QCoreApplication::translate("KZRecordedTexts", text);
}

} // namespace

QString fill(const QString &pattern, const QStringList &arguments)
{
    QString result;
    qsizetype at = 0;
    QRegularExpressionMatchIterator found = placeholder.globalMatch(pattern);
    while (found.hasNext()) {
        const QRegularExpressionMatch match = found.next();
        result += pattern.mid(at, match.capturedStart() - at);
        const qsizetype index = match.captured(1).toInt() - 1;
        result += index < arguments.size() ? arguments.at(index) : match.captured();
        at = match.capturedEnd();
    }
    return result + pattern.mid(at);
}

QString shown(const QString &english)
{
    if (english.isEmpty())
        return english;
    const QByteArray source = english.toUtf8();
    const QString fixed = translated(source.constData());
    if (fixed != english)
        return fixed;
    const QList<Matcher> &all = matchers();
    for (qsizetype index = 0; index < all.size(); ++index) {
        const QRegularExpressionMatch match = all.at(index).expression.match(english);
        if (!match.hasMatch())
            continue;
        // Group i holds the value of the i-th placeholder in the pattern.
        const QList<int> &numbers = all.at(index).numbers;
        QStringList arguments(*std::max_element(numbers.cbegin(), numbers.cend()));
        for (qsizetype group = 0; group < numbers.size(); ++group)
            arguments[numbers.at(group) - 1] = shown(match.captured(int(group) + 1));
        return fill(translated(patterns[index]), arguments);
    }
    return english;
}

QString shown(const QStringList &english, const QString &separator)
{
    QStringList texts;
    for (const QString &text : english)
        texts.append(shown(text));
    return texts.join(separator);
}

} // namespace KZRecordedTexts
