#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class KZSMARTDrive;

// What an item of the tray program's menu does when chosen.
enum class KZMenuItemAction
{
    None,
    ScanForDrives,
    UpdateDrives,
    LaunchTarnwell,
    Quit
};

// One item of the tray program's menu.
struct KZMenuItemEntry
{
    enum class Kind
    {
        Separator,
        Command,         // one of the fixed commands
        Message,         // "No drives found", "Error Scanning for Drives"
        Drive,           // a drive's title, with its icon
        Status,          // the status line under a drive (and its reason)
        LastUpdated,     // "Last Updated: %1"
        UpdateAvailable, // "An update is available"
    };

    Kind kind = Kind::Message;
    QString title;
    KZMenuItemAction action = KZMenuItemAction::None;
    bool enabled = true;
    int indentation = 0;
    QString keyEquivalent; // "q" for Quit
    int iconStatus = 0;    // 1 green, 2 yellow, 3 red; 0 without icon
    bool hasSubmenu = false;
    QStringList submenu; // the drive's partition names, each a disabled item
};

// One drive as the tray program shows it.
struct KZMenuItemDrive
{
    QString title;          // the model, else the location identifier
    QStringList partitions; // its volume names
    int status = 1;         // 1 passed, 2 failing, 3 failed (for the icon)
    bool couldNotBeRead = false;
    // It answered that it has no S.M.A.R.T. data: listed, never judged.
    bool unsupported = false;
    QString reason; // why it could not be read, when known, as a person reads it
    // Left asleep by the check: shown with its last read, and when that was.
    bool sleeping = false;
    QString lastRead;

    static KZMenuItemDrive fromDrive(const KZSMARTDrive &drive);
};

// What the menu shows after a scan or an update.
struct KZMenuItemSnapshot
{
    enum class Outcome
    {
        Drives,    // an update ran (the walked drives may still be none)
        NoDrives,  // the list was empty: nothing else changed
        ScanFailed // discovery failed: no update ran
    };
    Outcome outcome = Outcome::Drives;
    QList<KZMenuItemDrive> drives; // the listed drives, in list order
    // With no drive: why the disks found were left out, one line each
    // ("vda: smartctl cannot tell its device type").
    QStringList reasons;
    int overallStatus = 1;
    QString lastUpdated; // the time of the update, as the drive list has it
};

// The tray program's menu as a list of items: the fixed part (two
// separators, "Rescan For Drives", "Update Drives", a separator, "Launch
// Tarnwell", "Quit"), with drives, messages and the update time inserted
// above or between them. The tray program shows it; tests read it.
class KZMenuItemMenu
{
public:
    KZMenuItemMenu();

    const QList<KZMenuItemEntry> &items() const { return m_items; }
    qsizetype count() const { return m_items.size(); }
    // Titles in order, a separator as "-": for logs and tests.
    QStringList titles() const;

    // Removes every item and appends the seven fixed ones.
    void resetMenu();
    void insertItem(qsizetype index, const KZMenuItemEntry &entry);

    // Inserts a message item at the top (no action).
    void insertMessage(const QString &title);
    // Resets the menu and shows the snapshot: drives inserted at the top in
    // reverse list order, each with its status line below it, and "Last
    // Updated: %1" between the two separators that open the fixed part.
    void showSnapshot(const KZMenuItemSnapshot &snapshot);
    // Appends "An update is available" (after "Quit", until the next reset).
    void appendUpdateAvailable();

    // The status line of a drive: "Overall Status: Passed", "… FAILING!",
    // "… FAILED!", "… Unsupported", "… SLEEPING" (a second line says when it
    // was last read), or that it could not be read.
    static QString statusText(const KZMenuItemDrive &drive);
    static QString lastUpdatedText(const QString &time);

private:
    QList<KZMenuItemEntry> m_items;
};
