// twdr-forge: writes a synthetic raw capture (.twdr) of an ATA drive described in JSON.
//
//   twdr-forge INPUT.json [-o OUTPUT.twdr]
//
// INPUT may be "-" for standard input. Without -o (or with "-o -") the capture goes to
// standard output.
// On any error a message goes to standard error, the exit status is 1, and no output file
// is created or changed (the file is written through QSaveFile).

#include "Capture.h"
#include "DriveSpec.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include <cstdio>

namespace {

const char usage[] = "usage: twdr-forge INPUT.json [-o OUTPUT.twdr]\n"
                     "Writes a raw capture that \"smartctl -a - < OUTPUT.twdr\" replays.\n"
                     "INPUT may be \"-\" for standard input; without -o the capture goes to\n"
                     "standard output. See README.md for the JSON keys.\n";

int fail(const QString &message, bool withUsage = false)
{
    std::fprintf(stderr, "twdr-forge: %s\n%s", qPrintable(message), withUsage ? usage : "");
    return 1;
}

QByteArray readInput(const QString &path)
{
    QFile file;
    bool opened = false;
    if (path == QLatin1String("-"))
        opened = file.open(stdin, QIODevice::ReadOnly);
    else {
        file.setFileName(path);
        opened = file.open(QIODevice::ReadOnly);
    }
    if (!opened)
        throw twdrforge::ForgeError(
            QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw twdrforge::ForgeError(
            QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    return data;
}

void writeOutput(const QString &path, const QByteArray &capture)
{
    if (path.isEmpty() || path == QLatin1String("-")) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || out.write(capture) != capture.size() ||
            !out.flush())
            throw twdrforge::ForgeError(
                QStringLiteral("cannot write standard output: %1").arg(out.errorString()));
        return;
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(capture) != capture.size() || !out.commit())
        throw twdrforge::ForgeError(
            QStringLiteral("cannot write %1: %2").arg(path, out.errorString()));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);

    QString inputPath, outputPath;
    bool haveOutput = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            std::fputs(usage, stdout);
            return 0;
        }
        if (arg == QLatin1String("-o")) {
            if (haveOutput)
                return fail(QStringLiteral("-o given twice"), true);
            if (i + 1 >= args.size() || args[i + 1].isEmpty())
                return fail(QStringLiteral("-o needs a file name"), true);
            outputPath = args[++i];
            haveOutput = true;
        } else if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            return fail(QStringLiteral("unknown option %1").arg(arg), true);
        } else if (inputPath.isEmpty()) {
            inputPath = arg;
        } else {
            return fail(QStringLiteral("more than one input file given"), true);
        }
    }
    if (inputPath.isEmpty())
        return fail(QStringLiteral("no input file given"), true);

    try {
        const twdrforge::DriveSpec drive = twdrforge::readDriveSpec(readInput(inputPath));
        writeOutput(outputPath, twdrforge::forgeCapture(drive));
    } catch (const twdrforge::ForgeError &error) {
        const QString message = QString::fromStdString(error.what());
        return fail(message.startsWith(QLatin1String("cannot "))
                        ? message
                        : QStringLiteral("%1: %2").arg(inputPath, message));
    }
    return 0;
}
