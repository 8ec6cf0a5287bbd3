#pragma once

#include <QMutex>
#include <QString>
#include <memory>
#include <optional>

// One item of the user's secret store (the Secret Service: gnome-keyring,
// KWallet) with copies of its attributes. Objects come only from the
// class-level factories, which never return one for an item that is not
// stored. Every accessor and setter holds the object's own lock, so one item
// may be shared between threads; getters return copies.
//
// The store is reached through QtKeychain, whose jobs are asynchronous. The
// operations here are synchronous: each job runs on one worker thread that
// owns an event loop, and the caller waits for its end, at most timeout()
// milliseconds (a store that does not answer counts as a failure).
class EMKeychainItem
{
public:
    virtual ~EMKeychainItem() = default;
    EMKeychainItem(const EMKeychainItem &) = delete;
    EMKeychainItem &operator=(const EMKeychainItem &) = delete;

    QString password() const;
    QString username() const;
    QString label() const;

    // Stores a new password in the item when it differs from the one held;
    // the field is updated even when the store refuses the write.
    void setPassword(const QString &newPassword);
    // Moves the item to another account (the store keeps items by service
    // and account, so the item is written anew and the old one removed).
    void setUsername(const QString &newUsername);
    // The label is kept with the object only: the store names items itself.
    void setLabel(const QString &newLabel);

    // Deletes the item from the store; true on success. Afterwards the
    // object no longer refers to a stored item and its setters that write
    // to the store raise an internal-consistency KZException.
    bool removeFromKeychain();

    // How long one store operation may take, in milliseconds (default 60 s,
    // long enough for the user to answer an unlock prompt).
    static int timeout();
    static void setTimeout(int milliseconds);

protected:
    struct CoreItem
    {
        QString service;
        QString account;
    };

    EMKeychainItem(const QString &username, const QString &password, const CoreItem &coreItem);

    // Writes the stored item anew under changed service or account names.
    void moveCoreItem(const CoreItem &target);

    mutable QMutex m_mutex;
    QString m_username;
    QString m_password;
    QString m_label;
    // The store's reference to the item: its service and account names.
    std::optional<CoreItem> m_coreKeychainItem;
};

// A generic password: service plus account. The one kind the system uses.
class EMGenericKeychainItem : public EMKeychainItem
{
public:
    // The item stored for service and account, or nothing when either is
    // absent, when there is none, or when the store cannot be asked.
    static std::shared_ptr<EMGenericKeychainItem>
    genericKeychainItemForService(const std::optional<QString> &serviceName,
                                  const std::optional<QString> &username);

    // Adds a new item, or returns nothing when any value is absent, when an
    // item for the same service and account is already stored, or when the
    // store refuses the add.
    static std::shared_ptr<EMGenericKeychainItem>
    addGenericKeychainItemForService(const std::optional<QString> &serviceName,
                                     const std::optional<QString> &username,
                                     const std::optional<QString> &password);

    QString serviceName() const;
    void setServiceName(const QString &newServiceName);

private:
    EMGenericKeychainItem(const QString &serviceName, const QString &username,
                          const QString &password);

    QString m_serviceName;
};
