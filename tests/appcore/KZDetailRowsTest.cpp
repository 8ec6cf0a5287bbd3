#include "KZDetailRows.h"
#include "ForgedDrives.h"
#include "KZPreferences.h"
#include "KZSMARTAttribute.h"
#include "KZSMARTErrorLog.h"
#include "KZSMARTSelfTestLog.h"

using ForgedDrives::withAttributes;
using namespace KZDetailRows;

namespace {

const KZSMARTAttribute *attributeWithID(const KZSMARTDrive &drive, qint32 id)
{
    for (quint64 index = 0; index < quint64(drive.driveAttributeCount()); ++index) {
        if (drive.driveAttribute(index)->getIDNumber() == id)
            return drive.driveAttribute(index);
    }
    ADD_FAILURE() << "no attribute " << id;
    static const KZSMARTAttribute none;
    return &none;
}

QStringList attributeRow(const KZSMARTAttribute &attribute)
{
    QStringList cells;
    for (int column = 0; column < attributeColumnCount; ++column)
        cells.append(attributeCellText(attribute, AttributeColumn(column)));
    return cells;
}

class DetailRows : public testing::Test
{
protected:
    void SetUp() override { KZPreferences::standard().registerApplicationDefaults(); }
};

} // namespace

TEST(DetailRowTexts, FlagsHaveAtLeastFourHexadecimalDigits)
{
    const std::pair<quint32, const char *> cases[] = {
        {0, "0x0000"},    {15, "0x000F"},   {47, "0x002F"},     {255, "0x00FF"},
        {4095, "0x0FFF"}, {4096, "0x1000"}, {0xabcd, "0xABCD"}, {0x12345, "0x12345"},
    };
    for (const auto &[flag, text] : cases)
        EXPECT_EQ(flagText(flag), QString::fromLatin1(text)) << flag;
}

TEST(DetailRowTexts, UnreadValuesNVMeTextsAndTemperatureRanges)
{
    KZSMARTAttribute attribute;
    attribute.setIDNumber(12);
    attribute.setValue(-1);
    attribute.setWorst(-1);
    attribute.setThresh(-1);
    attribute.setRaw(7);
    EXPECT_EQ(attributeRow(attribute),
              (QStringList{"12", "", "0x0000", "None", "None", "None", "", "", "", "7", "", ""}));

    // NVMe lines show their text, except temperature and power-on hours.
    attribute.setNvmeValue(QStringLiteral("1,234,567 [632 GB]"));
    EXPECT_EQ(attributeCellText(attribute, AttributeColumn::Raw), "1,234,567 [632 GB]");
    for (qint32 id : {9, 194}) {
        attribute.setIDNumber(id);
        EXPECT_EQ(attributeCellText(attribute, AttributeColumn::Raw), "7") << id;
    }

    attribute.setTemperatureAvailable(true);
    attribute.setMin(18);
    attribute.setMax(45);
    EXPECT_EQ(attributeCellText(attribute, AttributeColumn::Min), "18");
    EXPECT_EQ(attributeCellText(attribute, AttributeColumn::Max), "45");

    const std::pair<qint32, const char *> failed[] = {
        {0, ""}, {1, "Never"}, {2, "FAILING NOW"}, {3, "In the past"}};
    for (const auto &[state, text] : failed) {
        attribute.setFailed(state);
        EXPECT_EQ(attributeCellText(attribute, AttributeColumn::Failed), QString::fromLatin1(text));
    }
}

TEST(DetailRowTexts, WindowTitles)
{
    KZSMARTDrive backup;
    backup.setLocation("/dev/sdb");
    backup.addPartitionName("Backup");
    EXPECT_EQ(windowTitle(backup, "%1 Attributes"), "Backup Attributes");

    KZSMARTDrive two;
    two.setLocation("/dev/sdc");
    two.addPartitionName("A");
    two.addPartitionName("B");
    EXPECT_EQ(windowTitle(two, "%1 Errors"), "sdc Errors");

    KZSMARTDrive file;
    file.setLocation("/home/user/reports/disk0.twdr");
    file.setDriveAsFile(true);
    file.addPartitionName("Data");
    EXPECT_EQ(driveInfo(file).title, "disk0.twdr Drive information");
}

