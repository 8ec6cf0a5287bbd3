#include "AttributesFixture.h"
#include "ForgedCapture.h"
#include "KZSMARTDrive.h"
#include "KZTask.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <array>
#include <limits>

using AttributesFixture::Attributes;
using AttributesFixture::reasons;
using ForgedCapture::forge;
using ForgedCapture::replayDrive;
using TestSupport::FakeSmartctl;

namespace {

const QByteArray banner = TestSupport::smartctlBanner;

const QByteArray tableHeader =
    "=== START OF READ SMART DATA SECTION ===\n"
    "SMART Attributes Data Structure revision number: 16\n"
    "Vendor Specific SMART Attributes with Thresholds:\n"
    "ID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE      UPDATED  WHEN_FAILED "
    "RAW_VALUE\n";

// A forge description: a drive with this serial number and attribute list.
QByteArray driveJson(const QByteArray &serial, const QByteArray &attributes,
                     const QByteArray &extra = {})
{
    return "{\"identity\": {\"serial\": \"" + serial + "\"}, " + extra + "\"attributes\": [" +
           attributes + "]}";
}

std::array<qint32, 5> failLevels(const KZSMARTDrive &drive)
{
    return {drive.driveReallocatedSectorsFail(), drive.driveReallocatedEventsFail(),
            drive.driveCurrentSectorsFail(), drive.driveOfflineSectorsFail(),
            drive.driveOtherAttributesFail()};
}

const KZSMARTAttribute *attributeWithID(const KZSMARTDrive &drive, qint32 id)
{
    for (quint64 index = 0; index < quint64(drive.driveAttributeCount()); ++index) {
        if (drive.driveAttribute(index)->getIDNumber() == id)
            return drive.driveAttribute(index);
    }
    return nullptr;
}

using ForgedAttributes = Attributes;

} // namespace

