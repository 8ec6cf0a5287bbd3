#pragma once

#include <QObject>
#include <functional>

class QThreadPool;

// Work that must not run on the GUI thread (a check of the drives, a mail,
// the replay of a report, a self-test command), on one thread pool of the
// process. Nothing waits for that pool at exit: a smartctl that hangs ends
// on its own time-out, and the program entry ends the process without
// waiting for it (running() tells whether it must).
namespace KZBackground {

// The pool every piece of background work runs on. It has room for many
// threads, so a check that waits for a slow disk never holds up a mail.
QThreadPool &pool();

// Runs `work` on the pool. When it has ended, `done` runs on the GUI thread
// (the application's) through its event loop, unless `context`, an object
// of the GUI thread, is gone by then.
void run(QObject *context, std::function<void()> work, std::function<void()> done = {});

// Work started by run() (or counted with Counted) that has not ended.
int running();

// Counts a piece of work that runs on the pool by other means in running().
class Counted
{
public:
    Counted();
    ~Counted();
    Counted(const Counted &) = delete;
    Counted &operator=(const Counted &) = delete;
};

} // namespace KZBackground
