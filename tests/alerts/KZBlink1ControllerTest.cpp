#include "KZBlink1Controller.h"
#include "TestSupport.h"

#include <QFile>

namespace {

// Each test gets the blink1-tool stand-in and a fresh record of its runs.
class Blink1Test : public testing::Test
{
protected:
    void SetUp() override
    {
        static int counter = 0;
        m_record = TestSupport::homeDir() + QStringLiteral("/blink-%1.txt").arg(++counter);
        qputenv("FAKE_RECORD", QFile::encodeName(m_record));
        KZBlink1Controller::setToolPath(TestSupport::fake(QStringLiteral("fake-blink1-tool")));
    }
    void TearDown() override
    {
        KZBlink1Controller::setToolPath({});
        qunsetenv("FAKE_RECORD");
    }

    // The argument lists of every run, in order.
    QList<QStringList> runs() const
    {
        QList<QStringList> result;
        QStringList current;
        const QStringList lines =
            QString::fromUtf8(TestSupport::readFile(m_record)).split(QLatin1Char('\n'));
        for (const QString &line : lines) {
            if (line == QLatin1String("----")) {
                result.append(current);
                current.clear();
            } else if (!line.isEmpty()) {
                current.append(line);
            }
        }
        return result;
    }

    QString m_record;
};

QList<QStringList> pattern(const QString &rgb)
{
    return {{"--quiet", "--rgb=" + rgb, "--setpattline", "1"},
            {"--quiet", "--rgb=0,0,0", "--setpattline", "2"},
            {"--quiet", "--savepattern", "2"},
            {"--quiet", "--play=1,1,2", "2"}};
}

} // namespace

TEST_F(Blink1Test, ColourAlertsStoreAndPlayATwoLinePattern)
{
    KZBlink1Controller::redAlert();
    EXPECT_EQ(runs(), pattern("255,0,0"));
    QFile::remove(m_record);
    KZBlink1Controller::yellowAlert();
    EXPECT_EQ(runs(), pattern("255,255,0"));
    QFile::remove(m_record);
    KZBlink1Controller::greenAlert();
    EXPECT_EQ(runs(), pattern("0,255,0"));
    QFile::remove(m_record);
    KZBlink1Controller::blueAlert();
    EXPECT_EQ(runs(), pattern("0,0,255"));
}

TEST_F(Blink1Test, NoAlertIsOneOffCommand)
{
    KZBlink1Controller::noAlert();
    EXPECT_EQ(runs(), (QList<QStringList>{{"--quiet", "--off"}}));
}

TEST_F(Blink1Test, TheLedNumberIsNotPassedOn)
{
    KZBlink1Controller::runBlinkFlashWithLED(2, 1, 2, 3);
    EXPECT_EQ(runs(), pattern("1,2,3"));
}

TEST_F(Blink1Test, ToolPathDefaultsToTheUsersInstallation)
{
    KZBlink1Controller::setToolPath({});
    EXPECT_EQ(KZBlink1Controller::toolPath(), "/usr/local/bin/blink1-tool");
    EXPECT_EQ(KZBlink1Controller::defaultToolPath(), "/usr/local/bin/blink1-tool");
}

TEST_F(Blink1Test, AMissingToolIsReportedAbsentAndIgnoredWhenRun)
{
    KZBlink1Controller::setToolPath(TestSupport::homeDir() + QStringLiteral("/no-such-tool"));
    EXPECT_FALSE(KZBlink1Controller::toolAvailable());
    TestSupport::StderrCapture capture;
    EXPECT_NO_THROW(KZBlink1Controller::redAlert());
    EXPECT_TRUE(runs().isEmpty());
    EXPECT_TRUE(capture.text().contains("blink(1) tool"));
}

TEST_F(Blink1Test, PresentToolIsAvailable)
{
    EXPECT_TRUE(KZBlink1Controller::toolAvailable());
}

TEST_F(Blink1Test, OutputAndExitStatusOfTheToolAreIgnored)
{
    const QString tool = TestSupport::writeScript(QStringLiteral("blink1-tool"),
                                                  "#!/bin/sh\nprintf 'no line feed'\nexit 3\n");
    KZBlink1Controller::setToolPath(tool);
    EXPECT_NO_THROW(KZBlink1Controller::greenAlert());
    EXPECT_NO_THROW(KZBlink1Controller::noAlert());
}
