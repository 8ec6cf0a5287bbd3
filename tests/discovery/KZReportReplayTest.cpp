// A saved report opened for viewing, as the viewer reads it: a drive list
// made for the file and refreshed through the real smartctl.
#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "KZSMARTScanner.h"
#include "TestSupport.h"

namespace {

KZPreferences &preferences()
{
    return KZPreferences::standard();
}

// The drive of a report file after the viewer's refresh.
std::shared_ptr<KZSMARTDrive> viewReport(const QString &capture)
{
    KZSMARTScanner scanner = KZSMARTScanner::initWithFile(capture);
    scanner.setShowUnsupportedDrives(true);
    scanner.getDrives().first()->setSmartctlOverride(TestSupport::realSmartctl());
    scanner.updateDrives();
    return scanner.getDrives().value(0);
}

QByteArray worn(const char *serial)
{
    // 24 reallocated sectors, 60 logged errors (above the limit of 50) and a
    // self-test that failed at 500 hours.
    return QByteArrayLiteral(R"({"identity": {"model": "FORGE VIEWED", "serial": ")") + serial +
           R"("}, "attributes": [
                {"id": 5, "flags": "0x0033", "value": 100, "worst": 100, "thresh": 10, "raw": 24},
                {"id": 9, "flags": "0x0032", "value": 90, "worst": 90, "thresh": 0, "raw": 600}],
              "errorLog": {"count": 60, "entries": [{"lifetimeHours": 550, "state": "0x03",
                  "error": {"er": "0x40", "st": "0x51", "sc": 8, "lba": "0x00123456"},
                  "commands": [{"command": "0xc8", "count": 8, "lba": "0x00123456"}]}]},
              "selfTestLog": [{"type": 1, "status": "0x74", "lifetimeHours": 500}]})";
}

} // namespace

// Viewing an old report must not change how the live disk is judged at its
// next check: the report is judged with the counts remembered for the disk's
// serial number, and the preferences file stays as it was, byte for byte.
TEST(ReportReplay, JudgedWithTheRememberedCountsWhichItLeavesAlone)
{
    SKIP_WITHOUT_SMARTCTL();
    for (const char *key : {"RememberBadSectors", "RememberErrorCount", "FailedTestIsNew"})
        preferences().setBool(QString::fromLatin1(key), true);
    preferences().setInteger("VIEWSEEN1_LastReallocatedSectorCount", 24);
    preferences().setInteger("VIEWSEEN1_LastErrorCount", 60);
    preferences().setInteger("VIEWSEEN1_LastTestPowerOnHours", 500);
    preferences().setInteger("TestsInProgress", 0);
    preferences().synchronize();
    const std::string before = TestSupport::readFile(preferences().fileName()).toStdString();
    ASSERT_NE(before.find("VIEWSEEN1_LastErrorCount"), std::string::npos);

    // Everything in it was seen at the last check: it passes.
    const auto seen = viewReport(TestSupport::forge(worn("VIEWSEEN1"), "seen.twdr"));
    ASSERT_TRUE(seen && seen->smartSupported());
    EXPECT_EQ(seen->driveHealth(), 1)
        << seen->failureReasons().value_or(QStringList()).join("; ").toStdString();

    // Nothing was remembered for this disk: all of it counts as new.
    const auto unseen = viewReport(TestSupport::forge(worn("VIEWNEW1"), "unseen.twdr"));
    ASSERT_TRUE(unseen && unseen->smartSupported());
    EXPECT_EQ(unseen->driveHealth(), 2);
    EXPECT_EQ(unseen->failureReasons().value_or(QStringList()),
              QStringList({"Too many reallocated bad sectors", "Too many drive errors",
                           "Tests with errors"}));

    // A report of a disk whose S.M.A.R.T. was off: no test runs anywhere.
    viewReport(TestSupport::forge(R"({"identity": {"serial": "VIEWOFF1"}, "smartEnabled": false})",
                                  "off.twdr"));

    preferences().synchronize();
    EXPECT_EQ(TestSupport::readFile(preferences().fileName()).toStdString(), before);
    EXPECT_FALSE(preferences().hasStoredValue("VIEWNEW1_LastReallocatedSectorCount"));
    EXPECT_EQ(preferences().integerForKey("TestsInProgress"), 0);
}
