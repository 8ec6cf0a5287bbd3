// The application's side of the tray monitor, and its update hooks.
#include "KZAppController.h"

#include "KZAlertPresenter.h"
#include "KZAppcastReader.h"
#include "KZDistributedNotificationCenter.h"
#include "KZHealthHistory.h"
#include "KZLog.h"
#include "KZLoginItem.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"
#include "KZPreferencesWindow.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QPointer>
#include <QVBoxLayout>

#include <atomic>

namespace {

KZPreferences &preferences()
{
    return KZPreferences::standard();
}

const QString menuItemEnabledKey = KZPreferenceKeys::menuItemEnabled;

// What the link to the monitor keeps for the controller's lifetime: the
// observers, the checkbox and the update reader (children of the controller,
// found by type).
class KZMenuExtraLink : public QObject
{
public:
    static inline const QString name = QStringLiteral("KZMenuExtraLink");

    explicit KZMenuExtraLink(KZAppController *controller) : QObject(controller)
    {
        setObjectName(name);
    }
    ~KZMenuExtraLink() override
    {
        KZPreferences::standard().setChangeHook({});
        for (const quint64 token : std::as_const(observers))
            KZDistributedNotificationCenter::defaultCenter().removeObserver(token);
    }

    QList<quint64> observers;
    // What the checkbox shows (the monitor runs, or is being started), kept
    // also while the preferences window has not been made yet.
    bool shown = false;
    QPointer<QCheckBox> checkBox;
    // A change notification is already on its way to the GUI thread.
    std::shared_ptr<std::atomic<bool>> changePending = std::make_shared<std::atomic<bool>>(false);
};

KZMenuExtraLink *linkOf(const KZAppController *controller)
{
    // Found by name: the class has no meta-object of its own to find it by.
    return static_cast<KZMenuExtraLink *>(
        controller->findChild<QObject *>(KZMenuExtraLink::name, Qt::FindDirectChildrenOnly));
}

void showMonitor(const KZAppController *controller, bool shown)
{
    KZMenuExtraLink *link = linkOf(controller);
    if (!link)
        return;
    link->shown = shown;
    if (link->checkBox)
        link->checkBox->setChecked(shown);
}

} // namespace

QCheckBox *KZAppController::prefShowMenuExtra() const
{
    const KZMenuExtraLink *link = linkOf(this);
    return link ? link->checkBox.data() : nullptr;
}

KZAppcastReader *KZAppController::updater() const
{
    return findChild<KZAppcastReader *>(QString(), Qt::FindDirectChildrenOnly);
}

void KZAppController::toggleMenuExtra(QObject *sender)
{
    KZLoginItem loginItem;
    // The monitor started now uses the tools this application was told to use.
    loginItem.setLaunchArguments(m_environment.options.toolArguments());

    if (KZLoginItem::isMonitorRunning()) {
        if (loginItem.setEnabled(false)) {
            if (sender)
                preferences().setBool(menuItemEnabledKey, false);
            showMonitor(this, false);
        } else {
            KZLog::log(QStringLiteral("Failed removing Menu Item. Please contact support."));
            showMonitor(this, KZLoginItem::isMonitorRunning());
        }
        return;
    }
    if (loginItem.setEnabled(true)) {
        if (sender)
            preferences().setBool(menuItemEnabledKey, true);
        showMonitor(this, true);
        return;
    }
    KZLog::log(QStringLiteral("Failed adding Menu Item. Please contact support."));
    showMonitor(this, false);
    KZAlertPresenter::current().runAlert(
        KZAlertPresenter::Style::Critical, tr("Adding Menu Item Failed"),
        tr("Adding the Menu Item to login failed. If you have more than one copy of "
           "Tarnwell, please remove the others. Also, ensure Tarnwell is in the "
           "applications folder."),
        {tr("OK")});
}

void KZAppController::menuExtraDidUnload()
{
    showMonitor(this, false);
}

void KZAppController::sendPrefsChangeToExtra()
{
    preferences().synchronize();
    KZDistributedNotificationCenter::defaultCenter().postNotification(
        KZDistributedNotifications::prefsChanged);
}

