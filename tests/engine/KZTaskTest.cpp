#include "KZTask.h"
#include "KZException.h"
#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <unistd.h>

using TestSupport::readFile;
using TestSupport::writeFile;
using TestSupport::writeScript;

namespace {

QStringList split(const char *text)
{
    return KZTask::splitLines(QString::fromUtf8(text));
}

std::optional<QStringList> runShell(const QByteArray &body, KZTask &task,
                                    const QStringList &arguments = {})
{
    const QString script = writeScript(QStringLiteral("child.sh"), "#!/bin/sh\n" + body);
    return task.parseCommandLine(script, arguments);
}

} // namespace

TEST(KZTaskSplit, KeepsTerminatedLinesAndDropsAnUnterminatedTail)
{
    EXPECT_EQ(split("a\nb\n"), (QStringList{"a", "b"}));
    EXPECT_EQ(split("a\nb"), (QStringList{"a"}));
    EXPECT_EQ(split("\n\nx\n"), (QStringList{"", "x"}));
    EXPECT_EQ(split("\n"), (QStringList{""}));
    EXPECT_TRUE(split("").isEmpty());
}

TEST(KZTaskSplit, MergesBlankLinesAndTrimsLeadingTabsButNotBlanks)
{
    EXPECT_EQ(split("a\n\n\tb\n"), (QStringList{"a", "b"}));
    EXPECT_EQ(split("a\n  b\n"), (QStringList{"a", "  b"}));
    EXPECT_EQ(split("a\r\n\r\nb\r\n"), (QStringList{"a\r", "b\r"}));
    EXPECT_EQ(split("banner\ncopyright\n\nfirst\n"), (QStringList{"banner", "copyright", "first"}));
    // A line made only of tabs vanishes; the first line keeps its tabs.
    EXPECT_EQ(split("\tx\n\t\t\ny\n"), (QStringList{"\tx", "y"}));
}

TEST(KZTaskSplit, TextWithoutAnyLineFeedThrows)
{
    EXPECT_THROW(split("no line feed"), KZException);
}

TEST(KZTaskSplit, LongTextKeepsEveryLine)
{
    QString text;
    for (int i = 0; i < 20000; ++i)
        text += QStringLiteral("line %1\n").arg(i);
    const QStringList lines = KZTask::splitLines(text);
    ASSERT_EQ(lines.size(), 20000);
    EXPECT_EQ(lines.last(), QStringLiteral("line 19999"));
}

TEST(KZTaskRun, MergesStandardErrorIntoStandardOutputInOrder)
{
    KZTask task;
    const auto lines = runShell("echo out1; echo err1 >&2; echo out2\n", task);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (QStringList{"out1", "err1", "out2"}));
    EXPECT_EQ(task.getErrorCode(), 0);
}

TEST(KZTaskRun, PassesArgumentsWithoutAShell)
{
    KZTask task;
    const auto lines =
        runShell("for a in \"$@\"; do echo \"[$a]\"; done\n", task,
                 {QStringLiteral("two words"), QStringLiteral("$HOME"), QStringLiteral(";ls")});
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (QStringList{"[two words]", "[$HOME]", "[;ls]"}));
}

TEST(KZTaskRun, NonZeroExitStatusStillReturnsOutput)
{
    KZTask task;
    const auto lines = runShell("echo hello; exit 4\n", task);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, QStringList{"hello"});
    EXPECT_EQ(task.getErrorCode(), 0);
}

TEST(KZTaskRun, ChildPrintingNothingGivesAnEmptyList)
{
    KZTask task;
    const auto lines = runShell("exit 0\n", task);
    ASSERT_TRUE(lines);
    EXPECT_TRUE(lines->isEmpty());
}

TEST(KZTaskRun, ReadsStandardInputFromAFile)
{
    const QString input = writeFile(TestSupport::homeDir() + "/stdin.txt", "first\nsecond\n");
    KZTask task;
    task.setReadFromFilePath(input);
    const auto lines = runShell("cat\n", task);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (QStringList{"first", "second"}));
}

TEST(KZTaskRun, MissingStandardInputFileOrProgramThrows)
{
    KZTask missingInput;
    missingInput.setReadFromFilePath(TestSupport::homeDir() + "/does-not-exist");
    EXPECT_THROW(runShell("cat\n", missingInput), KZException);

    KZTask missingProgram;
    EXPECT_THROW(missingProgram.parseCommandLine(TestSupport::homeDir() + "/no-such-program", {}),
                 KZException);
}

