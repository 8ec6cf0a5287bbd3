#include "KZMenuItemMenu.h"

#include "KZCheckCycle.h"
#include "KZRecordedTexts.h"
#include "KZSMARTDrive.h"

#include <QCoreApplication>
#include <QLocale>

namespace {

QString text(const char *english)
{
    return QCoreApplication::translate("KZMenuItemMenu", english);
}

KZMenuItemEntry separator()
{
    KZMenuItemEntry entry;
    entry.kind = KZMenuItemEntry::Kind::Separator;
    entry.enabled = false;
    return entry;
}

KZMenuItemEntry command(const QString &title, KZMenuItemAction action,
                        const QString &keyEquivalent = {})
{
    KZMenuItemEntry entry;
    entry.kind = KZMenuItemEntry::Kind::Command;
    entry.title = title;
    entry.action = action;
    entry.keyEquivalent = keyEquivalent;
    return entry;
}

KZMenuItemEntry statusLine(const QString &title)
{
    KZMenuItemEntry entry;
    entry.kind = KZMenuItemEntry::Kind::Status;
    entry.title = title;
    entry.enabled = false;
    entry.indentation = 3;
    return entry;
}

// A long reason (a whole smartctl line) is cut so the menu stays narrow.
QString shortened(const QString &reason)
{
    constexpr qsizetype limit = 80;
    const QString simplified = reason.simplified();
    if (simplified.size() <= limit)
        return simplified;
    return simplified.left(limit - 1) + QChar(0x2026);
}

} // namespace

KZMenuItemDrive KZMenuItemDrive::fromDrive(const KZSMARTDrive &drive)
{
    KZMenuItemDrive shown;
    shown.title = drive.driveModel().value_or(drive.driveLocationID());
    shown.partitions = drive.partitionNames();
    shown.status = KZCheckCycle::driveIconStatus(drive);
    shown.couldNotBeRead = KZCheckCycle::couldNotBeRead(drive);
    shown.unsupported = KZCheckCycle::isUnsupported(drive);
    if (shown.couldNotBeRead)
        shown.reason = KZRecordedTexts::shown(drive.getLastSMARTErrorMessage().value_or(QString()));
    shown.sleeping = drive.driveSleeping();
    if (shown.sleeping && drive.driveLastRead().isValid())
        shown.lastRead = QLocale().toString(drive.driveLastRead(), QLocale::ShortFormat);
    return shown;
}

KZMenuItemMenu::KZMenuItemMenu()
{
    resetMenu();
}

QStringList KZMenuItemMenu::titles() const
{
    QStringList result;
    for (const KZMenuItemEntry &entry : m_items)
        result.append(entry.kind == KZMenuItemEntry::Kind::Separator ? QStringLiteral("-")
                                                                     : entry.title);
    return result;
}

void KZMenuItemMenu::resetMenu()
{
    m_items = {
        separator(),
        separator(),
        command(text(QT_TRANSLATE_NOOP("KZMenuItemMenu", "Rescan For Drives")),
                KZMenuItemAction::ScanForDrives),
        command(text(QT_TRANSLATE_NOOP("KZMenuItemMenu", "Update Drives")),
                KZMenuItemAction::UpdateDrives),
        separator(),
        command(text(QT_TRANSLATE_NOOP("KZMenuItemMenu", "Launch Tarnwell")),
                KZMenuItemAction::LaunchTarnwell),
        command(text(QT_TRANSLATE_NOOP("KZMenuItemMenu", "Quit")), KZMenuItemAction::Quit,
                QStringLiteral("q")),
    };
}

void KZMenuItemMenu::insertItem(qsizetype index, const KZMenuItemEntry &entry)
{
    m_items.insert(qBound<qsizetype>(0, index, m_items.size()), entry);
}

void KZMenuItemMenu::insertMessage(const QString &title)
{
    KZMenuItemEntry entry;
    entry.kind = KZMenuItemEntry::Kind::Message;
    entry.title = title;
    insertItem(0, entry);
}

