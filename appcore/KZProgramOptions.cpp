#include "KZProgramOptions.h"

#include <QDir>
#include <QFileInfo>

std::optional<KZProgramOptions>
KZProgramOptions::parse(Program program, const QStringList &arguments, QString *problem)
{
    KZProgramOptions options;
    const struct
    {
        const char *name;
        QString KZProgramOptions::*field;
    } valued[] = {
        {"--smartctl", &KZProgramOptions::smartctl},
        {"--lsblk", &KZProgramOptions::lsblk},
        {"--sendemail", &KZProgramOptions::sendemail},
        {"--blink1-tool", &KZProgramOptions::blink1Tool},
    };
    auto fail = [problem](const QString &text) {
        if (problem)
            *problem = text;
        return std::nullopt;
    };

    bool optionsEnded = false;
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString &argument = arguments.at(index);
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) ||
            argument == QLatin1String("-")) {
            if (program == Program::MenuItem)
                return fail(QStringLiteral("unexpected argument \"%1\"").arg(argument));
            options.files.append(QFileInfo(argument).absoluteFilePath());
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
            continue;
        }
        if (argument == QLatin1String("--version")) {
            options.version = true;
            continue;
        }
        bool known = false;
        for (const auto &option : valued) {
            const QString name = QString::fromLatin1(option.name);
            QString value;
            if (argument == name) {
                if (index + 1 >= arguments.size())
                    return fail(QStringLiteral("%1 needs a program").arg(name));
                value = arguments.at(++index);
            } else if (argument.startsWith(name + QLatin1Char('='))) {
                value = argument.mid(name.size() + 1);
            } else {
                continue;
            }
            if (value.isEmpty())
                return fail(QStringLiteral("%1 needs a program").arg(name));
            options.*option.field = value;
            known = true;
            break;
        }
        if (!known)
            return fail(QStringLiteral("unknown option \"%1\"").arg(argument));
    }
    return options;
}

QString KZProgramOptions::usageText(Program program, const QString &programName)
{
    const bool files = program == Program::Application;
    QString text =
        QStringLiteral("usage: %1 [--smartctl PROGRAM] [--lsblk PROGRAM] [--sendemail PROGRAM]\n"
                       "       %2 [--blink1-tool PROGRAM]%3\n"
                       "       %1 --help | --version\n\n")
            .arg(programName, QString(programName.size(), QLatin1Char(' ')),
                 files ? QStringLiteral(" [FILE.twdr...]") : QString());
    text += QStringLiteral(
        "  --smartctl PROGRAM     run PROGRAM instead of the system's smartctl\n"
        "  --lsblk PROGRAM        list the block devices with PROGRAM instead of lsblk\n"
        "  --sendemail PROGRAM    send e-mail with PROGRAM instead of sendemail\n"
        "  --blink1-tool PROGRAM  drive the blink(1) LED with PROGRAM instead of\n"
        "                         /usr/local/bin/blink1-tool\n");
    if (files)
        text +=
            QStringLiteral("  FILE.twdr              saved drive reports to open in the viewer\n");
    text += QStringLiteral("  --help                 print this text\n"
                           "  --version              print the version\n");
    return text;
}

QStringList KZProgramOptions::toolArguments() const
{
    QStringList arguments;
    const std::pair<const char *, QString> passed[] = {{"--smartctl", smartctl},
                                                       {"--lsblk", lsblk},
                                                       {"--sendemail", sendemail},
                                                       {"--blink1-tool", blink1Tool}};
    for (const auto &[option, value] : passed) {
        if (!value.isEmpty())
            arguments << QString::fromLatin1(option) << value;
    }
    return arguments;
}