TEST(KZTaskRun, OutputWithoutLineFeedThrows)
{
    KZTask task;
    EXPECT_THROW(runShell("printf 'no newline'\n", task), KZException);
}

TEST(KZTaskRun, LargeOutputInSeveralBurstsIsReadWhole)
{
    // More than one pipe buffer at once, then a pause, then more: the runner
    // keeps reading while the first chunks are long and until the child ends.
    KZTask task;
    const auto lines = runShell("i=0; while [ $i -lt 3000 ]; do echo \"line $i of a long burst of "
                                "output\"; i=$((i+1)); done; sleep 0.3; echo tail\n",
                                task);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 3001);
    EXPECT_EQ(lines->at(2999), QStringLiteral("line 2999 of a long burst of output"));
    EXPECT_EQ(lines->last(), QStringLiteral("tail"));
}

TEST(KZTaskRun, OutputAfterAShortChunkIsNotLostWhenTheChildEnds)
{
    KZTask task;
    const auto lines = runShell("echo short; sleep 0.2; i=0; while [ $i -lt 2000 ]; do echo "
                                "\"more output line $i\"; i=$((i+1)); done\n",
                                task);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 2001);
    EXPECT_EQ(lines->last(), QStringLiteral("more output line 1999"));
}

TEST(KZTaskRun, ChildKilledBySignalCountsAsNegativeStatus)
{
    KZTask task;
    const auto lines = runShell("echo before; kill -9 $$\n", task);
    EXPECT_FALSE(lines);
    EXPECT_EQ(task.getErrorCode(), -9);
}

TEST(KZTaskRun, MultiByteCharacterSplitAcrossReadsStaysWhole)
{
    // "é" is two bytes; the child writes the first, pauses, then the second.
    KZTask task;
    const auto lines = runShell("printf 'caf\\303'; sleep 0.2; printf '\\251\\nnext\\n'\n", task);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (QStringList{QString::fromUtf8("café"), "next"}));
}

TEST(KZTaskRun, InvalidUtf8BytesAreReplacedAndTheRestStands)
{
    KZTask task;
    const auto lines = runShell("printf 'bad \\377 byte\\nnext \\303\\251\\n'\n", task);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines,
              (QStringList{QStringLiteral("bad \uFFFD byte"), QStringLiteral("next \u00E9")}));
    EXPECT_EQ(task.getErrorCode(), 0);
    EXPECT_EQ(task.failure(), KZTask::Failure::None);
}

TEST(KZTaskRun, RawCaptureWritesTheWholeTextAndReturnsNothing)
{
    const QString path = TestSupport::homeDir() + "/capture/raw.twdr";
    QDir().mkpath(QFileInfo(path).absolutePath());
    KZTask task;
    task.setRawDataPath(path);
    const auto lines = runShell("echo one; echo two >&2; printf 'three'\n", task);
    EXPECT_FALSE(lines);
    EXPECT_EQ(readFile(path), QByteArray("one\ntwo\nthree"));
}

TEST(KZTaskRun, HangingChildIsStoppedAfterTheTimeOut)
{
    const QString hang = TestSupport::fake(QStringLiteral("fake-smartctl-hang"));
    KZTask task;
    task.setTimeout(1);
    TestSupport::StderrCapture log;
    QElapsedTimer clock;
    clock.start();
    const auto lines =
        QFileInfo(hang).isExecutable()
            ? task.parseCommandLine(hang, QStringList{QStringLiteral("-i"), "/dev/x"})
            : runShell("echo started; sleep 600 & sleep 600\n", task);
    EXPECT_FALSE(lines);
    EXPECT_LT(clock.elapsed(), 30000);
    EXPECT_TRUE(log.text().contains(QStringLiteral("did not finish within 1 seconds")));
}

TEST(KZTaskRun, ChildThatClosesItsOutputButKeepsRunningIsStoppedToo)
{
    KZTask task;
    task.setTimeout(1);
    TestSupport::StderrCapture log;
    const auto lines = runShell("echo done; exec >/dev/null 2>&1; sleep 600\n", task);
    EXPECT_FALSE(lines);
    EXPECT_TRUE(log.text().contains(QStringLiteral("was stopped")));
}

