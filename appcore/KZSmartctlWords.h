#pragma once

#include <QString>

// Words smartctl prints in its tables, which the drive keeps as printed:
// the type and update kind of an attribute, the kind and status of a
// self-test, and the attribute names the engine gives NVMe temperatures.
// The windows show them in the language of the installed catalogue; a word
// the catalogue does not know is shown as smartctl printed it.
namespace KZSmartctlWords {

QString attributeName(const QString &name);
QString attributeType(const QString &type);
QString attributeUpdated(const QString &updated);
QString selfTestType(const QString &type);
QString selfTestStatus(const QString &status);

} // namespace KZSmartctlWords
