#include "KZStatusIcons.h"

namespace KZStatusIcons {

QString themeName(int mergedStatus)
{
    switch (mergedStatus) {
    case 2:
        return QStringLiteral("org.tarnwell.Tarnwell-yellow");
    case 3:
        return QStringLiteral("org.tarnwell.Tarnwell-red");
    default:
        return QStringLiteral("org.tarnwell.Tarnwell");
    }
}

QString resourcePath(int mergedStatus)
{
    return QStringLiteral(":/icons/%1.svg").arg(themeName(mergedStatus));
}

QIcon icon(int mergedStatus)
{
    static const QIcon green(resourcePath(1));
    static const QIcon yellow(resourcePath(2));
    static const QIcon red(resourcePath(3));
    switch (mergedStatus) {
    case 2:
        return yellow;
    case 3:
        return red;
    default:
        return green;
    }
}

} // namespace KZStatusIcons