TEST_F(ForgedAttributes, HealthyDriveReadsEveryColumnAndStaysPassed)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString capture =
        forge("healthy", driveJson("ATTRHEALTHY1",
                                   R"({"id": 1, "flags": "0x000f", "value": 82, "worst": 64,
                                       "thresh": 44, "raw": 163345236},
                                      {"id": 5, "flags": "0x0033", "value": 100, "thresh": 10},
                                      {"id": 9, "raw": 9876},
                                      {"id": 190, "flags": "0x0022", "value": 64,
                                       "thresh": 40, "raw": [36, 0, 20, 45, 0, 0]},
                                      {"id": 194, "flags": "0x0022", "value": 36,
                                       "raw": [36, 0, 20, 0, 45, 0]},
                                      {"id": 196, "raw": 0}, {"id": 197, "raw": 0},
                                      {"id": 198, "flags": "0x0010", "raw": 0},
                                      {"id": 199, "flags": "0x003e", "value": 200, "raw": 3},
                                      {"id": 241, "flags": "0x0000", "raw": 81985529216})",
                                   R"("attributeRevision": 10, )"));
    KZSMARTDrive drive = TestSupport::diskDrive(capture);
    drive.updateInfo();

    EXPECT_FALSE(drive.exceptionOccurred());
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_EQ(failLevels(drive), (std::array<qint32, 5>{1, 1, 1, 1, 1}));
    EXPECT_FALSE(drive.getFailureReasonsText());
    EXPECT_EQ(drive.driveAttributeRevision(), 10);
    ASSERT_EQ(drive.driveAttributeCount(), 10);
    ASSERT_TRUE(drive.driveAttributes());
    EXPECT_EQ(drive.driveAttributes()->size(), 10);
    EXPECT_EQ(drive.driveAttribute(10), nullptr);

    const KZSMARTAttribute *first = drive.driveAttribute(0);
    EXPECT_EQ(first->getIDNumber(), 1);
    EXPECT_EQ(first->getName(), QStringLiteral("Raw_Read_Error_Rate"));
    EXPECT_EQ(first->getFlag(), 0x000fu);
    EXPECT_EQ(first->getValue(), 82);
    EXPECT_EQ(first->getWorst(), 64);
    EXPECT_EQ(first->getThresh(), 44);
    EXPECT_EQ(first->getType(), QStringLiteral("Pre-fail"));
    EXPECT_EQ(first->getUpdated(), QStringLiteral("Always"));
    EXPECT_EQ(first->getFailed(), 1);
    EXPECT_EQ(first->getRaw(), 163345236);
    EXPECT_FALSE(first->getTemperatureAvailable());
    EXPECT_FALSE(first->nvmeValue());

    const KZSMARTAttribute *temperature = attributeWithID(drive, 194);
    ASSERT_NE(temperature, nullptr);
    EXPECT_EQ(temperature->getName(), QStringLiteral("Temperature_Celsius"));
    EXPECT_EQ(temperature->getRaw(), 36);
    EXPECT_EQ(temperature->getMin(), 20);
    EXPECT_EQ(temperature->getMax(), 45);
    EXPECT_TRUE(temperature->getTemperatureAvailable());
    EXPECT_EQ(attributeWithID(drive, 198)->getUpdated(), QStringLiteral("Offline"));

    EXPECT_EQ(drive.drivePowerOnHours(), 9876);
    EXPECT_EQ(drive.driveAirflowTemperature(), 36);
    EXPECT_EQ(drive.driveTemperature(), 36);
    EXPECT_EQ(drive.drivePendingBadSectors(), 0);
    EXPECT_EQ(drive.driveRemovedBadSectors(), 0);
    EXPECT_EQ(drive.driveReallocatedBadSectors(), 0);
    EXPECT_EQ(drive.driveCRCErrorCount(), 3);
    EXPECT_EQ(drive.readRawAttribute(241), 81985529216);
    EXPECT_EQ(drive.readRawAttribute(2), -1);

    // The counts are remembered under the serial number even with remembering off.
    KZPreferences &preferences = KZPreferences::standard();
    for (const char *suffix : {"_LastReallocatedSectorCount", "_LastReallocatedEventCount",
                               "_LastCurrentSectorCount", "_LastOfflineSectorCount"}) {
        EXPECT_TRUE(preferences.hasStoredValue(QStringLiteral("ATTRHEALTHY1") + suffix)) << suffix;
        EXPECT_EQ(preferences.integerForKey(QStringLiteral("ATTRHEALTHY1") + suffix), 0);
    }

    const QJsonObject json = drive.toJSON();
    EXPECT_EQ(json.value("attributeRevision").toInt(), 10);
    EXPECT_EQ(json.value("attributeCount").toInt(), 10);
    EXPECT_EQ(json.value("nvmeNextAttributeID").toInt(), -1);
    const QJsonArray rows = json.value("attributes").toArray();
    ASSERT_EQ(rows.size(), 10);
    const QJsonObject row = rows.at(8).toObject();
    EXPECT_EQ(row.value("idNumber").toInt(), 199);
    EXPECT_EQ(row.value("name").toString(), QStringLiteral("UDMA_CRC_Error_Count"));
    EXPECT_EQ(row.value("flag").toInteger(), 0x3e);
    EXPECT_EQ(row.value("failed").toInt(), 1);
    EXPECT_EQ(row.value("raw").toInteger(), 3);
    EXPECT_TRUE(row.value("nvmeValue").isNull());
    EXPECT_EQ(rows.at(9).toObject().value("raw").toInteger(), 81985529216);
    const QStringList keys = row.keys();
    for (const char *key :
         {"idNumber", "flag", "value", "worst", "thresh", "type", "updated", "failed", "raw",
          "name", "min", "max", "temperatureAvailable", "nvmeValue"})
        EXPECT_TRUE(keys.contains(QString::fromLatin1(key))) << key;
    for (const char *key : {"reallocatedSectorsFail", "reallocatedEventsFail", "currentSectorsFail",
                            "offlineSectorsFail", "otherAttributesFail"})
        EXPECT_EQ(json.value(QString::fromLatin1(key)).toInt(), 1) << key;
}

TEST_F(ForgedAttributes, ReallocatedSectorsFailingNowMakeTheDriveFailed)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString capture =
        forge("realloc-now", driveJson("ATTRNOW00001",
                                       R"({"id": 5, "flags": "0x0033", "value": 3, "worst": 3,
                                     "thresh": 10, "raw": 3920}, {"id": 9, "raw": 100})"));
    KZSMARTDrive drive = TestSupport::diskDrive(capture);
    drive.updateInfo();
    EXPECT_EQ(drive.driveOverallHealth(), QStringLiteral("PASSED"));
    EXPECT_EQ(drive.driveHealth(), 3);
    EXPECT_EQ(drive.driveAttribute(0)->getFailed(), 2);
    EXPECT_EQ(failLevels(drive), (std::array<qint32, 5>{3, 1, 1, 1, 1}));
    // The drive is failed already, so the large count adds no reason of its own.
    EXPECT_EQ(reasons(drive), QStringList{"Reallocated bad sector status is failed"});
    EXPECT_EQ(drive.toJSON().value("reallocatedSectorsFail").toInt(), 3);
    EXPECT_EQ(KZPreferences::standard().integerForKey("ATTRNOW00001_LastReallocatedSectorCount"),
              3920);
}

