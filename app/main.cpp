#include "KZAppController.h"
#include "KZApplicationService.h"
#include "KZBackground.h"
#include "KZLog.h"
#include "KZMainWindow.h"
#include "KZMessageBoxAlertPresenter.h"
#include "KZPaths.h"
#include "KZStatusIcons.h"
#include "KZTranslations.h"

#include <QApplication>
#include <QMainWindow>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void quitOnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

// SIGTERM (the session ending) and SIGINT end the run like Quit does, so the
// window's place is remembered and nothing is cut off halfway.
void installQuitSignals(QObject *context)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(signalPipe[0], &byte, 1);
        KZLog::log(QStringLiteral("Quitting on a signal."));
        // exit(), not quit(): a signal does not ask the windows first.
        QCoreApplication::exit(0);
    });
    struct sigaction action = {};
    action.sa_handler = quitOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

} // namespace

int main(int argc, char *argv[])
{
    // The command line is read first, so that --help, --version and a bad
    // command line answer on the terminal rather than in the log.
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    QString problem;
    const std::optional<KZProgramOptions> options =
        KZProgramOptions::parse(KZProgramOptions::Program::Application, arguments, &problem);
    const QString usage = KZProgramOptions::usageText(KZProgramOptions::Program::Application,
                                                      QStringLiteral("tarnwell"));
    if (!options) {
        std::fprintf(stderr, "tarnwell: %s\n%s", qPrintable(problem), qPrintable(usage));
        return 1;
    }
    if (options->help) {
        std::fputs(qPrintable(usage), stdout);
        return 0;
    }
    if (options->version) {
        std::puts("tarnwell " TARNWELL_VERSION);
        return 0;
    }

    // From here on every log line of every part lands in the log file (its
    // folder is made first, so the very first run logs too); broken pipes
    // are ignored.
    KZLog::redirectStandardErrorTo(KZPaths::logFile());

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwell"));
    QApplication::setApplicationVersion(QStringLiteral(TARNWELL_VERSION));
    QApplication::setOrganizationDomain(QStringLiteral("tarnwell.org"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tarnwell.Tarnwell"));
    QApplication::setWindowIcon(KZStatusIcons::icon(1));
    // The user's language, from LANGUAGE, LC_MESSAGES or LANG.
    KZTranslations::install();

    // One instance: a second start hands its files to the first and ends,
    // so two instances never scan, time and mail side by side.
    KZApplicationService service;
    switch (service.claim()) {
    case KZApplicationService::Claim::Owned:
        break;
    case KZApplicationService::Claim::Taken: {
        QString error;
        if (KZApplicationService::forwardToRunningInstance(options->files, &error))
            return 0;
        KZLog::log(QStringLiteral("Tarnwell is already running but did not answer: %1").arg(error));
        std::fprintf(stderr, "tarnwell: already running, but it did not answer: %s\n",
                     qPrintable(error));
        return 1;
    }
    case KZApplicationService::Claim::NoBus:
        KZLog::log(QStringLiteral("No D-Bus session bus: running without the single-instance "
                                  "service."));
        break;
    }

    installQuitSignals(&application);

    KZMessageBoxAlertPresenter presenter;
    KZAlertPresenter::setCurrent(&presenter);

    KZAppController::Environment environment;
    environment.options = *options;
    int status = 0;
    {
        KZAppController controller(environment);
        controller.awakeFromNib();
        presenter.setParentWindow(controller.drivesWindow());
        service.setHandlers(
            [&controller] { controller.activate(); },
            [&controller](const QStringList &paths) { controller.openReportFiles(paths); });
        // The rest of start-up (ending with the first scan) follows the first
        // paint, so the window appears at once; a window that is never
        // painted (started minimised) still starts after a second.
        auto launched = std::make_shared<bool>(false);
        auto finishLaunching = [&controller, launched, files = options->files] {
            if (std::exchange(*launched, true))
                return;
            controller.applicationDidFinishLaunching();
            if (!files.isEmpty())
                controller.openReportFiles(files);
        };
        auto *window = qobject_cast<KZMainWindow *>(controller.drivesWindow());
        QObject::connect(window, &KZMainWindow::firstPainted, &controller, finishLaunching,
                         Qt::QueuedConnection);
        QTimer::singleShot(1000, &controller, finishLaunching);
        window->show();
        status = QApplication::exec();
        service.setHandlers({}, {});
    }
    KZAlertPresenter::setCurrent(nullptr);
    if (KZBackground::running() > 0) {
        // A smartctl that hangs must not keep the program from ending.
        KZLog::log(QStringLiteral("Quitting while a drive check is still running."));
        std::fflush(stderr);
        std::_Exit(status);
    }
    return status;
}
