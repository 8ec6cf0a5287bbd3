#include "KZSparkleVersionComparator.h"

#include <QStringList>
#include <QStringView>

namespace {

int sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// The leading decimal digits of a part, without leading zeros ("" for zero).
QStringView leadingNumber(QStringView part, bool &hasNumber)
{
    qsizetype end = 0;
    while (end < part.size() && part.at(end) >= QLatin1Char('0') &&
           part.at(end) <= QLatin1Char('9'))
        ++end;
    hasNumber = end > 0;
    qsizetype start = 0;
    while (start < end && part.at(start) == QLatin1Char('0'))
        ++start;
    return part.mid(start, end - start);
}

// Numbers of any length compare without overflow: a longer digit string
// (without leading zeros) is the greater number, equal lengths compare by text.
int comparePart(QStringView partA, QStringView partB)
{
    bool numberA = false;
    bool numberB = false;
    const QStringView digitsA = leadingNumber(partA, numberA);
    const QStringView digitsB = leadingNumber(partB, numberB);
    if (numberA && numberB) {
        if (digitsA.size() != digitsB.size())
            return digitsA.size() < digitsB.size() ? -1 : 1;
        return sign(digitsA.compare(digitsB));
    }
    if (numberA != numberB)
        return numberA ? 1 : -1;
    return sign(partA.compare(partB));
}

} // namespace

const KZSparkleVersionComparator &KZSparkleVersionComparator::defaultComparator()
{
    static const KZSparkleVersionComparator comparator;
    return comparator;
}

int KZSparkleVersionComparator::compareVersion(const QString &versionA,
                                               const QString &versionB) const
{
    const QList<QStringView> partsA = QStringView(versionA).trimmed().split(QLatin1Char('.'));
    const QList<QStringView> partsB = QStringView(versionB).trimmed().split(QLatin1Char('.'));
    const qsizetype common = qMin(partsA.size(), partsB.size());
    for (qsizetype index = 0; index < common; ++index) {
        const int order = comparePart(partsA.at(index), partsB.at(index));
        if (order != 0)
            return order;
    }
    if (partsA.size() == partsB.size())
        return 0;
    return partsA.size() < partsB.size() ? -1 : 1;
}