TEST_F(ForgedAttributes, EveryFailingNowAttributeAddsItsReasonInTableOrder)
{
    SKIP_WITHOUT_SMARTCTL();
    setBool("IgnoreAttribute190", false);
    const QString capture = forge("all-now", driveJson("ATTRNOW00002",
                                                       R"({"id": 1, "value": 1, "thresh": 51},
                                      {"id": 5, "value": 1, "thresh": 10, "raw": 1},
                                      {"id": 190, "value": 30, "thresh": 45, "raw": 70},
                                      {"id": 196, "value": 1, "thresh": 10, "raw": 1},
                                      {"id": 197, "value": 1, "thresh": 10, "raw": 1},
                                      {"id": 198, "value": 1, "thresh": 10, "raw": 1})",
                                                       R"("health": "failing", )"));
    KZSMARTDrive drive = replayDrive(capture);
    drive.setDebugState(true);
    TestSupport::StderrCapture log;
    drive.updateInfo();
    EXPECT_EQ(log.text().count("Found failed attribute!!"), 6);
    EXPECT_EQ(drive.driveHealth(), 3);
    EXPECT_EQ(failLevels(drive), (std::array<qint32, 5>{3, 3, 3, 3, 3}));
    EXPECT_EQ(reasons(drive),
              (QStringList{"Attribute 1 failed", "Reallocated bad sector status is failed",
                           "Attribute 190 status is failed", "Reallocated event status is failed",
                           "Current bad sectors status is failed",
                           "Offline bad sector status is failed"}));
}

TEST_F(ForgedAttributes, AttributeFailedInThePastMakesTheDriveFailing)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString capture = forge(
        "past", driveJson("ATTRPAST0001", R"({"id": 1, "value": 100, "worst": 40, "thresh": 51,
                                              "raw": 3}, {"id": 9, "raw": 7})"));
    KZSMARTDrive drive = replayDrive(capture);
    drive.setDebugState(true);
    TestSupport::StderrCapture log;
    drive.updateInfo();
    EXPECT_EQ(drive.driveAttribute(0)->getFailed(), 3);
    EXPECT_EQ(drive.driveHealth(), 2);
    EXPECT_EQ(failLevels(drive), (std::array<qint32, 5>{1, 1, 1, 1, 2}));
    EXPECT_EQ(reasons(drive), QStringList{"Attribute 1 failed in the past"});
    const QString text = log.text();
    EXPECT_EQ(text.count("Found failing in the past attribute!!"), 1);
    EXPECT_EQ(text.count("Found attribute."), 2);
    EXPECT_TRUE(text.contains("Parsing attributes."));
    EXPECT_TRUE(text.contains("Found SMART attributes data structure revision."));
    EXPECT_TRUE(text.contains("Done parsing attributes"));

    // A refresh of the same drive object adds the reason again: reasons accumulate.
    drive.setDebugState(false);
    drive.updateInfo();
    EXPECT_EQ(reasons(drive),
              (QStringList{"Attribute 1 failed in the past", "Attribute 1 failed in the past"}));
}

TEST_F(ForgedAttributes, EveryPastFailureHasItsOwnReason)
{
    SKIP_WITHOUT_SMARTCTL();
    setBool("IgnoreAttribute190", false);
    const QByteArray past = R"({"id": 5, "worst": 5, "thresh": 10},
                               {"id": 190, "worst": 30, "thresh": 40, "raw": 40},
                               {"id": 196, "worst": 5, "thresh": 10},
                               {"id": 197, "worst": 5, "thresh": 10},
                               {"id": 198, "worst": 5, "thresh": 10},
                               {"id": 3, "worst": 5, "thresh": 10})";
    KZSMARTDrive drive = replayDrive(forge("all-past", driveJson("ATTRPAST0002", past)));
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 2);
    EXPECT_EQ(failLevels(drive), (std::array<qint32, 5>{2, 2, 2, 2, 2}));
    EXPECT_EQ(reasons(drive), (QStringList{"Reallocated bad sector status failed in the past",
                                           "Attribute 190 status is failed in the past",
                                           "Reallocated event status failed in the past",
                                           "Current bad sector status failed in the past",
                                           "Offline bad sector status failed in the past",
                                           "Attribute 3 failed in the past"}));

    // A drive whose overall health is already FAILED collects no past failures.
    KZSMARTDrive failed = replayDrive(
        forge("all-past-failed",
              driveJson("ATTRPAST0003", past + R"(, {"id": 7, "value": 1, "thresh": 30})",
                        R"("health": "failing", )")));
    failed.updateInfo();
    EXPECT_EQ(failed.driveHealth(), 3);
    EXPECT_EQ(failLevels(failed), (std::array<qint32, 5>{1, 1, 1, 1, 3}));
    EXPECT_EQ(reasons(failed), QStringList{"Attribute 7 failed"});
}

