#include "KZSmartctlWords.h"

#include <QCoreApplication>

namespace {

// Every word smartctl 7 prints in these columns, for the catalogues.
[[maybe_unused]] const char *const words[] = {
    // Attribute types and update kinds ("-A").
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Pre-fail"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Old_age"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Always"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Offline"),
    // Self-test kinds ("-l selftest"), ATA and NVMe.
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Short offline"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Extended offline"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Conveyance offline"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Selective offline"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Abort offline test"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Short captive"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Extended captive"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Conveyance captive"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Selective captive"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Short"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Extended"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Vendor specific"),
    // Self-test statuses, ATA and NVMe.
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Completed without error"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Aborted by host"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Interrupted (host reset)"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Fatal or unknown error"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Completed: unknown failure"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Completed: electrical failure"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Completed: servo/seek failure"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Completed: read failure"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Completed: handling damage??"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Self-test routine in progress"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Aborted: Self-test command"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Aborted: Controller Reset"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Aborted: Namespace removed"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Aborted: Format NVM command"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Fatal or unknown test error"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Completed: unknown failed segment"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Completed: failed segments"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Aborted: unknown reason"),
    QT_TRANSLATE_NOOP("KZSmartctlWords", "Aborted: sanitize operation"),
};

QString translated(const char *context, const QString &word)
{
    if (word.isEmpty())
        return word;
    return QCoreApplication::translate(context, word.toUtf8().constData());
}

} // namespace

namespace KZSmartctlWords {

QString attributeName(const QString &name)
{
    // The engine's own names ("Temperature Celsius") are marked where it gives them.
    return translated("KZSMARTAttribute", name);
}

QString attributeType(const QString &type)
{
    return translated("KZSmartctlWords", type);
}

QString attributeUpdated(const QString &updated)
{
    return translated("KZSmartctlWords", updated);
}

QString selfTestType(const QString &type)
{
    return translated("KZSmartctlWords", type);
}

QString selfTestStatus(const QString &status)
{
    return translated("KZSmartctlWords", status);
}

} // namespace KZSmartctlWords
