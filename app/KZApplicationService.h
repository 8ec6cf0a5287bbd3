#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

// The application on the D-Bus session bus: the name org.tarnwell.Tarnwell,
// object /org/tarnwell/Tarnwell, interface org.tarnwell.Tarnwell with
// Activate() (raise the main window) and Open(as paths) (open report files).
// Owning the name keeps Tarnwell to one instance: a second start hands its
// files to the first and ends.
class KZApplicationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.tarnwell.Tarnwell")

public:
    static inline const QString serviceName = QStringLiteral("org.tarnwell.Tarnwell");
    static inline const QString objectPath = QStringLiteral("/org/tarnwell/Tarnwell");

    enum class Claim
    {
        Owned, // this process is the application
        Taken, // another instance owns the name
        NoBus  // no session bus: runs on its own
    };

    explicit KZApplicationService(QObject *parent = nullptr);

    // Exports the object and asks for the name (never queued, never replacing).
    Claim claim();
    // Calls Open(files) on the running instance, or Activate() when there are
    // no files; false with `error` set when it did not answer.
    static bool forwardToRunningInstance(const QStringList &files, QString *error);

    // Where the calls go; calls that came before are delivered now.
    void setHandlers(std::function<void()> activate, std::function<void(const QStringList &)> open);

public Q_SLOTS:
    Q_SCRIPTABLE void Activate();
    Q_SCRIPTABLE void Open(const QStringList &paths);

private:
    std::function<void()> m_activate;
    std::function<void(const QStringList &)> m_open;
    bool m_pendingActivate = false;
    QStringList m_pendingFiles;
};
