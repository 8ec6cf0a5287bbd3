#pragma once

#include <QIcon>
#include <QString>

// The green, yellow and red icons of Tarnwell, chosen by a merged drive status
// (3 failed: red, 2 failing: yellow, anything else: green). They are compiled
// into the programs; the same SVGs are installed into the icon theme under
// the names below.
namespace KZStatusIcons {

// "org.tarnwell.Tarnwell", "org.tarnwell.Tarnwell-yellow" or "org.tarnwell.Tarnwell-red".
QString themeName(int mergedStatus);
// The compiled-in SVG, such as ":/icons/org.tarnwell.Tarnwell-red.svg".
QString resourcePath(int mergedStatus);
// One icon object per colour for the whole run, so windows compare equal.
QIcon icon(int mergedStatus);

} // namespace KZStatusIcons
