#include "EMKeychainItem.h"

#include "KZException.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QSemaphore>
#include <QThread>
#include <qt6keychain/keychain.h>

#include <atomic>
#include <functional>

namespace {

std::atomic<int> operationTimeoutMs{60000};

enum class StoreStatus
{
    Ok,
    NotFound,
    Failed
};

struct StoreAnswer
{
    StoreStatus status = StoreStatus::Failed;
    QString password;
};

// QtKeychain queues its jobs in one executor object and starts the next job
// only when the previous one has reported its end to that object's thread.
// All jobs therefore run on one thread of our own that always runs its event
// loop, whichever thread asks; the asking thread only waits.
class KeychainWorker
{
public:
    static KeychainWorker *instance()
    {
        static KeychainWorker *worker = [] {
            auto *created = new KeychainWorker;
            // Ends the thread with the application object (it is never
            // deleted: a job that does not return must not block the exit).
            qAddPostRoutine([] {
                KeychainWorker *w = KeychainWorker::existing();
                w->m_thread->quit();
                w->m_thread->wait(2000);
            });
            return created;
        }();
        return worker;
    }

    static KeychainWorker *existing() { return instance(); }

    // Starts a job on the worker thread; `start` receives a callback that the
    // job's end must call exactly once. Returns Failed when the job did not
    // end within the time-out.
    StoreAnswer run(const std::function<void(std::function<void(StoreAnswer)>)> &start)
    {
        struct Exchange
        {
            QSemaphore done;
            QMutex mutex;
            StoreAnswer answer;
        };
        auto exchange = std::make_shared<Exchange>();
        auto finish = [exchange](StoreAnswer answer) {
            {
                QMutexLocker locker(&exchange->mutex);
                exchange->answer = std::move(answer);
            }
            exchange->done.release();
        };
        QMetaObject::invokeMethod(
            m_context, [start, finish] { start(finish); }, Qt::QueuedConnection);
        if (!exchange->done.tryAcquire(1, operationTimeoutMs.load()))
            return {};
        QMutexLocker locker(&exchange->mutex);
        return exchange->answer;
    }

private:
    KeychainWorker()
    {
        m_thread = new QThread;
        m_thread->setObjectName(QStringLiteral("Keychain"));
        m_context = new QObject;
        m_context->moveToThread(m_thread);
        m_thread->start();
    }

    QThread *m_thread = nullptr;
    QObject *m_context = nullptr;
};

StoreStatus statusOf(const QKeychain::Job *job)
{
    switch (job->error()) {
    case QKeychain::NoError:
        return StoreStatus::Ok;
    case QKeychain::EntryNotFound:
        return StoreStatus::NotFound;
    default:
        return StoreStatus::Failed;
    }
}

bool storeReachable()
{
    // Event loops need the application object; without one nothing is asked.
    return QCoreApplication::instance() != nullptr;
}

StoreAnswer readPassword(const QString &service, const QString &account)
{
    if (!storeReachable())
        return {};
    return KeychainWorker::instance()->run([service, account](auto finish) {
        auto *job = new QKeychain::ReadPasswordJob(service);
        job->setKey(account);
        job->setAutoDelete(true);
        QObject::connect(job, &QKeychain::Job::finished, [finish](QKeychain::Job *ended) {
            StoreAnswer answer;
            answer.status = statusOf(ended);
            if (answer.status == StoreStatus::Ok)
                answer.password = static_cast<QKeychain::ReadPasswordJob *>(ended)->textData();
            finish(answer);
        });
        job->start();
    });
}

StoreStatus writePassword(const QString &service, const QString &account, const QString &password)
{
    if (!storeReachable())
        return StoreStatus::Failed;
    return KeychainWorker::instance()
        ->run([service, account, password](auto finish) {
            auto *job = new QKeychain::WritePasswordJob(service);
            job->setKey(account);
            job->setTextData(password); // stored as UTF-8
            job->setAutoDelete(true);
            QObject::connect(job, &QKeychain::Job::finished, [finish](QKeychain::Job *ended) {
                finish({statusOf(ended), {}});
            });
            job->start();
        })
        .status;
}

StoreStatus deletePassword(const QString &service, const QString &account)
{
    if (!storeReachable())
        return StoreStatus::Failed;
    return KeychainWorker::instance()
        ->run([service, account](auto finish) {
            auto *job = new QKeychain::DeletePasswordJob(service);
            job->setKey(account);
            job->setAutoDelete(true);
            QObject::connect(job, &QKeychain::Job::finished, [finish](QKeychain::Job *ended) {
                finish({statusOf(ended), {}});
            });
            job->start();
        })
        .status;
}

const QString modifyNilMessage = QStringLiteral(
    "Core keychain item is nil. You cannot modify a keychain item that is not in the keychain.");
const QString removeNilMessage =
    QStringLiteral("Core keychain item is nil. You cannot remove a keychain item that is not "
                   "in the keychain already.");

} // namespace

