#pragma once

#include <QString>
#include <QStringList>

// Looks user-visible texts up by key in a localisation table ("Main" or
// "Attributes"). Tables are JSON objects of key -> text loaded from the
// resources; a key that no loaded table has shows its English default.
namespace KZLocalization {

QString localizedString(const QString &key, const QString &defaultValue,
                        const QString &table = QStringLiteral("Main"));

// Loads (or replaces) a table from a JSON file; false when it cannot be read.
bool loadTable(const QString &table, const QString &jsonPath);
// The localisation the texts are shown in: "English" unless another was set
// (the report widens its name column for "French", whose names are longer).
QString preferredLocalization();
void setPreferredLocalization(const QString &localization);
// The localisation for the user's preferred languages, best first (such as
// QLocale::uiLanguages()): "French" when French comes before English, else
// "English" (the two localisations Tarnwell has).
QString localizationForLanguages(const QStringList &languages);

// Drops every loaded table, so every lookup gives its default again.
void clearTables();

} // namespace KZLocalization

// The address named at the end of the contact-support alert texts.
inline const QString KZSupportEmailAddress = QStringLiteral("support@tarnwell.org");
