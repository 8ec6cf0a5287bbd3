#include "KZSmartctlHelper.h"

#include "KZHelperRules.h"
#include "KZLog.h"
#include "KZRecordedTexts.h"

#include <QFileInfo>
#include <QMutex>
#include <unistd.h>

#ifndef TARNWELL_HELPER_PATH
#error "TARNWELL_HELPER_PATH must name the installed smartctl helper"
#endif

namespace KZSmartctlHelper {

namespace {

// polkit reads actions from here only (some distributions add /etc).
const char *const policyLocations[] = {
    "/usr/share/polkit-1/actions/org.tarnwell.smartctl.policy",
    "/etc/polkit-1/actions/org.tarnwell.smartctl.policy",
};

const QString pkexecRefusalPrefix = QStringLiteral("Error executing command as another user: ");

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

bool isExecutableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

struct State
{
    QMutex mutex;
    std::optional<Setup> testSetup;
    bool loggedThisScan = false;
};

State &state()
{
    static State shared;
    return shared;
}

} // namespace

QString expectedHelperPath()
{
    return QStringLiteral(TARNWELL_HELPER_PATH);
}

Setup systemSetup()
{
    static const Setup setup = [] {
        Setup found;
        found.runningAsRoot = ::geteuid() == 0;
        const QString helper = QStringLiteral(TARNWELL_HELPER_PATH);
        bool policyInstalled = false;
        for (const char *location : policyLocations)
            policyInstalled = policyInstalled || QFileInfo(QString::fromLatin1(location)).isFile();
        if (policyInstalled && isExecutableFile(helper))
            found.helperPath = helper;
        for (const char *candidate : {"/usr/bin/pkexec", "/bin/pkexec"}) {
            if (isExecutableFile(QString::fromLatin1(candidate))) {
                found.pkexecPath = QString::fromLatin1(candidate);
                break;
            }
        }
        return found;
    }();
    return setup;
}

Setup currentSetup()
{
    {
        QMutexLocker locker(&state().mutex);
        if (state().testSetup)
            return *state().testSetup;
    }
    return systemSetup();
}

void setSetupForTesting(std::optional<Setup> setup)
{
    QMutexLocker locker(&state().mutex);
    state().testSetup = std::move(setup);
}

std::optional<QStringList> pkexecArguments(const Setup &setup, const QStringList &arguments,
                                           const QString &device, bool freeOptions)
{
    if (setup.runningAsRoot || setup.helperPath.isEmpty() || setup.pkexecPath.isEmpty())
        return std::nullopt;
    if (device.isEmpty() || arguments.isEmpty() || arguments.last() != device)
        return std::nullopt;
    // Without the internal agent pkexec never waits for a password typed on
    // a terminal: with no agent of the desktop it refuses at once.
    return QStringList{
               QStringLiteral("--disable-internal-agent"), setup.helperPath,
               fromView(freeOptions ? KZHelperRules::optionsMode : KZHelperRules::readMode)} +
           arguments;
}

std::optional<QString> refusalOf(const QStringList &lines)
{
    if (lines.isEmpty() || lines.first().trimmed().isEmpty())
        return std::nullopt;
    const QString first = lines.first().trimmed();
    if (first.startsWith(fromView(KZHelperRules::refusalPrefix)))
        return first;
    // smartctl always begins with its banner; anything else is pkexec
    // saying why it did not start the helper.
    if (first.startsWith(QLatin1String("smartctl ")))
        return std::nullopt;
    QString detail = first.startsWith(pkexecRefusalPrefix) ? first.mid(pkexecRefusalPrefix.size())
                                                           : QStringLiteral("pkexec: ") + first;
    if (detail.endsWith(QLatin1Char('.')))
        detail.chop(1);
    if (detail == QLatin1String("Not authorized"))
        detail =
            QString::fromLatin1(QT_TRANSLATE_NOOP("KZRecordedTexts", "polkit does not allow it"));
    else if (detail == QLatin1String("Request dismissed"))
        detail = QString::fromLatin1(
            QT_TRANSLATE_NOOP("KZRecordedTexts", "the authentication was dismissed"));
    else
        detail[0] = detail[0].toLower();
    return KZRecordedTexts::english(KZRecordedTexts::notAuthorized, {detail});
}

void beginScan()
{
    QMutexLocker locker(&state().mutex);
    state().loggedThisScan = false;
}

void logRefusal(const QString &device, const QString &reason)
{
    if (!reason.startsWith(fromView(KZHelperRules::refusalPrefix))) {
        QMutexLocker locker(&state().mutex);
        if (state().loggedThisScan)
            return;
        state().loggedThisScan = true;
    }
    KZLog::log(QStringLiteral("%1: %2").arg(device, reason));
}

} // namespace KZSmartctlHelper