TEST_F(DetailRows, AttributeTableOfAForgedDrive)
{
    SKIP_WITHOUT_SMARTCTL();
    const auto drive = ForgedDrives::read(withAttributes(
        R"({"id": 1, "flags": 47, "value": 82, "worst": 64, "thresh": 44, "raw": 1633},
           {"id": 190, "flags": "0x0022", "value": 30, "worst": 30, "thresh": 40, "raw": 70},
           {"id": 194, "flags": "0x0022", "value": 36, "raw": [36, 0, 20, 0, 45, 0]})",
        R"("identity": {"serial": "ROWATTR1"})"));

    EXPECT_EQ(attributeRow(*attributeWithID(*drive, 1)),
              (QStringList{"1", "Raw_Read_Error_Rate", "0x002F", "82", "64", "44", "Pre-fail",
                           "Always", "Never", "1633", "", ""}));
    const KZSMARTAttribute &temperature = *attributeWithID(*drive, 194);
    EXPECT_EQ(attributeCellText(temperature, AttributeColumn::Raw), "36");
    EXPECT_EQ(attributeCellText(temperature, AttributeColumn::Min), "20");
    EXPECT_EQ(attributeCellText(temperature, AttributeColumn::Max), "45");

    // Attribute 190 failing now: black while ignored (the default), red otherwise.
    const KZSMARTAttribute &airflow = *attributeWithID(*drive, 190);
    ASSERT_EQ(airflow.getFailed(), KZSMARTAttribute::FailingNow);
    EXPECT_EQ(attributeRowTone(airflow, *drive, true, false), KZTone::Normal);
    EXPECT_EQ(attributeRowTone(airflow, *drive, false, false), KZTone::Alert);
    EXPECT_EQ(attributeRowTone(temperature, *drive, false, false), KZTone::Normal);
}

TEST_F(DetailRows, OnAFailedDriveAnOldReallocationFailureIsRedButAnOldEventFailureIsNot)
{
    SKIP_WITHOUT_SMARTCTL();
    const auto drive = ForgedDrives::read(withAttributes(
        R"({"id": 5, "flags": "0x0033", "value": 100, "worst": 5, "thresh": 10, "raw": 12},
           {"id": 196, "flags": "0x0032", "value": 100, "worst": 5, "thresh": 10, "raw": 12},
           {"id": 197, "raw": 0})",
        R"("identity": {"serial": "ROWPAST1"}, "health": "failing")"));
    ASSERT_EQ(drive->driveHealth(), 3);
    const KZSMARTAttribute &reallocated = *attributeWithID(*drive, 5);
    const KZSMARTAttribute &events = *attributeWithID(*drive, 196);
    ASSERT_EQ(reallocated.getFailed(), KZSMARTAttribute::FailedInThePast);
    ASSERT_EQ(events.getFailed(), KZSMARTAttribute::FailedInThePast);
    EXPECT_EQ(attributeRowTone(reallocated, *drive, true, false), KZTone::Alert);
    EXPECT_EQ(attributeRowTone(events, *drive, true, false), KZTone::Normal);
    EXPECT_EQ(attributeRowTone(*attributeWithID(*drive, 197), *drive, true, false), KZTone::Normal);
}