void KZAppController::setUpMenuExtraLink()
{
    if (linkOf(this))
        return;
    auto *link = new KZMenuExtraLink(this);

    // Every change of the preferences, from any thread (the engine writes
    // remembered counts while it reads the drives), reaches the monitor; a
    // burst of changes is one notification.
    QPointer<KZAppController> guard(this);
    const std::shared_ptr<std::atomic<bool>> pending = link->changePending;
    preferences().setChangeHook([guard, pending](const QStringList &) {
        if (pending->exchange(true))
            return;
        QMetaObject::invokeMethod(
            qApp,
            [guard, pending] {
                pending->store(false);
                if (guard)
                    guard->sendPrefsChangeToExtra();
            },
            Qt::QueuedConnection);
    });
    link->observers.append(KZDistributedNotificationCenter::defaultCenter().addObserver(
        KZDistributedNotifications::menuItemUnload,
        KZDistributedNotifications::menuItemUnloadObject,
        [this](const QString &, const QString &) { menuExtraDidUnload(); }));

    // The preferences window is made when first shown; its rows for the
    // monitor then follow what is known by then.
    if (m_preferencesWindow)
        addMenuExtraRows();

    // A monitor already running ticks the box; one wished for is started.
    if (KZLoginItem::isMonitorRunning()) {
        showMonitor(this, true);
        preferences().setBool(menuItemEnabledKey, true);
    }
    if (!link->shown && preferences().boolForKey(menuItemEnabledKey))
        toggleMenuExtra(nullptr);
}

void KZAppController::addMenuExtraRows()
{
    KZMenuExtraLink *link = linkOf(this);
    if (!link || link->checkBox || !m_preferencesWindow)
        return;
    QVBoxLayout *rows = m_preferencesWindow->extraRows();
    auto *box = new QCheckBox(tr("Show Tarnwell Menu Item in the tray"));
    box->setObjectName(QStringLiteral("prefShowMenuExtra"));
    box->setAccessibleName(box->text());
    box->setToolTip(tr("A small program in the tray that checks the drives on its own, "
                       "also while this window is closed, and starts at every login."));
    rows->addWidget(box);
    link->checkBox = box;
    // The box asks for the state it shows: a monitor that ended without a
    // word (a crash) is started again by ticking the box, not by unticking it.
    connect(box, &QCheckBox::clicked, this, [this](bool checked) {
        if (checked == KZLoginItem::isMonitorRunning()) {
            preferences().setBool(menuItemEnabledKey, checked);
            return;
        }
        toggleMenuExtra(prefShowMenuExtra());
    });
    const std::pair<QString, QString> options[] = {
        {KZHealthHistory::preferenceKey, tr("Notify me when a drive gets worse")},
        {KZPreferenceKeys::checkForUpdates, tr("Check for a new version of Tarnwell at start")},
    };
    for (const auto &[key, caption] : options) {
        auto *option = new QCheckBox(caption);
        option->setObjectName(key);
        option->setAccessibleName(caption);
        const QVariant stored = preferences().objectForKey(key);
        option->setChecked(key == KZHealthHistory::preferenceKey
                               ? KZHealthHistory::notificationsEnabled(preferences())
                               : KZPreferences::toBool(stored));
        connect(option, &QCheckBox::toggled, this,
                [key = key](bool checked) { preferences().setBool(key, checked); });
        rows->addWidget(option);
    }

    box->setChecked(link->shown);
}

void KZAppController::setUpUpdater()
{
    // Packages update through the package manager: the feed is read only
    // when the user asked for it, or when the monitor found an update.
    auto *reader = updater() ? updater() : new KZAppcastReader(this);
    connect(reader, &KZAppcastReader::finished, this, [](const KZUpdateCheckResult &result) {
        switch (result.outcome) {
        case KZUpdateCheckResult::Outcome::Failed:
            KZLog::log(QStringLiteral("Update check failed: %1").arg(result.error));
            return;
        case KZUpdateCheckResult::Outcome::NoUpdate:
            return;
        case KZUpdateCheckResult::Outcome::UpdateFound:
            break;
        }
        const int answer = KZAlertPresenter::current().runAlert(
            KZAlertPresenter::Style::Informational, tr("A new version of Tarnwell is available"),
            tr("Tarnwell %1 is available; you have %2. Install it with "
               "your system's package manager.")
                .arg(result.item.displayVersion, KZAppcastReader::currentVersion()),
            {tr("Show Release Notes"), tr("Later")});
        if (answer == 0 && result.item.infoURL.isValid())
            QDesktopServices::openUrl(result.item.infoURL);
    });
    KZPreferences &prefs = preferences();
    const bool handedOver = prefs.boolForKey(KZPreferenceKeys::updateAvailable);
    if (handedOver)
        prefs.removeObjectForKey(KZPreferenceKeys::updateAvailable);
    if (handedOver || KZAppcastReader::checksEnabled(prefs))
        reader->checkForUpdateInformation(KZAppcastReader::feedURL(prefs),
                                          KZAppcastReader::currentVersion());
}