TEST_F(ForgedAttributes, GrownBadSectorCountWithRememberingOnAndOff)
{
    SKIP_WITHOUT_SMARTCTL();
    const auto capture = [](qint64 raw) {
        return forge("grown", driveJson("ATTRGROWN001", QByteArray(R"({"id": 5, "raw": )") +
                                                            QByteArray::number(raw) + "}"));
    };
    const QString key = QStringLiteral("ATTRGROWN001_LastReallocatedSectorCount");
    forgetAfterwards(key);

    // Remembering off: a count above 0 makes the drive failing at every refresh.
    KZSMARTDrive drive = TestSupport::diskDrive(capture(8));
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 2);
    EXPECT_EQ(drive.driveReallocatedSectorsFail(), 2);
    EXPECT_EQ(reasons(drive), QStringList{"Too many reallocated bad sectors"});
    EXPECT_EQ(KZPreferences::standard().integerForKey(key), 8);
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 2);
    EXPECT_EQ(reasons(drive).size(), 2);

    // Remembering on: the same count is no news.
    setBool("RememberBadSectors", true);
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_EQ(drive.driveReallocatedSectorsFail(), 1);
    EXPECT_EQ(reasons(drive).size(), 2);

    // ... a grown count is.
    capture(9);
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 2);
    EXPECT_EQ(drive.driveReallocatedSectorsFail(), 2);
    EXPECT_EQ(reasons(drive).size(), 3);
    EXPECT_EQ(KZPreferences::standard().integerForKey(key), 9);

    // ... and a shrunk one is not, but it is remembered.
    capture(4);
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_EQ(KZPreferences::standard().integerForKey(key), 4);
}

