#include "KZTranslations.h"

#include "KZLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMutex>
#include <QMutexLocker>
#include <QTranslator>

namespace {

QMutex languageMutex;
QString shownLanguage = QStringLiteral("en");
// What install() put in place, removed by the next call.
QList<QTranslator *> installedTranslators;

const QString english = QStringLiteral("en");

// "fr_FR.UTF-8@euro" -> "fr_FR"; "C" and "POSIX" -> "en".
QString normalised(QString name)
{
    name = name.section(QLatin1Char('@'), 0, 0).section(QLatin1Char('.'), 0, 0).trimmed();
    name.replace(QLatin1Char('-'), QLatin1Char('_'));
    if (name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return english;
    return name;
}

QString catalogueFile(const QString &folder, const QString &language)
{
    return QDir(folder).filePath(QStringLiteral("tarnwell_%1.qm").arg(language));
}

bool isInside(const QString &path, const QString &folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return !canonical.isEmpty() &&
           (path + QLatin1Char('/')).startsWith(canonical + QLatin1Char('/'));
}

// Installs a catalogue for the application's lifetime; false when none can be read.
template <typename Load> bool installCatalogue(Load load)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!load(*translator)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installedTranslators.append(translator);
    return true;
}

} // namespace

namespace KZTranslations {

QStringList userLanguages()
{
    QStringList languages;
    const QString list = qEnvironmentVariable("LANGUAGE");
    for (const QString &name : list.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        languages.append(normalised(name));
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty()) {
            languages.append(normalised(name));
            break;
        }
    }
    languages.removeAll(QString());
    return languages;
}

QString catalogueFolder()
{
    const QString program = QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath();
    if (isInside(program, QStringLiteral(TARNWELL_BUILD_DIR)))
        return QStringLiteral(TARNWELL_TRANSLATIONS_BUILD_DIR);
    const QString besideProgram =
        QDir(program).filePath(QStringLiteral("../" TARNWELL_TRANSLATIONS_DIR));
    if (!program.isEmpty() && QFileInfo(besideProgram).isDir())
        return QDir::cleanPath(besideProgram);
    return QStringLiteral(TARNWELL_TRANSLATIONS_INSTALL_DIR);
}

QString languageFor(const QStringList &languages, const QString &folder)
{
    for (const QString &name : languages) {
        const QString language = normalised(name);
        for (const QString &candidate : {language, language.section(QLatin1Char('_'), 0, 0)}) {
            if (candidate.isEmpty())
                continue;
            if (candidate == english)
                return english;
            if (QFileInfo::exists(catalogueFile(folder, candidate)))
                return candidate;
        }
    }
    return english;
}

QString install(const QStringList &languages)
{
    for (QTranslator *translator : std::as_const(installedTranslators)) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    installedTranslators.clear();
    const QString folder = catalogueFolder();
    const QString language = languageFor(languages, folder);
    const QString file = catalogueFile(folder, language);
    if (!installCatalogue([&file](QTranslator &translator) { return translator.load(file); }))
        KZLog::log(QStringLiteral("No catalogue of texts for \"%1\" in %2.").arg(language, folder));
    // Qt's own texts (the buttons of standard dialogs); English is built in.
    if (language != english) {
        const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        const auto load = [&](QTranslator &translator) {
            return translator.load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                                   qtFolder);
        };
        if (!installCatalogue(load))
            KZLog::log(QStringLiteral("Qt's texts for \"%1\" are not installed in %2.")
                           .arg(language, qtFolder));
    }
    setLanguage(language);
    return language;
}

QString language()
{
    QMutexLocker locker(&languageMutex);
    return shownLanguage;
}

void setLanguage(const QString &language)
{
    QMutexLocker locker(&languageMutex);
    shownLanguage = language;
}

int reportNameColumnWidth()
{
    return language() == QLatin1String("fr") ? 90 : 39;
}

} // namespace KZTranslations
