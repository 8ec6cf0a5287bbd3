#include "KZCommandLineTool.h"
#include "KZPreferenceRules.h"
#include "KZPreferences.h"
#include "KZTranslations.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnwell-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARNWELL_VERSION));
    // English whatever the locale (machines read what it prints), with the
    // plural forms of its plain-text reports ("1 hour").
    KZTranslations::install({QStringLiteral("en")});
    KZPreferences::standard().registerApplicationDefaults();
    // The log and capture folder and the data folder, as the application
    // makes them at start: a machine that never ran it still gets captures.
    KZPreferenceRules::createApplicationFolders();

    QTextStream out(stdout);
    QTextStream err(stderr);
    KZCommandLineTool tool(out, err);
    return tool.run(application.arguments().mid(1));
}
