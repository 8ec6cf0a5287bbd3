#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The command line both windowed programs share:
//
//   PROGRAM [--smartctl PROGRAM] [--lsblk PROGRAM] [--sendemail PROGRAM]
//           [--blink1-tool PROGRAM] [FILE.twdr...]
//   PROGRAM --help | --version
//
// The four programs stand in for the system's tools (for tests and odd
// systems); files (the application only) are report files to open. Options
// take their value as the next argument or after "="; "--" ends the options.
// Nothing else is configured by command line or environment.
struct KZProgramOptions
{
    enum class Program
    {
        Application, // tarnwell: takes report files
        MenuItem     // tarnwell-menu-item: takes no files
    };

    QString smartctl;
    QString lsblk;
    QString sendemail;
    QString blink1Tool;
    QStringList files; // absolute paths
    bool help = false;
    bool version = false;

    // The options, or nothing with `problem` set for a bad command line.
    static std::optional<KZProgramOptions> parse(Program program, const QStringList &arguments,
                                                 QString *problem);
    // The tool options as given ("--smartctl", PROGRAM, …), for a program
    // this one starts, so that it uses the same tools.
    QStringList toolArguments() const;
    // The text --help prints, for the program named.
    static QString usageText(Program program, const QString &programName);
};