TEST_F(ForgedAttributes, EveryBadSectorCountHasItsOwnReasonAndKey)
{
    SKIP_WITHOUT_SMARTCTL();
    setBool("IgnoreAttribute196", false);
    KZSMARTDrive drive =
        TestSupport::diskDrive(forge("counts", driveJson("ATTRCOUNT001", R"({"id": 5, "raw": 1},
                                                                 {"id": 196, "raw": 2},
                                                                 {"id": 197, "raw": 3},
                                                                 {"id": 198, "raw": 4})")));
    drive.setDebugState(true);
    TestSupport::StderrCapture log;
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 2);
    EXPECT_EQ(failLevels(drive), (std::array<qint32, 5>{2, 2, 2, 2, 1}));
    EXPECT_EQ(reasons(drive),
              (QStringList{"Too many reallocated bad sectors", "Too many reallocated events",
                           "Too many current bad sectors", "Too many offline bad sectors"}));
    const QString text = log.text();
    for (const char *line :
         {"Found too many reallocated bad sectors!!!", "Found too many reallocated events!!!",
          "Found too many current bad sectors!!!", "Found too many offline bad sectors!!!"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(line))) << line;
    KZPreferences &preferences = KZPreferences::standard();
    EXPECT_EQ(preferences.integerForKey("ATTRCOUNT001_LastReallocatedSectorCount"), 1);
    EXPECT_EQ(preferences.integerForKey("ATTRCOUNT001_LastReallocatedEventCount"), 2);
    EXPECT_EQ(preferences.integerForKey("ATTRCOUNT001_LastCurrentSectorCount"), 3);
    EXPECT_EQ(preferences.integerForKey("ATTRCOUNT001_LastOfflineSectorCount"), 4);
}

TEST_F(ForgedAttributes, CustomBadSectorLimitIsExclusiveAndHugeCountsNeverCount)
{
    SKIP_WITHOUT_SMARTCTL();
    setBool("CustomBadSectorCount", true);
    setInteger("CustomBadSectorCountValue", 8);
    struct Case
    {
        qint64 raw;
        qint32 health;
    };
    for (const Case c :
         {Case{8, 1}, Case{9, 2}, Case{999999, 2}, Case{1000000, 1}, Case{281474976710655, 1}}) {
        KZSMARTDrive drive = TestSupport::diskDrive(
            forge("custom", driveJson("ATTRCUSTOM01",
                                      R"({"id": 197, "raw": )" + QByteArray::number(c.raw) + "}")));
        drive.updateInfo();
        EXPECT_EQ(drive.driveHealth(), c.health) << c.raw;
        EXPECT_EQ(drive.driveCurrentSectorsFail(), c.health) << c.raw;
        EXPECT_EQ(reasons(drive).size(), c.health == 2 ? 1 : 0) << c.raw;
        // Stored truncated to 32 bits.
        EXPECT_EQ(KZPreferences::standard().integerForKey("ATTRCUSTOM01_LastCurrentSectorCount"),
                  qint64(qint32(c.raw)))
            << c.raw;
    }
}

TEST_F(ForgedAttributes, Attribute190And196IgnoreSwitches)
{
    SKIP_WITHOUT_SMARTCTL();
    const QByteArray table = R"({"id": 190, "flags": "0x0022", "value": 40, "thresh": 45,
                                 "raw": [60, 0, 20, 70, 0, 0]},
                                {"id": 196, "raw": 5})";
    const QString capture = forge("ignore", driveJson("ATTRIGNORE01", table));

    // Defaults: 190 ignored, 196 judged.
    KZSMARTDrive defaults = TestSupport::diskDrive(capture);
    defaults.updateInfo();
    EXPECT_EQ(defaults.driveAttribute(0)->getFailed(), 2);
    EXPECT_EQ(defaults.driveHealth(), 2);
    EXPECT_EQ(failLevels(defaults), (std::array<qint32, 5>{1, 2, 1, 1, 1}));
    EXPECT_EQ(reasons(defaults), QStringList{"Too many reallocated events"});

    setBool("IgnoreAttribute196", true);
    KZSMARTDrive both = TestSupport::diskDrive(capture);
    both.updateInfo();
    EXPECT_EQ(both.driveHealth(), 1);
    EXPECT_EQ(failLevels(both), (std::array<qint32, 5>{1, 1, 1, 1, 1}));
    EXPECT_FALSE(both.getFailureReasonsText());
    // Ignored counts are still remembered.
    EXPECT_EQ(KZPreferences::standard().integerForKey("ATTRIGNORE01_LastReallocatedEventCount"), 5);

    setBool("IgnoreAttribute190", false);
    KZSMARTDrive judged = TestSupport::diskDrive(capture);
    judged.updateInfo();
    EXPECT_EQ(judged.driveHealth(), 3);
    EXPECT_EQ(failLevels(judged), (std::array<qint32, 5>{1, 1, 1, 1, 3}));
    EXPECT_EQ(reasons(judged), QStringList{"Attribute 190 status is failed"});
}

