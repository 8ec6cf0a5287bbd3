// Opening the history window on a year of hourly checks: from the moment the
// window is asked for (made, given its drive and shown, as the History button
// does) to the end of the first paint of a chart that shows the rows (goal:
// under 300 ms). Seven opens of a fresh window each, on the range "Last
// year", for two files of 16 drives:
//  - "kept": a year of hourly checks as the programs keep it (90 days whole,
//    a row a day before: about 2,440 rows a drive);
//  - "hourly": 8,760 hourly rows a drive, none thinned out (the worst case).
// Run on a display (xvfb-run) or offscreen:
//   QT_QPA_PLATFORM=offscreen build/bench/tarnwell-history-window-bench
#include "KZCheckHistory.h"
#include "KZHistoryController.h"
#include "KZHistoryTableModel.h"
#include "KZSMARTDrive.h"

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>

namespace {

double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

// A year of hourly checks of 16 drives, the first being the sample's.
void fill(const QString &path, const QString &firstKey, bool thinned)
{
    const QDateTime end = QDateTime::currentDateTimeUtc();
    const QDateTime start = end.addDays(-365);
    KZCheckHistory history(path);
    for (int day = 0; day < 365; ++day) {
        QList<KZHistoryRow> rows;
        for (int hour = 0; hour < 24; ++hour) {
            const QDateTime time = start.addSecs((qint64(day) * 24 + hour) * 3600);
            for (int drive = 0; drive < 16; ++drive) {
                KZHistoryRow row;
                row.drive = drive == 0 ? firstKey : QStringLiteral("serial:WIN%1").arg(drive);
                row.device = QStringLiteral("/dev/sda");
                row.time = time;
                row.status = day > 300 ? QStringLiteral("FAILING") : QStringLiteral("PASSED");
                row.hasValues = true;
                row.temperature = 30 + (day / 30) % 8 + hour % 3;
                row.reallocated = day > 300 ? day - 300 : 0;
                row.pending = row.offlineUncorrectable = row.crcErrors = 0;
                for (int id = 1; id <= 30; ++id)
                    row.attributes.append(
                        {id, 100, 90, qint64(day) * id, QStringLiteral("Attribute_%1").arg(id)});
                rows.append(row);
            }
        }
        // Thinned as the programs do, or written as if it were all recent.
        if (!history.write(rows, thinned ? start.addDays(day + 1) : start, 3650)) {
            std::fprintf(stderr, "cannot write: %s\n", qPrintable(history.errorString()));
            std::exit(1);
        }
    }
}

struct Open
{
    double wallMs = 0;
    double cpuMs = 0;
    int rows = 0;
};

Open openOnce(const std::shared_ptr<KZSMARTDrive> &drive, const QString &path)
{
    QElapsedTimer clock;
    const double cpuStart = cpuMs();
    clock.start();
    auto *window = new KZHistoryController;
    window->setHistoryPath(path);
    window->rangeSelector()->setCurrentIndex(
        window->rangeSelector()->findData(int(KZHistorySeries::Range::Year)));
    QWidget *chart = window->chartViews().value(1)->viewport();
    Open open;
    bool shown = false;
    bool done = false;
    // The first paint of the chart after the rows are shown; measured when
    // that paint has ended.
    struct Watcher : QObject
    {
        std::function<void()> painted;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint && painted)
                QTimer::singleShot(0, this, painted);
            return false;
        }
    } watcher;
    watcher.painted = [&] {
        if (shown && !done) {
            done = true;
            open.wallMs = double(clock.nsecsElapsed()) / 1e6;
        }
    };
    chart->installEventFilter(&watcher);
    QObject::connect(window, &KZHistoryController::rowsShown, window, [&] {
        shown = true;
        open.rows = window->tableModel()->rowCount();
        chart->update();
    });
    window->setDrive(drive);
    window->showWindow();
    window->updateWindow();
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    open.cpuMs = cpuMs() - cpuStart;
    chart->removeEventFilter(&watcher);
    delete window;
    return open;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    qputenv("XDG_STATE_HOME", QFile::encodeName(home.filePath(QStringLiteral("state"))));
    QApplication application(argc, argv);
    auto drive = std::make_shared<KZSMARTDrive>(KZSMARTDrive::initForCommandLine());
    drive->setLocation(QStringLiteral(TARNWELL_SAMPLE));
    drive->setDriveAsFile(true);
    drive->updateInfo();
    const QString key = QStringLiteral("serial:") + drive->driveSerialNumber().value_or(QString());

    for (const bool thinned : {true, false}) {
        const QString path = home.filePath(thinned ? QStringLiteral("kept.sqlite")
                                                   : QStringLiteral("hourly.sqlite"));
        fill(path, key, thinned);
        QList<Open> opens;
        for (int run = 0; run < 7; ++run)
            opens.append(openOnce(drive, path));
        QList<double> cpu;
        for (const Open &open : std::as_const(opens))
            cpu.append(open.cpuMs);
        std::sort(cpu.begin(), cpu.end());
        std::sort(opens.begin(), opens.end(),
                  [](const Open &a, const Open &b) { return a.wallMs < b.wallMs; });
        std::printf("%-6s rows shown %5d: first painted chart median %.0f ms (%.0f to %.0f), "
                    "CPU median %.0f ms\n",
                    thinned ? "kept" : "hourly", opens.first().rows, opens.at(3).wallMs,
                    opens.first().wallMs, opens.last().wallMs, std::max(0.0, cpu.at(3)));
    }
    return 0;
}