TEST_F(DetailRows, AtMostFiveErrorsAreListed)
{
    SKIP_WITHOUT_SMARTCTL();
    QByteArray entries;
    for (int hours : {1200, 1100, 1000, 900, 800})
        entries += (entries.isEmpty() ? "" : ",") + QByteArray("{\"lifetimeHours\": ") +
                   QByteArray::number(hours) + "}";
    const auto drive = ForgedDrives::read(
        R"({"identity": {"serial": "ROWERR12"}, "errorLog": {"count": 12, "entries": [)" + entries +
        "]}}");
    ASSERT_EQ(drive->driveTotalErrors(), 12);
    ASSERT_EQ(errorRowCount(*drive), 5);
    const KZSMARTErrorLog newest = *drive->driveErrorLog(0);
    EXPECT_EQ(errorCellText(newest, ErrorColumn::Number), "12");
    EXPECT_EQ(errorCellText(newest, ErrorColumn::Time), "1200 hours");
    EXPECT_EQ(errorCellText(newest, ErrorColumn::Error), "Uncorrectable Error");
    EXPECT_EQ(errorCellText(newest, ErrorColumn::Command), "READ DMA");
    EXPECT_EQ(errorCellText(*drive->driveErrorLog(4), ErrorColumn::Time), "800 hours");

    // No rows of zeros for entries that were not read; no hours for an
    // entry that has none.
    KZSMARTDrive unread;
    EXPECT_EQ(errorRowCount(unread), 0);
    KZSMARTErrorLog timeless;
    timeless.setTime(-1);
    EXPECT_EQ(errorCellText(timeless, ErrorColumn::Time), "-");
}

TEST_F(DetailRows, SelfTestLogAndDriveInformation)
{
    SKIP_WITHOUT_SMARTCTL();
    const auto drive = ForgedDrives::read(
        R"({"identity": {"serial": "ROWINFO1", "sataVersion": "3.2"}, "selfTestStatus": "0x74",
            "offlineCapabilities": "0x5b", "shortTestMinutes": 2, "longTestMinutes": 300,
            "selfTestLog": [{"type": 1, "status": "0x74", "lifetimeHours": 90, "lba": 4096},
                            {"type": 2, "status": "0x00", "lifetimeHours": 80}]})");
    const KZSMARTSelfTestLog first = *drive->driveSelfTestLog(0);
    QStringList cells;
    for (int column = 0; column < selfTestColumnCount; ++column)
        cells.append(selfTestCellText(first, SelfTestColumn(column)));
    EXPECT_EQ(cells,
              (QStringList{"1", "Short offline", "Completed: read failure", "40%", "90", "4096"}));
    EXPECT_EQ(selfTestCellText(*drive->driveSelfTestLog(1), SelfTestColumn::LBA), "-");
    EXPECT_EQ(selfTestRowTone(*drive), KZTone::Alert);

    const DriveInfo info = driveInfo(*drive);
    EXPECT_EQ(info.title, "drive.twdr Drive information");
    EXPECT_EQ(info.model, "FORGED TEST DISK 1TB");
    EXPECT_EQ(info.modelFamily, drive->driveModelFamily().value_or("-"));
    EXPECT_EQ(info.versionCaption, QStringLiteral("SATA Version:"));
    EXPECT_TRUE(info.version.startsWith("SATA 3.2")) << info.version.toStdString();
    EXPECT_EQ(info.selfTestExecutionTone, KZTone::Alert);
    EXPECT_EQ(info.shortSelfTestTime, "2 minutes");
    EXPECT_EQ(info.extendedSelfTestTime, "300 minutes");
    EXPECT_EQ(info.conveyanceSelfTestTime, "-"); // bit 0x20 clear
    QStringList on;
    for (const Capability &capability : info.capabilities) {
        if (capability.on)
            on.append(capability.name);
    }
    EXPECT_TRUE(on.contains("selfTest"));
    EXPECT_TRUE(on.contains("selectiveSelfTest"));
    EXPECT_FALSE(on.contains("conveyanceSelfTest"));
    EXPECT_EQ(info.capabilities.size(), 13);

    // A drive with nothing read: unchecked boxes, dashes, the texts of code 0.
    const DriveInfo empty = driveInfo(KZSMARTDrive());
    EXPECT_EQ(empty.model, "-");
    EXPECT_FALSE(empty.versionCaption);
    EXPECT_EQ(empty.version, "-");
    EXPECT_EQ(empty.shortSelfTestTime, "0 minutes");
    EXPECT_EQ(empty.conveyanceSelfTestTime, "-");
    EXPECT_EQ(empty.offlineDataCollectionActivity, "was never started");
    EXPECT_EQ(empty.selfTestExecutionTone, KZTone::Normal);
    for (const Capability &capability : empty.capabilities)
        EXPECT_FALSE(capability.on) << capability.name.toStdString();
}
