// The pieces both windowed programs share: the message-box alert presenter,
// the command line and the status icons.
#include "KZMessageBoxAlertPresenter.h"
#include "KZProgramOptions.h"
#include "KZStatusIcons.h"
#include "TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMessageBox>
#include <QThread>

#include <atomic>
#include <thread>

// An alert asked for on a worker thread is built and answered on the GUI
// thread while the worker waits; the answer is the index of the button, in
// the order given.
TEST(MessageBoxAlertPresenter, AlertFromAWorkerIsShownOnTheGuiThread)
{
    KZMessageBoxAlertPresenter presenter;
    QStringList seenButtons;
    QString seenTitle, seenText;
    bool critical = false;
    bool onGuiThread = false;
    presenter.setPreAnswer([&](QMessageBox &box) {
        onGuiThread = QThread::currentThread() == qApp->thread();
        seenTitle = box.text();
        seenText = box.informativeText();
        critical = box.icon() == QMessageBox::Critical;
        for (QAbstractButton *button : box.buttons())
            seenButtons.append(button->text());
        return 2;
    });
    std::atomic<int> answer{-1};
    std::thread worker([&] {
        answer = presenter.runAlert(KZAlertPresenter::Style::Informational, "Title", "Details",
                                    {"OK", "Continue Scanning", "Skip Drives"});
    });
    QElapsedTimer clock;
    clock.start();
    while (answer.load() < 0 && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    worker.join();
    EXPECT_EQ(answer.load(), 2);
    EXPECT_TRUE(onGuiThread);
    EXPECT_EQ(seenTitle, "Title");
    EXPECT_EQ(seenText, "Details");
    EXPECT_FALSE(critical);
    EXPECT_EQ(seenButtons, QStringList({"OK", "Continue Scanning", "Skip Drives"}));

    // On the GUI thread itself it answers directly; no buttons give "OK".
    seenButtons.clear();
    presenter.setPreAnswer([&](QMessageBox &box) {
        critical = box.icon() == QMessageBox::Critical;
        for (QAbstractButton *button : box.buttons())
            seenButtons.append(button->text());
        return 0;
    });
    EXPECT_EQ(presenter.runAlert(KZAlertPresenter::Style::Critical, "Oops", "", {}), 0);
    EXPECT_TRUE(critical);
    EXPECT_EQ(seenButtons, QStringList({"OK"}));
}

TEST(ProgramOptions, CommandLines)
{
    using Program = KZProgramOptions::Program;
    const struct
    {
        Program program;
        QStringList arguments;
        bool valid;
        QString smartctl, lsblk, sendemail, blink1;
        QStringList files;
        QString problem;
    } cases[] = {
        {Program::Application, {}, true, {}, {}, {}, {}, {}, {}},
        {Program::Application,
         {"--smartctl", "/s", "--lsblk=/l", "--sendemail", "/m", "--blink1-tool=/b"},
         true,
         "/s",
         "/l",
         "/m",
         "/b",
         {},
         {}},
        {Program::Application,
         {"/tmp/a.twdr", "--", "--odd.twdr"},
         true,
         {},
         {},
         {},
         {},
         {"/tmp/a.twdr", QDir::current().absoluteFilePath("--odd.twdr")},
         {}},
        {Program::Application,
         {"--smartctl"},
         false,
         {},
         {},
         {},
         {},
         {},
         "--smartctl needs a program"},
        {Program::Application, {"--lsblk="}, false, {}, {}, {}, {}, {}, "--lsblk needs a program"},
        {Program::Application,
         {"--verbose"},
         false,
         {},
         {},
         {},
         {},
         {},
         "unknown option \"--verbose\""},
        {Program::MenuItem,
         {"a.twdr"},
         false,
         {},
         {},
         {},
         {},
         {},
         "unexpected argument \"a.twdr\""},
        {Program::MenuItem, {"--smartctl", "/s"}, true, "/s", {}, {}, {}, {}, {}},
    };
    for (const auto &item : cases) {
        QString problem;
        const auto options = KZProgramOptions::parse(item.program, item.arguments, &problem);
        ASSERT_EQ(options.has_value(), item.valid) << item.arguments.join(' ').toStdString();
        if (!options) {
            EXPECT_EQ(problem, item.problem);
            continue;
        }
        EXPECT_EQ(options->smartctl, item.smartctl);
        EXPECT_EQ(options->lsblk, item.lsblk);
        EXPECT_EQ(options->sendemail, item.sendemail);
        EXPECT_EQ(options->blink1Tool, item.blink1);
        EXPECT_EQ(options->files, item.files);
    }
    const auto help = KZProgramOptions::parse(Program::Application, {"--help"}, nullptr);
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->help);
    EXPECT_TRUE(
        KZProgramOptions::usageText(Program::Application, "tarnwell").contains("FILE.twdr"));
    EXPECT_FALSE(
        KZProgramOptions::usageText(Program::MenuItem, "tarnwell-menu-item").contains("FILE.twdr"));
}

// Each merged status has its colour, at every size the desktop asks for.
TEST(StatusIcons, ColourByMergedStatus)
{
    const struct
    {
        int status;
        const char *name;
        int hue; // of the platter, in degrees
    } cases[] = {{1, "org.tarnwell.Tarnwell", 130},
                 {0, "org.tarnwell.Tarnwell", 130},
                 {2, "org.tarnwell.Tarnwell-yellow", 45},
                 {3, "org.tarnwell.Tarnwell-red", 0}};
    for (const auto &item : cases) {
        EXPECT_EQ(KZStatusIcons::themeName(item.status), item.name);
        const QIcon icon = KZStatusIcons::icon(item.status);
        ASSERT_FALSE(icon.isNull());
        for (const int size : {16, 32, 64, 256}) {
            const QImage image = icon.pixmap(size, size).toImage();
            ASSERT_EQ(image.width(), size);
            // The platter's colour, a little left of and above the hub.
            const QColor colour = image.pixelColor(size * 36 / 100, size * 30 / 100);
            const int hue = colour.hsvHue();
            const int distance = qMin(qAbs(hue - item.hue), 360 - qAbs(hue - item.hue));
            EXPECT_LT(distance, 25) << item.name << " at " << size << ": hue " << hue;
            EXPECT_GT(colour.hsvSaturation(), 100) << item.name << " at " << size;
        }
    }
    EXPECT_EQ(KZStatusIcons::icon(3).cacheKey(), KZStatusIcons::icon(3).cacheKey());
}

int main(int argc, char **argv)
{
    TestSupport::isolateHome();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
