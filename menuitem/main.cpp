// Tarnwell Menu Item: the tray monitor.
#include "KZBackground.h"
#include "KZLog.h"
#include "KZMenuItemService.h"
#include "KZMessageBoxAlertPresenter.h"
#include "KZPaths.h"
#include "KZProgramOptions.h"
#include "KZSessionBus.h"
#include "KZStatusIcons.h"
#include "KZTarnwellMenuItemController.h"
#include "KZTranslations.h"

#include <QApplication>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    const QString name = QStringLiteral("tarnwell-menu-item");
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    QString problem;
    const std::optional<KZProgramOptions> options =
        KZProgramOptions::parse(KZProgramOptions::Program::MenuItem, arguments, &problem);
    const QString usage = KZProgramOptions::usageText(KZProgramOptions::Program::MenuItem, name);
    if (!options) {
        std::fprintf(stderr, "%s: %s\n%s", qPrintable(name), qPrintable(problem),
                     qPrintable(usage));
        return 1;
    }
    if (options->help) {
        std::fputs(qPrintable(usage), stdout);
        return 0;
    }
    if (options->version) {
        std::puts("tarnwell-menu-item " TARNWELL_VERSION);
        return 0;
    }

    KZLog::redirectStandardErrorTo(KZPaths::logFile());

    QApplication application(argc, argv);
    QApplication::setApplicationName(name);
    QApplication::setApplicationVersion(QStringLiteral(TARNWELL_VERSION));
    QApplication::setOrganizationDomain(QStringLiteral("tarnwell.org"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tarnwell.TarnwellMenuItem"));
    QApplication::setWindowIcon(KZStatusIcons::icon(1));
    // The monitor has no windows: closing an alert must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    // The user's language, from LANGUAGE, LC_MESSAGES or LANG.
    KZTranslations::install();

    // One monitor per session: its name on the bus says it runs. The name is
    // taken once the monitor listens for "TWQuit" (in awakeFromNib), so that
    // whoever sees it running can also stop it.
    const bool onBus = KZSessionBus::isConnected();
    if (onBus) {
        if (KZSessionBus::isNameOwned(KZSessionBus::menuItemName)) {
            KZLog::log(QStringLiteral("Tarnwell Menu Item is already running."));
            return 0;
        }
    } else {
        KZLog::log(QStringLiteral("No D-Bus session bus: the application cannot see or stop "
                                  "this monitor."));
    }

    KZMessageBoxAlertPresenter presenter;
    KZAlertPresenter::setCurrent(&presenter);

    KZTarnwellMenuItemController::Environment environment;
    environment.options = *options;
    int status = 0;
    {
        KZTarnwellMenuItemController controller(environment);
        controller.awakeFromNib();
        if (onBus && !KZSessionBus::registerName(KZSessionBus::menuItemName)) {
            KZLog::log(QStringLiteral("Tarnwell Menu Item is already running."));
            return 0;
        }
        KZMenuItemService service(&controller);
        service.exportObject();
        controller.applicationDidFinishLaunching();
        status = QApplication::exec();
        controller.applicationWillTerminate();
        if (KZBackground::running() > 0) {
            // A drive that hangs must not hold the quit: its smartctl run
            // ends on its own time-out.
            KZLog::log(QStringLiteral("Quitting while the drives are being read."));
            std::fflush(nullptr);
            ::_exit(status);
        }
    }
    KZAlertPresenter::setCurrent(nullptr);
    return status;
}
