// The tray monitor's menu as a model, the health history behind its
// notifications, and its autostart entry.
#include "KZMenuItemMenu.h"
#include "KZHealthHistory.h"
#include "KZLoginItem.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "TestSupport.h"

namespace {

const QStringList fixedPart{
    "-", "-", "Rescan For Drives", "Update Drives", "-", "Launch Tarnwell", "Quit"};

KZMenuItemDrive shown(const QString &title, int status, const QStringList &partitions = {})
{
    KZMenuItemDrive drive;
    drive.title = title;
    drive.status = status;
    drive.partitions = partitions;
    return drive;
}

KZMenuItemSnapshot snapshotOf(const QList<KZMenuItemDrive> &drives)
{
    KZMenuItemSnapshot snapshot;
    snapshot.drives = drives;
    snapshot.lastUpdated = QStringLiteral("07/12/2026 09:30");
    return snapshot;
}

} // namespace

TEST(MenuItemMenu, FixedPartEndsWithQuitAndTheUpdateItemFollowsItUntilTheNextReset)
{
    KZMenuItemMenu menu;
    EXPECT_EQ(menu.titles(), fixedPart);
    const KZMenuItemEntry &quit = menu.items().last();
    EXPECT_EQ(quit.action, KZMenuItemAction::Quit);
    EXPECT_EQ(quit.keyEquivalent, "q");
    EXPECT_EQ(menu.items().at(2).action, KZMenuItemAction::ScanForDrives);
    EXPECT_EQ(menu.items().at(3).action, KZMenuItemAction::UpdateDrives);
    EXPECT_EQ(menu.items().at(5).action, KZMenuItemAction::LaunchTarnwell);

    menu.showSnapshot(snapshotOf({shown("A", 1)}));
    menu.appendUpdateAvailable();
    ASSERT_EQ(menu.titles().mid(menu.count() - 2), (QStringList{"Quit", "An update is available"}));
    EXPECT_EQ(menu.items().last().action, KZMenuItemAction::LaunchTarnwell);
    menu.showSnapshot(snapshotOf({shown("A", 1)}));
    EXPECT_EQ(menu.titles().last(), "Quit");
}

TEST(MenuItemMenu, DrivesInReverseOrderEachWithItsStatusLineAndTheTimeBetweenTheSeparators)
{
    KZMenuItemMenu menu;
    menu.showSnapshot(snapshotOf(
        {shown("FIRST", 1), shown("SECOND", 2, {"Data", "Media"}), shown("THIRD", 3, {"Backup"})}));
    const QStringList expected = QStringList{"Backup", "Overall Status: FAILED!",
                                             "SECOND", "Overall Status: FAILING!",
                                             "FIRST",  "Overall Status: Passed",
                                             "-",      "Last Updated: 07/12/2026 09:30"} +
                                 fixedPart.mid(1);
    EXPECT_EQ(menu.titles(), expected);

    const QList<KZMenuItemEntry> &items = menu.items();
    // Drive items carry the icon of their status; status lines are
    // indented, disabled and without action.
    EXPECT_EQ(items.at(0).iconStatus, 3);
    EXPECT_EQ(items.at(2).iconStatus, 2);
    EXPECT_EQ(items.at(4).iconStatus, 1);
    for (const int line : {1, 3, 5}) {
        EXPECT_EQ(items.at(line).kind, KZMenuItemEntry::Kind::Status);
        EXPECT_EQ(items.at(line).indentation, 3);
        EXPECT_FALSE(items.at(line).enabled);
        EXPECT_EQ(items.at(line).action, KZMenuItemAction::None);
    }
    EXPECT_FALSE(items.at(7).enabled);
    // A drive with several volumes lists them in a submenu; one volume
    // names the drive; none leaves the model without a submenu.
    EXPECT_TRUE(items.at(2).hasSubmenu);
    EXPECT_EQ(items.at(2).submenu, (QStringList{"Data", "Media"}));
    EXPECT_FALSE(items.at(0).hasSubmenu);
    EXPECT_FALSE(items.at(4).hasSubmenu);
}

TEST(MenuItemMenu, MessagesStandAboveTheFixedPart)
{
    struct Case
    {
        KZMenuItemSnapshot::Outcome outcome;
        const char *message;
    };
    for (const Case &c :
         {Case{KZMenuItemSnapshot::Outcome::NoDrives, "No drives found"},
          Case{KZMenuItemSnapshot::Outcome::ScanFailed, "Error Scanning for Drives"}}) {
        KZMenuItemSnapshot snapshot = snapshotOf({shown("IGNORED", 3)});
        snapshot.outcome = c.outcome;
        KZMenuItemMenu menu;
        menu.showSnapshot(snapshot);
        EXPECT_EQ(menu.titles(), QStringList{c.message} + fixedPart);
        EXPECT_EQ(menu.items().first().action, KZMenuItemAction::None);
    }
    // Drives were checked, but none was walked: only the time is added.
    KZMenuItemMenu menu;
    menu.showSnapshot(snapshotOf({}));
    EXPECT_EQ(menu.titles().at(1), "Last Updated: 07/12/2026 09:30");
    EXPECT_EQ(menu.count(), 8);
}