TEST_F(ForgedAttributes, FahrenheitConvertsTemperaturesAndTheirNames)
{
    SKIP_WITHOUT_SMARTCTL();
    setBool("DisplayTempInFahrenheit", true);
    const QString capture =
        forge("fahrenheit", driveJson("ATTRFAHREN01", R"({"id": 190, "raw": [35, 0, 20, 45, 0, 0]},
                                                         {"id": 194, "raw": [36, 0, 20, 0, 45, 0]},
                                                         {"id": 9, "raw": 36})"));
    KZSMARTDrive drive = replayDrive(capture);
    drive.updateInfo();
    const KZSMARTAttribute *airflow = attributeWithID(drive, 190);
    const KZSMARTAttribute *temperature = attributeWithID(drive, 194);
    ASSERT_TRUE(airflow && temperature);
    EXPECT_EQ(airflow->getRaw(), 95);
    EXPECT_EQ(temperature->getRaw(), 96);
    EXPECT_EQ(temperature->getMin(), 68);
    EXPECT_EQ(temperature->getMax(), 113);
    EXPECT_EQ(temperature->getName(), QStringLiteral("Temperature (F)"));
    EXPECT_EQ(airflow->getName(), QStringLiteral("Temperature (F)"));
    EXPECT_EQ(drive.driveTemperature(), 96);
    EXPECT_EQ(drive.drivePowerOnHours(), 36);
    EXPECT_EQ(attributeWithID(drive, 9)->getName(), QStringLiteral("Power_On_Hours"));
}

TEST_F(Attributes, RowsFromTextKeepTheirSentinels)
{
    const QByteArray rows =
        "  5 Reallocated_Sector_Ct   zz       abc   100   ---    Pre-fail  Always       -       "
        "xyz\n"
        "  7\n"
        "    \n"
        "99999999999 Huge 0x1ffffffffff 99999999999999999999 -5 +7 T U In_the_past-now "
        "-99999999999999999999\n"
        "194 Temperature_Celsius     0x0022   036   045   000    Old_age   Always       -       "
        "36 (Min/Max 20/45)\n"
        "231 Temperature_Celsius     0x0022   036   045   000    Old_age   Always       -       "
        "36 (Min/Max\n"
        "REPLAY-IOCTL: Warning: 5 command(s) not replayed\n"
        "12 Power_Cycle_Count 0x0032 100 100 000 Old_age Always - 14\r\n";
    FakeSmartctl fake({{"A", banner + tableHeader + rows}});
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation("/dev/sdx");
    drive.setSmartctlOverride(fake.program());
    drive.parseAttributes();
    ASSERT_EQ(drive.driveAttributeCount(), 7);
    EXPECT_EQ(drive.driveAttributeRevision(), 16);

    const KZSMARTAttribute *garbled = drive.driveAttribute(0);
    EXPECT_EQ(garbled->getIDNumber(), 5);
    EXPECT_EQ(garbled->getFlag(), 0u);
    EXPECT_EQ(garbled->getValue(), -1);
    EXPECT_EQ(garbled->getWorst(), 100);
    EXPECT_EQ(garbled->getThresh(), -1);
    EXPECT_EQ(garbled->getType(), QStringLiteral("Pre-fail"));
    EXPECT_EQ(garbled->getFailed(), 1);
    EXPECT_EQ(garbled->getRaw(), -1);

    const KZSMARTAttribute *idOnly = drive.driveAttribute(1);
    EXPECT_EQ(idOnly->getIDNumber(), 7);
    EXPECT_FALSE(idOnly->getName());
    EXPECT_EQ(idOnly->getValue(), -1);
    EXPECT_EQ(idOnly->getWorst(), -1);
    EXPECT_EQ(idOnly->getThresh(), -1);
    EXPECT_FALSE(idOnly->getType());
    EXPECT_FALSE(idOnly->getUpdated());
    EXPECT_EQ(idOnly->getFailed(), 0);
    EXPECT_EQ(idOnly->getRaw(), -1);

    // A line of blanks is a row too, made only of sentinels.
    const KZSMARTAttribute *blank = drive.driveAttribute(2);
    EXPECT_EQ(blank->getIDNumber(), 0);
    EXPECT_FALSE(blank->getName());
    EXPECT_EQ(blank->getRaw(), -1);

    const KZSMARTAttribute *huge = drive.driveAttribute(3);
    EXPECT_EQ(huge->getIDNumber(), std::numeric_limits<qint32>::max());
    EXPECT_EQ(huge->getFlag(), 0xffffffffu);
    EXPECT_EQ(huge->getValue(), std::numeric_limits<qint64>::max());
    EXPECT_EQ(huge->getWorst(), -5);
    EXPECT_EQ(huge->getThresh(), 7);
    EXPECT_EQ(huge->getFailed(), 3); // later tests win
    EXPECT_EQ(huge->getRaw(), std::numeric_limits<qint64>::min());

    // A Min/Max without numbers still marks the row as a temperature.
    const KZSMARTAttribute *open = drive.driveAttribute(5);
    EXPECT_EQ(open->getIDNumber(), 231);
    EXPECT_TRUE(open->getTemperatureAvailable());
    EXPECT_EQ(open->getMin(), 0);
    EXPECT_EQ(open->getMax(), 0);

    // The REPLAY-IOCTL line is skipped; the last row keeps its carriage return out of the raw.
    EXPECT_EQ(drive.readRawAttribute(12), 14);
    // The garbled "In_the_past-now" column still reads as failed in the past.
    EXPECT_EQ(drive.driveHealth(), 2);
    EXPECT_EQ(reasons(drive), QStringList{"Attribute 2147483647 failed in the past"});
}

TEST_F(Attributes, FahrenheitLeavesUnreadableTemperaturesAtTheirSentinel)
{
    setBool("DisplayTempInFahrenheit", true);
    FakeSmartctl fake({{"A", banner + tableHeader +
                                 "194 Temperature_Celsius 0x0022 036 045 000 Old_age Always - -\n"
                                 "190 Airflow_Temperature_Cel 0x0022 036 045 000 Old_age Always - "
                                 "-40 (Min/Max -40/0)\n"
                                 "231 Temperature_Celsius 0x0022 036 045 000 Old_age Always - 30 "
                                 "(Min/Max 10/40)\n"}});
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation("/dev/sdx");
    drive.setSmartctlOverride(fake.program());
    drive.parseAttributes();
    ASSERT_EQ(drive.driveAttributeCount(), 3);
    EXPECT_EQ(drive.driveAttribute(0)->getRaw(), -1);
    EXPECT_EQ(drive.driveAttribute(1)->getRaw(), -40);
    // Min/Max only reads digits, so the minus signs of the range are not seen.
    EXPECT_EQ(drive.driveAttribute(1)->getMin(), 104);
    EXPECT_EQ(drive.driveAttribute(1)->getMax(), 32);
    // Other IDs keep their raw value but convert their range.
    EXPECT_EQ(drive.driveAttribute(2)->getRaw(), 30);
    EXPECT_EQ(drive.driveAttribute(2)->getMin(), 50);
    EXPECT_EQ(drive.driveAttribute(2)->getMax(), 104);
    EXPECT_EQ(drive.driveAttribute(2)->getName(), QStringLiteral("Temperature_Celsius"));
}

TEST_F(Attributes, OutputWithoutHeaderGivesNoAttributesAndFailedRunsKeepThePreviousTable)
{
    FakeSmartctl fake({{"A", banner + tableHeader +
                                 "  9 Power_On_Hours 0x0032 100 100 000 "
                                 "Old_age Always - 77\n"}});
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation("/dev/sdx");
    drive.setSmartctlOverride(fake.program());
    drive.parseAttributes();
    ASSERT_EQ(drive.driveAttributeCount(), 1);

    // A run judged an error leaves the table alone.
    fake.setAnswer("A", "too short\n");
    drive.parseAttributes();
    EXPECT_EQ(drive.driveAttributeCount(), 1);
    EXPECT_EQ(drive.drivePowerOnHours(), 77);

    // A table without its header line gives nothing.
    fake.setAnswer("A", banner + "=== START OF READ SMART DATA SECTION ===\n"
                                 "  9 Power_On_Hours 0x0032 100 100 000 Old_age Always - 77\n");
    drive.parseAttributes();
    EXPECT_EQ(drive.driveAttributeCount(), 0);
    ASSERT_TRUE(drive.driveAttributes());
    EXPECT_TRUE(drive.driveAttributes()->isEmpty());
    EXPECT_EQ(drive.drivePowerOnHours(), -1);
    EXPECT_EQ(drive.driveAttribute(0), nullptr);
}

TEST_F(Attributes, RevisionIsReadAfterItsLabelWhereverTheLabelStarts)
{
    FakeSmartctl fake(
        {{"A", banner + "  SMART Attributes Data Structure revision number: 10\n"
                        "ID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE\n"}});
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation("/dev/sdx");
    drive.setSmartctlOverride(fake.program());
    drive.parseAttributes();
    EXPECT_EQ(drive.driveAttributeRevision(), 10);
    EXPECT_EQ(drive.driveAttributeCount(), 0);
}

TEST_F(Attributes, RememberedCountsUseTheLocationWithoutSerialNumber)
{
    setBool("RememberBadSectors", true);
    const QString location = QStringLiteral("/dev/sdremember");
    forgetAfterwards(location + "_LastReallocatedSectorCount");
    FakeSmartctl fake(
        {{"A", banner + tableHeader +
                   "  5 Reallocated_Sector_Ct 0x0033 100 100 010 Pre-fail Always - 12\n"}});
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(location);
    drive.setSmartctlOverride(fake.program());
    EXPECT_EQ(drive.rememberedCountKey("_X"), location + "_X");
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 2);
    EXPECT_EQ(KZPreferences::standard().integerForKey(location + "_LastReallocatedSectorCount"),
              12);
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 1);
}

