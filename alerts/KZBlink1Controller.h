#pragma once

#include <QString>
#include <QStringList>

// Drives a blink(1) USB LED through the maker's command-line tool. A colour
// alert stores a two-line blink pattern (the colour, then black) and plays
// it; noAlert switches the LED off. Every operation blocks until the last
// run of the tool has ended; the tool's output and exit status are ignored.
// Callers test toolAvailable() first: without the tool no operation is called.
class KZBlink1Controller
{
public:
    KZBlink1Controller() = delete;

    // "/usr/local/bin/blink1-tool", where the user installs the tool.
    static QString defaultToolPath();
    // The tool in use; tests point it at a stand-in.
    static QString toolPath();
    static void setToolPath(const QString &path);
    // Whether the tool exists at toolPath().
    static bool toolAvailable();

    static void redAlert();
    static void yellowAlert();
    static void greenAlert();
    static void blueAlert();
    static void noAlert();

    // The LED number is accepted but not passed on: every command addresses
    // the tool's default device.
    static void runBlinkFlashWithLED(int led, qint64 red, qint64 green, qint64 blue);
    // Runs the tool once with exactly these arguments and waits for it.
    static void runBlinkWithArgs(const QStringList &arguments);
};
