// The tray monitor's menu, drawn from its model, and its icons.
#include "KZTarnwellMenuItemController.h"

#include "KZStatusIcons.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <QSystemTrayIcon>

namespace {

// Drive items carry their status icon at 32 points, as large as the two
// lines of a drive; the other items have none.
class KZMenuStyle : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override
    {
        const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
        if (metric == PM_SmallIconSize && qobject_cast<const QMenu *>(widget) &&
            (!item || !item->icon.isNull()))
            return iconSize;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override
    {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
        if (type == CT_MenuItem && item && !item->icon.isNull())
            result.setHeight(qMax(result.height(), iconSize + 4));
        return result;
    }

private:
    static constexpr int iconSize = 32;
};

// A menu has no indentation of its own: the level becomes leading blanks.
QString indented(const QString &title, int level)
{
    return QString(level * 4, QLatin1Char(' ')) + title;
}

} // namespace

void KZTarnwellMenuItemController::setStatusImage(int status)
{
    m_shownStatus = status;
    if (m_twStatusItem)
        m_twStatusItem->setIcon(KZStatusIcons::icon(status));
}

QAction *KZTarnwellMenuItemController::actionNamed(const QString &title) const
{
    if (!m_twMenu)
        return nullptr;
    for (QAction *action : m_twMenu->actions()) {
        if (action->text().trimmed() == title)
            return action;
    }
    return nullptr;
}

void KZTarnwellMenuItemController::rebuildMenu()
{
    if (!m_twMenu)
        return;
    static KZMenuStyle *style = [] {
        auto *made = new KZMenuStyle;
        made->setParent(qApp);
        return made;
    }();
    // The menu keeps its place on screen while it is rebuilt under an open
    // popup; its actions and submenus are replaced whole.
    m_twMenu->setStyle(style);
    // clear() drops the actions but not the submenus the menu owns.
    for (QMenu *submenu : m_twMenu->findChildren<QMenu *>(Qt::FindDirectChildrenOnly))
        submenu->deleteLater();
    m_twMenu->clear();
    for (const KZMenuItemEntry &entry : m_menuModel.items()) {
        if (entry.kind == KZMenuItemEntry::Kind::Separator) {
            m_twMenu->addSeparator();
            continue;
        }
        QAction *action = nullptr;
        if (entry.hasSubmenu) {
            QMenu *submenu = m_twMenu->addMenu(entry.title);
            submenu->setStyle(style);
            for (const QString &name : entry.submenu)
                submenu->addAction(name)->setEnabled(false);
            action = submenu->menuAction();
        } else {
            action = m_twMenu->addAction(indented(entry.title, entry.indentation));
        }
        action->setEnabled(entry.enabled);
        if (entry.iconStatus > 0)
            action->setIcon(KZStatusIcons::icon(entry.iconStatus));
        if (!entry.keyEquivalent.isEmpty())
            action->setShortcut(
                QKeySequence(QStringLiteral("Ctrl+") + entry.keyEquivalent.toUpper()));
        switch (entry.action) {
        case KZMenuItemAction::None:
            break;
        case KZMenuItemAction::ScanForDrives:
            connect(action, &QAction::triggered, this,
                    &KZTarnwellMenuItemController::scanForDrives);
            break;
        case KZMenuItemAction::UpdateDrives:
            connect(action, &QAction::triggered, this, &KZTarnwellMenuItemController::updateDrives);
            break;
        case KZMenuItemAction::LaunchTarnwell:
            connect(action, &QAction::triggered, this,
                    &KZTarnwellMenuItemController::launchTarnwell);
            break;
        case KZMenuItemAction::Quit:
            connect(action, &QAction::triggered, this, &KZTarnwellMenuItemController::quit);
            break;
        }
    }
}

void KZTarnwellMenuItemController::showNotifications(const QList<KZHealthHistory::Change> &changes)
{
    // Without a notification service, the tray shows the message itself.
    if (!m_twStatusItem)
        return;
    for (const KZHealthHistory::Change &change : changes)
        m_twStatusItem->showMessage(KZHealthHistory::summaryOf(change),
                                    KZHealthHistory::bodyOf(change), QSystemTrayIcon::Critical);
}
