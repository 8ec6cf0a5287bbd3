#pragma once

#include <QString>
#include <QStringList>

// The language the windowed programs speak. English is the source language
// of every text; another language is a catalogue tarnwell_LANGUAGE.qm (Qt
// Linguist, built from translations/tarnwell_LANGUAGE.ts). What machines
// read (JSON, the command-line tool's verdicts, mails, files, metrics)
// never goes through a catalogue: the command-line tool installs none.
namespace KZTranslations {

// The user's languages, best first, as the environment names them:
// LANGUAGE (a list separated by ':'), else the first of LC_ALL, LC_MESSAGES
// and LANG that is set. Codesets and modifiers are dropped ("fr_FR.UTF-8"
// is "fr_FR"); the C and POSIX locales are "en".
QStringList userLanguages();

// The folder of the catalogues: build/translations for a program run from
// the build tree, else share/tarnwell/translations beside the program's
// bin folder (the install prefix's).
QString catalogueFolder();

// The language of the first of `languages` that Tarnwell speaks: "en", or
// one with a catalogue in `folder` ("fr_CA" falls back to "fr"). English
// when none is.
QString languageFor(const QStringList &languages, const QString &folder = catalogueFolder());

// Installs the catalogues of the user's language in the application (ours
// and Qt's own, for the buttons of standard dialogs), in place of those an
// earlier call installed, and returns it. Also English has one, for its
// plural forms ("1 minute"). On the GUI thread, before any text is made.
QString install(const QStringList &languages = userLanguages());

// The language the texts are shown in ("en" until install() chose another;
// tests may set it).
QString language();
void setLanguage(const QString &language);

// The name column of a plain-text report: wider in French, whose attribute
// names are longer.
int reportNameColumnWidth();

} // namespace KZTranslations
