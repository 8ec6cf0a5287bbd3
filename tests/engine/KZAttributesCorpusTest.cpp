// The attribute tables of the real outputs in the corpus, read row by row
// and judged.
#include "AttributesFixture.h"
#include "CorpusSections.h"
#include "KZSMARTDrive.h"
#include "TestSupport.h"

#include <QRegularExpression>

using AttributesFixture::Attributes;
using AttributesFixture::reasons;
using TestSupport::FakeSmartctl;

namespace {

class CorpusAttributes : public Attributes, public ::testing::WithParamInterface<const char *>
{
};

} // namespace

TEST_P(CorpusAttributes, EveryTableIsReadRowByRow)
{
    SKIP_WITHOUT_CORPUS();
    const QStringList reports = CorpusSections::reports(QString::fromLatin1(GetParam()));
    if (reports.isEmpty())
        GTEST_SKIP() << "no reports in " << GetParam();
    int tables = 0, nvmeTables = 0;
    for (const QString &report : reports) {
        SCOPED_TRACE(report.toStdString());
        const QByteArray identity = CorpusSections::output(report, "-i");
        const QByteArray table = CorpusSections::output(report, "-A");
        FakeSmartctl fake({{"i", identity}, {"A", table}});
        KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
        drive.setLocation("/dev/corpus");
        drive.setSmartctlOverride(fake.program());
        drive.parseInfo();
        drive.parseAttributes();

        const QStringList section = CorpusSections::lines(table).value_or(QStringList());
        qsizetype header = -1;
        for (qsizetype index = 0; index < section.size() && header < 0; ++index) {
            if (section[index].contains("ID# ATTRIBUTE_NAME") ||
                section[index].contains("NVMe Log"))
                header = index;
        }
        if (header < 0) {
            EXPECT_EQ(drive.driveAttributeCount(), 0);
            continue;
        }
        ++tables;
        nvmeTables += drive.driveIsNVMe() ? 1 : 0;
        QStringList rows = section.mid(header + 1);
        rows.removeIf([](const QString &line) { return line.contains("REPLAY-IOCTL"); });
        ASSERT_EQ(drive.driveAttributeCount(), rows.size());

        const QStringList columns =
            section[header].split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
        const bool fullTable = columns.contains("WHEN_FAILED");
        for (qsizetype index = 0; index < rows.size(); ++index) {
            const KZSMARTAttribute *attribute = drive.driveAttribute(index);
            const QStringList fields =
                rows[index].split(QRegularExpression("[ \\t]+"), Qt::SkipEmptyParts);
            if (drive.driveIsNVMe()) {
                const QString name = rows[index].left(rows[index].indexOf(": "));
                if (name == "Temperature")
                    EXPECT_EQ(attribute->getIDNumber(), 194);
                else if (name == "Power On Hours")
                    EXPECT_EQ(attribute->getIDNumber(), 9);
                else
                    EXPECT_EQ(attribute->getName(), name);
                EXPECT_TRUE(attribute->nvmeValue());
                continue;
            }
            if (fields.isEmpty() || !fields[0].front().isDigit())
                continue; // legend lines of the brief format: sentinels only
            EXPECT_EQ(attribute->getIDNumber(), fields[0].toInt()) << rows[index].toStdString();
            EXPECT_EQ(attribute->getName(), fields.value(1));
            EXPECT_EQ(attribute->getValue(), fields.value(3).toLongLong());
            EXPECT_EQ(attribute->getWorst(), fields.value(4).toLongLong());
            bool numeric = false;
            const qint64 thresh = fields.value(5).toLongLong(&numeric);
            EXPECT_EQ(attribute->getThresh(), numeric ? thresh : -1);
            if (!fullTable)
                continue;
            EXPECT_EQ(attribute->getFlag(), fields.value(2).toUInt(nullptr, 16));
            EXPECT_EQ(attribute->getType(), fields.value(6));
            EXPECT_EQ(attribute->getUpdated(), fields.value(7));
            const QString whenFailed = fields.value(8);
            EXPECT_EQ(attribute->getFailed(), whenFailed == "FAILING_NOW"   ? 2
                                              : whenFailed == "In_the_past" ? 3
                                                                            : 1);
            const QRegularExpressionMatch raw =
                QRegularExpression("^[0-9]+").match(fields.value(9));
            EXPECT_EQ(attribute->getRaw(), raw.hasMatch() ? raw.captured().toLongLong() : -1);
            EXPECT_EQ(attribute->getTemperatureAvailable(), rows[index].contains("Min/Max"));
        }
    }
    EXPECT_GT(tables, 0);
    if (QString::fromLatin1(GetParam()) == "nvme") {
        EXPECT_GE(nvmeTables, 10);
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusAttributes, CorpusSections::categories);

TEST_F(Attributes, CorpusFailuresAreJudged)
{
    SKIP_WITHOUT_CORPUS();
    const QString report = TestSupport::corpusFile(
        "ata-failing/forum_543_HTS543232A7A384_a_FAILING_NOW-UNC-readfail.txt");
    if (report.isEmpty())
        GTEST_SKIP() << "corpus file absent";
    const QByteArray table = CorpusSections::output(report, "-A");
    const QStringList now =
        CorpusSections::lines(table).value_or(QStringList()).filter("FAILING_NOW");
    ASSERT_FALSE(now.isEmpty());
    FakeSmartctl fake({{"i", CorpusSections::output(report, "-i")},
                       {"H", CorpusSections::output(report, "-H")},
                       {"A", table}});
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation("/dev/corpus-failing");
    drive.setSmartctlOverride(fake.program());
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 3);
    // Every row failing now gives one reason (190 is ignored by default).
    qsizetype expectedReasons = 0;
    for (const QString &row : now)
        expectedReasons += row.trimmed().startsWith("190 ") ? 0 : 1;
    EXPECT_EQ(reasons(drive).size(), expectedReasons);
}