TEST_F(Attributes, NVMeHealthLogBecomesNumberedAttributes)
{
    const QByteArray identity = "=== START OF INFORMATION SECTION ===\n"
                                "Model Number:                       Forged NVMe 1TB\n"
                                "Serial Number:                      NVMEATTR0001\n"
                                "PCI Vendor/Subsystem ID:            0x144d\n";
    const QByteArray log = "=== START OF SMART DATA SECTION ===\n"
                           "SMART/Health Information (NVMe Log 0x02)\n"
                           "Critical Warning:                   0x00\n"
                           "Temperature:                        45 Celsius\n"
                           "Available Spare:                    100%\n"
                           "Data Units Read:                    39,078,842 [20.0 TB]\n"
                           "Power On Hours:                     2,683\n"
                           "Temperature Sensor 1:               45 Celsius\n"
                           "REPLAY-IOCTL: not a row\n";
    FakeSmartctl fake({{"i", banner + identity}, {"A", banner + log}});
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation("/dev/nvme0");
    drive.setSmartctlOverride(fake.program());
    drive.updateInfo();
    ASSERT_TRUE(drive.driveIsNVMe());
    ASSERT_EQ(drive.driveAttributeCount(), 6);
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_FALSE(drive.getFailureReasonsText());

    const struct
    {
        qint32 id;
        const char *name;
        const char *value;
        qint64 raw;
    } expected[] = {
        {-1, "Critical Warning", "0x00", 0}, {194, "Temperature Celsius", "45", 45},
        {-2, "Available Spare", "100%", 0},  {-3, "Data Units Read", "39078842 [20.0 TB]", 0},
        {9, "Power On Hours", "2683", 2683}, {-4, "Temperature Sensor 1", "45 Celsius", 0},
    };
    for (int index = 0; index < 6; ++index) {
        const KZSMARTAttribute *attribute = drive.driveAttribute(index);
        EXPECT_EQ(attribute->getIDNumber(), expected[index].id) << index;
        EXPECT_EQ(attribute->getName(), QString::fromLatin1(expected[index].name)) << index;
        EXPECT_EQ(attribute->nvmeValue(), QString::fromLatin1(expected[index].value)) << index;
        EXPECT_EQ(attribute->getRaw(), expected[index].raw) << index;
        EXPECT_EQ(attribute->getFailed(), 0) << index;
    }
    EXPECT_EQ(drive.nvmeNextAttributeID(), -5);
    EXPECT_EQ(drive.driveTemperature(), 45);
    EXPECT_EQ(drive.drivePowerOnHours(), 2683);

    setBool("DisplayTempInFahrenheit", true);
    drive.parseAttributes();
    EXPECT_EQ(drive.driveAttribute(1)->getName(), QStringLiteral("Temperature Fahrenheit"));
    EXPECT_EQ(drive.driveAttribute(1)->getRaw(), 113);
    EXPECT_EQ(drive.driveAttribute(1)->nvmeValue(), QStringLiteral("113"));
    // Numbering starts again at -1 on every parse.
    EXPECT_EQ(drive.driveAttribute(0)->getIDNumber(), -1);
}

