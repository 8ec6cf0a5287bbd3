#pragma once

#include <QString>

// Desktop notifications through the freedesktop notification service
// (org.freedesktop.Notifications on the session bus).
namespace KZDesktopNotifier {

// Shows one notification; false when no notification service answered
// (the caller may then show it another way).
bool notify(const QString &applicationName, const QString &iconName, const QString &summary,
            const QString &body);

} // namespace KZDesktopNotifier
