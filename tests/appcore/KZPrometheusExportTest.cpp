// The Prometheus exposition of checked drives: label escaping, values a
// drive does not report, temperatures read in Fahrenheit, and the file
// replaced atomically while node_exporter may read it. The exposition of
// whole checks, parsed back by a real parser, is in tests/prometheus.
#include "KZPrometheusExport.h"
#include "ForgedDrives.h"
#include "KZPreferences.h"

#include <QDir>
#include <atomic>
#include <thread>

namespace {

QList<const KZSMARTDrive *> list(const QList<std::shared_ptr<KZSMARTDrive>> &drives)
{
    QList<const KZSMARTDrive *> pointers;
    for (const auto &drive : drives)
        pointers.append(drive.get());
    return pointers;
}

// The names of the metrics that have samples.
QStringList sampledMetrics(const QByteArray &text)
{
    QStringList names;
    for (const QByteArray &line : text.split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QString name =
            QString::fromUtf8(line.left(line.indexOf(line.contains('{') ? '{' : ' ')));
        if (!names.contains(name))
            names.append(name);
    }
    return names;
}

class PrometheusExport : public testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_SMARTCTL();
        KZPreferences::standard().registerApplicationDefaults();
    }
    void TearDown() override
    {
        KZPreferences::standard().removeObjectForKey("DisplayTempInFahrenheit");
    }
};

} // namespace

TEST(PrometheusLabels, EscapesWhatTheFormatRequires)
{
    const QList<std::pair<QString, QString>> cases{
        {"WDC WD10EZEX", "WDC WD10EZEX"},
        {R"(say "hi")", R"(say \"hi\")"},
        {R"(C:\disk)", R"(C:\\disk)"},
        {"two\nlines", R"(two\nlines)"},
        {R"(\n is not a line feed)", R"(\\n is not a line feed)"},
        {QString::fromUtf8("Prüfstand\t{a=b}"), QString::fromUtf8("Prüfstand\t{a=b}")},
    };
    for (const auto &[value, escaped] : cases)
        EXPECT_EQ(KZPrometheusExport::escapeLabelValue(value), escaped) << value.toStdString();
}

TEST_F(PrometheusExport, ValuesADriveDoesNotReportAreLeftOut)
{
    // No attributes 5, 9, 194, 197, 198; an error log and a self-test log
    // without entries; and a drive without S.M.A.R.T. data.
    const auto bare = ForgedDrives::read(ForgedDrives::withAttributes(R"({"id": 1, "raw": 0})"));
    const auto unsupported = ForgedDrives::unsupported();
    const QByteArray text = KZPrometheusExport::exposition(list({bare, unsupported}), {});
    EXPECT_EQ(sampledMetrics(text),
              QStringList({"tarnwell_drive_info", "tarnwell_drive_health", "tarnwell_drive_status",
                           "tarnwell_drive_error_log_entries", "tarnwell_drive_self_test_failed",
                           "tarnwell_check_timestamp_seconds", "tarnwell_check_duration_seconds",
                           "tarnwell_check_success", "tarnwell_merged_status"}));
    EXPECT_FALSE(text.contains(" -1\n"));
    EXPECT_EQ(text.count("device=\"/dev/sdzz\""), 1 + 1 + 7) << text.toStdString();
}

TEST_F(PrometheusExport, TemperatureReadInFahrenheitIsExportedInCelsius)
{
    KZPreferences::standard().setBool("DisplayTempInFahrenheit", true);
    for (const int celsius : {-7, 0, 1, 35, 36, 37, 59, 60, 61, 99}) {
        KZSMARTDrive drive;
        drive.setLocation("/dev/sdt");
        drive.setOutputProvider([celsius](const QStringList &) -> std::optional<QStringList> {
            return QStringList{
                "smartctl 7.3",
                "Copyright",
                "",
                "=== START OF READ SMART DATA SECTION ===",
                "ID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE      UPDATED  "
                "WHEN_FAILED RAW_VALUE",
                QString("194 Temperature_Celsius     0x0022   035   045   000    Old_age   Always"
                        "       -       %1")
                    .arg(celsius)};
        });
        drive.parseAttributes();
        ASSERT_TRUE(drive.driveTemperaturesInFahrenheit());
        EXPECT_NE(drive.driveTemperature(), celsius);
        EXPECT_TRUE(KZPrometheusExport::exposition({&drive}, {})
                        .contains(QString("tarnwell_drive_temperature_celsius{device=\"/dev/"
                                          "sdt\",serial=\"\",model=\"\"} "
                                          "%1\n")
                                      .arg(celsius)
                                      .toUtf8()))
            << celsius;
    }
}

TEST_F(PrometheusExport, ADeviceListedTwiceIsExportedOnce)
{
    const auto drive = ForgedDrives::read(ForgedDrives::passedDrive("TWICE", "TW1"));
    const QByteArray text = KZPrometheusExport::exposition({drive.get(), drive.get()}, {});
    EXPECT_EQ(text.count("tarnwell_drive_info{"), 1);
}

TEST_F(PrometheusExport, AReaderNeverSeesAPartialFile)
{
    const QList<std::shared_ptr<KZSMARTDrive>> read{
        ForgedDrives::read(ForgedDrives::passedDrive("ONE", "S1")),
        ForgedDrives::read(ForgedDrives::failingDrive("TWO", "S2")),
        ForgedDrives::read(ForgedDrives::failedDrive("THREE", "S3"))};
    const QList<const KZSMARTDrive *> drives = list(read);
    const KZCheckFacts facts{QDateTime::fromSecsSinceEpoch(1700000000), 2.5, true, 3};
    const QByteArray full = KZPrometheusExport::exposition(drives, facts);
    const QByteArray shorter = KZPrometheusExport::exposition(drives.mid(0, 1), facts);
    const QString folder = TestSupport::homeDir() + "/textfile-collector";
    QDir().mkpath(folder);
    const QString path = folder + "/tarnwell.prom";

    std::atomic<bool> done{false};
    std::atomic<int> reads{0};
    QStringList problems;
    std::thread reader([&] {
        while (!done) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly)) {
                const QByteArray seen = file.readAll();
                ++reads;
                if (seen != full && seen != shorter)
                    problems.append(QString("a read of %1 bytes").arg(seen.size()));
            }
            // node_exporter reads every "*.prom" file of the folder.
            const QStringList names = QDir(folder).entryList({"*.prom"}, QDir::Files);
            if (names.size() > 1)
                problems.append(names.join(' '));
        }
    });
    for (int check = 0; check < 100; ++check) {
        QString error;
        EXPECT_TRUE(KZPrometheusExport::exportCheck(path, check % 2 ? drives.mid(0, 1) : drives,
                                                    facts, &error))
            << error.toStdString();
    }
    done = true;
    reader.join();
    EXPECT_GT(reads.load(), 0);
    EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"tarnwell.prom"});
}