int EMKeychainItem::timeout()
{
    return operationTimeoutMs.load();
}

void EMKeychainItem::setTimeout(int milliseconds)
{
    operationTimeoutMs.store(milliseconds);
}

EMKeychainItem::EMKeychainItem(const QString &username, const QString &password,
                               const CoreItem &coreItem)
    : m_username(username), m_password(password), m_coreKeychainItem(coreItem)
{
}

QString EMKeychainItem::password() const
{
    QMutexLocker locker(&m_mutex);
    return m_password;
}

QString EMKeychainItem::username() const
{
    QMutexLocker locker(&m_mutex);
    return m_username;
}

QString EMKeychainItem::label() const
{
    QMutexLocker locker(&m_mutex);
    return m_label;
}

void EMKeychainItem::setPassword(const QString &newPassword)
{
    QMutexLocker locker(&m_mutex);
    if (newPassword == m_password)
        return;
    m_password = newPassword;
    // As with the platform keychain, a refused write leaves only the field changed.
    if (m_coreKeychainItem)
        writePassword(m_coreKeychainItem->service, m_coreKeychainItem->account, newPassword);
}

void EMKeychainItem::setUsername(const QString &newUsername)
{
    QMutexLocker locker(&m_mutex);
    if (newUsername == m_username)
        return;
    if (!m_coreKeychainItem)
        throw KZException(KZException::noKeychainItem, modifyNilMessage);
    m_username = newUsername;
    moveCoreItem({m_coreKeychainItem->service, newUsername});
}

void EMKeychainItem::setLabel(const QString &newLabel)
{
    QMutexLocker locker(&m_mutex);
    if (newLabel == m_label)
        return;
    if (!m_coreKeychainItem)
        throw KZException(KZException::noKeychainItem, modifyNilMessage);
    m_label = newLabel;
}

void EMKeychainItem::moveCoreItem(const CoreItem &target)
{
    // Called with the lock held. The new item is written first so that a
    // failure in between never loses the password.
    if (writePassword(target.service, target.account, m_password) != StoreStatus::Ok)
        return;
    deletePassword(m_coreKeychainItem->service, m_coreKeychainItem->account);
    m_coreKeychainItem = target;
}

bool EMKeychainItem::removeFromKeychain()
{
    QMutexLocker locker(&m_mutex);
    if (!m_coreKeychainItem)
        throw KZException(KZException::noKeychainItem, removeNilMessage);
    if (deletePassword(m_coreKeychainItem->service, m_coreKeychainItem->account) != StoreStatus::Ok)
        return false;
    m_coreKeychainItem.reset();
    return true;
}

EMGenericKeychainItem::EMGenericKeychainItem(const QString &serviceName, const QString &username,
                                             const QString &password)
    : EMKeychainItem(username, password, {serviceName, username}), m_serviceName(serviceName)
{
}

std::shared_ptr<EMGenericKeychainItem>
EMGenericKeychainItem::genericKeychainItemForService(const std::optional<QString> &serviceName,
                                                     const std::optional<QString> &username)
{
    if (!serviceName || !username)
        return {};
    const StoreAnswer answer = readPassword(*serviceName, *username);
    if (answer.status != StoreStatus::Ok)
        return {};
    return std::shared_ptr<EMGenericKeychainItem>(
        new EMGenericKeychainItem(*serviceName, *username, answer.password));
}

std::shared_ptr<EMGenericKeychainItem>
EMGenericKeychainItem::addGenericKeychainItemForService(const std::optional<QString> &serviceName,
                                                        const std::optional<QString> &username,
                                                        const std::optional<QString> &password)
{
    if (!serviceName || !username || !password)
        return {};
    // The Secret Service would silently replace an item with the same service
    // and account; a keychain refuses such a duplicate, and so does this add.
    if (readPassword(*serviceName, *username).status != StoreStatus::NotFound)
        return {};
    if (writePassword(*serviceName, *username, *password) != StoreStatus::Ok)
        return {};
    return std::shared_ptr<EMGenericKeychainItem>(
        new EMGenericKeychainItem(*serviceName, *username, *password));
}

QString EMGenericKeychainItem::serviceName() const
{
    QMutexLocker locker(&m_mutex);
    return m_serviceName;
}

void EMGenericKeychainItem::setServiceName(const QString &newServiceName)
{
    QMutexLocker locker(&m_mutex);
    if (newServiceName == m_serviceName)
        return;
    if (!m_coreKeychainItem)
        throw KZException(KZException::noKeychainItem, modifyNilMessage);
    m_serviceName = newServiceName;
    moveCoreItem({newServiceName, m_coreKeychainItem->account});
}