TEST(MenuItemMenu, UnreadableDriveSaysSoWithItsReasonAndIsNotGreen)
{
    KZMenuItemDrive drive = shown("WD BLUE", 2);
    drive.couldNotBeRead = true;
    drive.reason = QStringLiteral("smartctl did not answer within 120 s ") + QString(100, 'x');
    KZMenuItemMenu menu;
    menu.showSnapshot(snapshotOf({drive}));
    EXPECT_EQ(menu.titles().mid(0, 2),
              (QStringList{"WD BLUE", "Overall Status: could not be read!"}));
    EXPECT_EQ(menu.items().at(0).iconStatus, 2);
    const KZMenuItemEntry &reason = menu.items().at(2);
    EXPECT_EQ(reason.kind, KZMenuItemEntry::Kind::Status);
    EXPECT_TRUE(reason.title.startsWith("smartctl did not answer within 120 s"));
    EXPECT_EQ(reason.title.size(), 80);
    EXPECT_EQ(menu.titles().at(4), "Last Updated: 07/12/2026 09:30");
}

TEST(MenuItemMenu, DriveWithoutAModelIsNamedByItsLocation)
{
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation("/dev/sdd");
    drive.addPartitionName("Data");
    drive.addPartitionName("Media");
    EXPECT_EQ(KZMenuItemDrive::fromDrive(drive).title, "sdd");
    KZMenuItemMenu menu;
    menu.showSnapshot(snapshotOf({KZMenuItemDrive::fromDrive(drive)}));
    EXPECT_EQ(menu.items().first().title, "sdd");
    EXPECT_EQ(menu.items().first().submenu, (QStringList{"Data", "Media"}));
}

TEST(HealthHistory, OnlyAWorseHealthIsReported)
{
    struct Step
    {
        qint32 health;
        bool reported;
    };
    // The first check only remembers; undetermined health keeps the last
    // known one; getting better is remembered and not reported.
    const QList<Step> steps{{2, false}, {2, false}, {3, true}, {1, false}, {0, false},
                            {2, true},  {0, false}, {3, true}, {3, false}};
    KZHealthHistory history;
    qint32 previous = 0;
    for (const Step &step : steps) {
        const auto changes = history.record({{"serial:S1", "DISK", step.health}});
        ASSERT_EQ(changes.size(), step.reported ? 1 : 0) << "health " << step.health;
        if (step.reported) {
            EXPECT_EQ(changes.first().previousHealth, previous);
            EXPECT_EQ(changes.first().health, step.health);
        }
        if (step.health >= 1)
            previous = step.health;
    }
    // Drives are told apart by their keys.
    KZHealthHistory two;
    two.record({{"serial:A", "A", 1}, {"serial:B", "B", 2}});
    const auto changes = two.record({{"serial:A", "A", 1}, {"serial:B", "B", 3}});
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(KZHealthHistory::summaryOf(changes.first()), "B: FAILED");
    EXPECT_EQ(KZHealthHistory::bodyOf(changes.first()),
              "The drive was FAILING at the previous check. Back up its data now.");
}

TEST(HealthHistory, NotificationsAreOnUntilSwitchedOff)
{
    KZPreferences preferences(TestSupport::homeDir() + "/history.conf");
    preferences.registerMenuItemDefaults();
    EXPECT_TRUE(KZHealthHistory::notificationsEnabled(preferences));
    preferences.setBool(KZHealthHistory::preferenceKey, false);
    EXPECT_FALSE(KZHealthHistory::notificationsEnabled(preferences));
}

TEST(LoginItem, AutostartEntryStartsTheProgramWhateverItsPath)
{
    struct Case
    {
        const char *program;
        const char *exec;
    };
    const Case cases[] = {
        {"/usr/bin/tarnwell-menu-item", "Exec=/usr/bin/tarnwell-menu-item"},
        {"/opt/My Apps/tarnwell-menu-item", R"(Exec="/opt/My Apps/tarnwell-menu-item")"},
        {"/home/a$b/100%/x", R"(Exec="/home/a\\$b/100%%/x")"},
        {"/tmp/back\\slash", R"(Exec="/tmp/back\\\\slash")"},
    };
    for (const Case &c : cases) {
        const QString entry = QString::fromUtf8(KZLoginItem::desktopEntry(c.program));
        EXPECT_TRUE(entry.startsWith("[Desktop Entry]\nType=Application\n"));
        EXPECT_TRUE(entry.split('\n').contains(c.exec)) << entry.toStdString();
    }
    EXPECT_TRUE(
        KZLoginItem::autostartFile().endsWith("/autostart/org.tarnwell.TarnwellMenuItem.desktop"));
}
