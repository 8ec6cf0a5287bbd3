#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

// Sentences kept in English where they are recorded (on a drive, in a scan
// or mail result), because machines read them there: JSON, the command-line
// tool's verdict lines, mails, the Prometheus export. Each is marked for
// translation in the context "KZRecordedTexts" where it is written (fixed
// ones with QT_TRANSLATE_NOOP at that place, those with numbers or names
// filled in below), and whatever shows one to a person passes it through
// shown().
namespace KZRecordedTexts {

// Sentences with placeholders, filled in where they are recorded.
inline constexpr const char *attributeFailed =
    QT_TRANSLATE_NOOP("KZRecordedTexts", "Attribute %1 failed");
inline constexpr const char *attributeFailedInThePast =
    QT_TRANSLATE_NOOP("KZRecordedTexts", "Attribute %1 failed in the past");
inline constexpr const char *timedOut =
    QT_TRANSLATE_NOOP("KZRecordedTexts", "smartctl did not answer within %1 s");
inline constexpr const char *killed =
    QT_TRANSLATE_NOOP("KZRecordedTexts", "smartctl was stopped by signal %1%2");
inline constexpr const char *outputTooLarge =
    QT_TRANSLATE_NOOP("KZRecordedTexts", "smartctl printed more than %1 MB");
inline constexpr const char *notAReport =
    QT_TRANSLATE_NOOP("KZRecordedTexts", "smartctl's output is not a smartctl report (it "
                                         "begins \"%1\")");
inline constexpr const char *permissionDenied = QT_TRANSLATE_NOOP(
    "KZRecordedTexts", "cannot read %1: permission denied — run as root or install the "
                       "helper");
inline constexpr const char *deviceError =
    QT_TRANSLATE_NOOP("KZRecordedTexts", "the disk did not answer: %1");
inline constexpr const char *cannotReplay =
    QT_TRANSLATE_NOOP("KZRecordedTexts", "cannot replay %1: %2");
inline constexpr const char *notAuthorized =
    QT_TRANSLATE_NOOP("KZRecordedTexts", "Not authorized to read this disk: %1");
inline constexpr const char *cannotRun = QT_TRANSLATE_NOOP("KZRecordedTexts", "cannot run %1: %2");
inline constexpr const char *noCommandBlocks =
    QT_TRANSLATE_NOOP("KZRecordedTexts", "the capture holds no command blocks (%1)");
inline constexpr const char *readAlert = QT_TRANSLATE_NOOP(
    "KZRecordedTexts", "An error occurred attempting to read some SMART data. That data will not "
                       "be available to view. Please contact %1 for help.");
inline constexpr const char *runAlert = QT_TRANSLATE_NOOP(
    "KZRecordedTexts", "An error occurred attempting to scan for SMART data. Tarnwell may work "
                       "incorrectly. Please contact %1 for help.");
inline constexpr const char *scanAlert = QT_TRANSLATE_NOOP(
    "KZRecordedTexts", "An error occurred attempting to scan for drives. Tarnwell may work "
                       "incorrectly. Please contact %1 for help.");

// The address named at the end of the contact-support texts.
inline const QString supportEmailAddress = QStringLiteral("support@tarnwell.org");

// `pattern` with %1, %2, ... replaced by `arguments` in one pass (an
// argument holding "%2" stays as it is).
QString fill(const QString &pattern, const QStringList &arguments);
// The English sentence of a pattern above.
inline QString english(const char *pattern, const QStringList &arguments)
{
    return fill(QString::fromUtf8(pattern), arguments);
}

// A recorded sentence in the language of the installed catalogue: a fixed
// one as it is translated, a filled one matched against the patterns above
// and translated with its values (each of them translated again when it is
// itself a recorded sentence). Anything else, such as smartctl's own lines,
// comes back as it is.
QString shown(const QString &english);
// Several, each shown(), joined by `separator`.
QString shown(const QStringList &english, const QString &separator);

} // namespace KZRecordedTexts