TEST(KZTaskInput, TextReachesTheChildsStandardInput)
{
    KZTask task;
    task.setStandardInputText(QByteArray("pässwort\nsecond line\n"));
    const auto lines = runShell("read -r first; echo \"got[$first]\"; cat\n", task);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (QStringList{"got[pässwort]", "second line"}));
}

TEST(KZTaskInput, EmptyTextGivesEndOfFileAtOnce)
{
    KZTask task;
    task.setStandardInputText(QByteArray());
    QElapsedTimer clock;
    clock.start();
    const auto lines = runShell("cat; echo end\n", task);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, QStringList{"end"});
    EXPECT_LT(clock.elapsed(), 10000);
}

TEST(KZTaskInput, LargeTextWhileTheChildAlsoWritesMuch)
{
    // Both directions exceed any pipe or socket buffer: neither side may block the other.
    QByteArray text;
    for (int i = 0; i < 40000; ++i)
        text += "input line " + QByteArray::number(i) + "\n";
    KZTask task;
    task.setStandardInputText(text);
    const auto lines = runShell("cat\n", task);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 40000);
    EXPECT_EQ(lines->last(), QStringLiteral("input line 39999"));
}

TEST(KZTaskInput, ChildThatDoesNotReadIsNoError)
{
    // Far more than a socket buffer holds: the writer meets a closed reader.
    KZTask task;
    task.setTimeout(20);
    task.setStandardInputText(QByteArray(4 * 1024 * 1024, 'x'));
    QElapsedTimer clock;
    clock.start();
    const auto lines = runShell("echo ignored\n", task);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, QStringList{"ignored"});
    EXPECT_LT(clock.elapsed(), 15000);
}

TEST(KZTaskInput, TextAndFileReplaceEachOther)
{
    const QString path =
        writeFile(TestSupport::homeDir() + QStringLiteral("/input.txt"), "from file\n");
    KZTask task;
    task.setStandardInputText("from text\n");
    task.setReadFromFilePath(path);
    auto lines = runShell("cat\n", task);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, QStringList{"from file"});

    KZTask other;
    other.setReadFromFilePath(path);
    other.setStandardInputText("from text\n");
    lines = runShell("cat\n", other);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, QStringList{"from text"});
}

TEST(KZTaskInput, TextNeverAppearsInTheArgumentList)
{
    KZTask task;
    task.setStandardInputText("hidden-secret\n");
    const auto lines = runShell("cat /proc/$$/cmdline | tr '\\0' ' '; echo; cat >/dev/null\n", task,
                                {QStringLiteral("visible")});
    ASSERT_TRUE(lines);
    ASSERT_FALSE(lines->isEmpty());
    EXPECT_TRUE(lines->first().contains("visible"));
    EXPECT_FALSE(lines->join('\n').contains("hidden-secret"));
}

TEST(KZTaskLaunch, DetachedProgramRunsInItsOwnSessionAndIsNeverOurChild)
{
    const QString report = TestSupport::homeDir() + "/detached-report.txt";
    const QString script = writeScript(
        "detached", "#!/bin/sh\nread line\necho \"$PPID $(ps -o sid= -p $$) ${line:-none} $1\" > "
                    "\"$2.tmp\"\nmv \"$2.tmp\" \"$2\"\n");
    QString error;
    ASSERT_TRUE(KZTask::launchDetached(script, {"a b", report}, &error)) << error.toStdString();
    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo::exists(report) && waited.elapsed() < 30000)
        QThread::msleep(20);
    const QStringList fields = QString::fromUtf8(readFile(report)).simplified().split(' ');
    ASSERT_EQ(fields.size(), 5) << readFile(report).toStdString();
    EXPECT_NE(fields.at(0).toLongLong(), qint64(::getpid()));
    EXPECT_NE(fields.at(1).toLongLong(), qint64(::getsid(0)));
    EXPECT_EQ(fields.at(2), "none");                     // standard input is /dev/null
    EXPECT_EQ(fields.at(3) + ' ' + fields.at(4), "a b"); // arguments pass unsplit

    EXPECT_FALSE(KZTask::launchDetached("/no/such/program", {}, &error));
    EXPECT_TRUE(error.contains("No such file")) << error.toStdString();
}
