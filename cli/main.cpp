#include "KZCommandLineTool.h"
#include "KZPreferences.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnwell-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARNWELL_VERSION));
    KZPreferences::standard().registerApplicationDefaults();

    QTextStream out(stdout);
    QTextStream err(stderr);
    KZCommandLineTool tool(out, err);
    return tool.run(application.arguments().mid(1));
}