QString KZMenuItemMenu::statusText(const KZMenuItemDrive &drive)
{
    if (drive.sleeping)
        return QCoreApplication::translate("KZMenuItemMenu", "Overall Status: SLEEPING");
    if (drive.couldNotBeRead)
        return text(QT_TRANSLATE_NOOP("KZMenuItemMenu", "Overall Status: could not be read!"));
    if (drive.unsupported)
        return text(QT_TRANSLATE_NOOP("KZMenuItemMenu", "Overall Status: Unsupported"));
    switch (drive.status) {
    case 2:
        return text(QT_TRANSLATE_NOOP("KZMenuItemMenu", "Overall Status: FAILING!"));
    case 3:
        return text(QT_TRANSLATE_NOOP("KZMenuItemMenu", "Overall Status: FAILED!"));
    default:
        return text(QT_TRANSLATE_NOOP("KZMenuItemMenu", "Overall Status: Passed"));
    }
}

QString KZMenuItemMenu::lastUpdatedText(const QString &time)
{
    return KZRecordedTexts::fill(text(QT_TRANSLATE_NOOP("KZMenuItemMenu", "Last Updated: %1")),
                                 {time});
}

void KZMenuItemMenu::showSnapshot(const KZMenuItemSnapshot &snapshot)
{
    resetMenu();
    switch (snapshot.outcome) {
    case KZMenuItemSnapshot::Outcome::ScanFailed:
        insertMessage(text(QT_TRANSLATE_NOOP("KZMenuItemMenu", "Error Scanning for Drives")));
        return;
    case KZMenuItemSnapshot::Outcome::NoDrives:
        insertMessage(text(QT_TRANSLATE_NOOP("KZMenuItemMenu", "No drives found")));
        for (qsizetype index = 0; index < snapshot.reasons.size(); ++index)
            insertItem(index + 1, statusLine(shortened(snapshot.reasons.at(index))));
        return;
    case KZMenuItemSnapshot::Outcome::Drives:
        break;
    }
    for (const KZMenuItemDrive &drive : snapshot.drives) {
        KZMenuItemEntry item;
        item.kind = KZMenuItemEntry::Kind::Drive;
        item.title = drive.title;
        // A drive without S.M.A.R.T. data is not judged: no coloured icon.
        item.iconStatus = drive.unsupported ? 0 : drive.status;
        // A drive named by its one volume needs no list of volumes; an empty
        // list would open as an empty box.
        item.hasSubmenu = drive.partitions.size() >= 2;
        if (item.hasSubmenu)
            item.submenu = drive.partitions;
        else if (drive.partitions.size() == 1)
            item.title = drive.partitions.first();
        insertItem(0, item);
        insertItem(1, statusLine(statusText(drive)));
        if (drive.couldNotBeRead && !drive.reason.trimmed().isEmpty())
            insertItem(2, statusLine(shortened(drive.reason)));
        if (drive.sleeping && !drive.lastRead.isEmpty())
            insertItem(2, statusLine(QCoreApplication::translate("KZMenuItemMenu",
                                                                 "Values of the read at %1")
                                         .arg(drive.lastRead)));
    }
    KZMenuItemEntry updated;
    updated.kind = KZMenuItemEntry::Kind::LastUpdated;
    updated.title = lastUpdatedText(snapshot.lastUpdated);
    updated.enabled = false;
    insertItem(count() - 6, updated);
}

void KZMenuItemMenu::appendUpdateAvailable()
{
    KZMenuItemEntry entry;
    entry.kind = KZMenuItemEntry::Kind::UpdateAvailable;
    entry.title = text(QT_TRANSLATE_NOOP("KZMenuItemMenu", "An update is available"));
    entry.action = KZMenuItemAction::LaunchTarnwell;
    insertItem(count(), entry);
}