TEST_F(Attributes, UnreadableNVMeRowEndsTheParseAndIsReportedOnce)
{
    const QByteArray identity = "Model Number:       Forged NVMe\nPCI Vendor ID:      0x1\n";
    const QByteArray log = "SMART/Health Information (NVMe Log 0x02)\n"
                           "Critical Warning:                   0x00\n"
                           "Temperature:                        unknown\n"
                           "a line without the separator\n"
                           "Power On Hours:                     5\n";
    FakeSmartctl fake({{"i", banner + identity}, {"A", banner + log}});
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation("/dev/nvme1");
    drive.setSmartctlOverride(fake.program());
    TestSupport::StderrCapture capture;
    drive.updateInfo();
    EXPECT_TRUE(drive.exceptionOccurred());
    EXPECT_EQ(drive.driveAttributeCount(), 2);
    EXPECT_EQ(drive.driveTemperature(), -1);
    EXPECT_EQ(drive.driveAttribute(1)->nvmeValue(), QStringLiteral("-1"));
    EXPECT_EQ(capture.text().count("Exception occured in parseAttributes. UnreadableText: "), 1);
}

TEST_F(Attributes, ParsingARowDirectlyUsesNoDriveState)
{
    KZSMARTDrive drive;
    const KZSMARTAttribute row =
        drive.parseAttributeLine("  4 Start_Stop_Count        0x0032   100   100   020    Old_age  "
                                 " Always       -       14");
    EXPECT_EQ(row.getIDNumber(), 4);
    EXPECT_EQ(row.getThresh(), 20);
    EXPECT_EQ(row.getRaw(), 14);
    EXPECT_EQ(drive.driveAttributeCount(), 0);
    EXPECT_FALSE(drive.driveAttributes());
    EXPECT_TRUE(drive.toJSON().value("attributes").isNull());

    const KZSMARTAttribute nvme = drive.parseNVMeAttributeLine("Unsafe Shutdowns: 1,024");
    EXPECT_EQ(nvme.getIDNumber(), 0); // a fresh drive has not started numbering
    EXPECT_EQ(nvme.nvmeValue(), QStringLiteral("1024"));
    EXPECT_EQ(drive.nvmeNextAttributeID(), -1);
}
