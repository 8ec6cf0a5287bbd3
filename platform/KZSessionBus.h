#pragma once

#include <QString>

// Names on the D-Bus session bus: a program that runs owns its name, so
// "is it running" is "is its name owned".
namespace KZSessionBus {

// The application and the tray monitor.
inline const QString applicationName = QStringLiteral("org.tarnwell.Tarnwell");
inline const QString applicationPath = QStringLiteral("/org/tarnwell/Tarnwell");
inline const QString applicationInterface = QStringLiteral("org.tarnwell.Tarnwell");
inline const QString menuItemName = QStringLiteral("org.tarnwell.TarnwellMenuItem");

bool isConnected();
bool isNameOwned(const QString &name);

// Takes the name for this process; false when another process owns it or
// there is no bus.
bool registerName(const QString &name);

// Waits until the name is owned (or no longer owned), running the event
// loop meanwhile, at most timeoutMs; true when it came to that.
bool waitForName(const QString &name, bool owned, int timeoutMs);

} // namespace KZSessionBus
