#pragma once

#include <QString>

// Decides whether an offered version is newer than the running one.
//
// Versions are compared part by part, the parts being separated by ".".
// Each part counts by the number its leading decimal digits form, so 3.2.10
// is newer than 3.2.9; anything after those digits ("b" in "4b") is not
// looked at, so 3.2.4 and 3.2.4b are the same version. A part without
// leading digits is older than any part with a number, and two such parts
// compare by their text. A version with fewer parts is older than one that
// goes on with more parts after an equal start (3.2 is older than 3.2.0).
class KZSparkleVersionComparator
{
public:
    // The one comparator of the program, created on first use.
    static const KZSparkleVersionComparator &defaultComparator();

    // -1 when versionA is older than versionB, 0 when they are the same
    // version, 1 when versionA is newer.
    int compareVersion(const QString &versionA, const QString &versionB) const;
};
