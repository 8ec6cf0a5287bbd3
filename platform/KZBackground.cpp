#include "KZBackground.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

#include <atomic>

namespace {

std::atomic<int> runningWork{0};

} // namespace

namespace KZBackground {

QThreadPool &pool()
{
    // Made once and never destroyed: the destructor of a pool waits for its
    // threads, and a hung disk must not hold the end of the program.
    static QThreadPool *const shared = [] {
        auto *created = new QThreadPool;
        created->setMaxThreadCount(32);
        return created;
    }();
    return *shared;
}

Counted::Counted()
{
    ++runningWork;
}

Counted::~Counted()
{
    --runningWork;
}

void run(QObject *context, std::function<void()> work, std::function<void()> done)
{
    ++runningWork;
    QPointer<QObject> guard(context);
    pool().start([work = std::move(work), done = std::move(done), guard] {
        work();
        // Handed to the application object, which outlives every context:
        // whether the context is still there is asked on the GUI thread.
        if (done && QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [done, guard] {
                    if (guard)
                        done();
                },
                Qt::QueuedConnection);
        }
        --runningWork;
    });
}

int running()
{
    return runningWork.load();
}

} // namespace KZBackground
