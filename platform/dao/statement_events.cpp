#include "platform/dao/statement_events.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QThread>

#include "platform/event_turns.h"

namespace kalvor::dao {
namespace {

// Only the window's thread holds guards; other threads' statements never
// run its events.
int guards = 0;
bool inEvents = false;
EventTurns turns;

int onProgress(void*) {
    if (guards == 0 || inEvents || !turns.due() ||
        QThread::currentThread() != QCoreApplication::instance()->thread()) {
        return 0;
    }
    inEvents = true;
    turns.run(QEventLoop::ExcludeUserInputEvents);
    inEvents = false;
    return 0;
}

}  // namespace

StatementEvents::StatementEvents() {
    if (guards++ == 0) {
        turns.restart();
    }
}

StatementEvents::~StatementEvents() {
    --guards;
}

void WatchStatements(sqlite3* db) {
    // Some thousands of steps take well under a millisecond.
    sqlite3_progress_handler(db, 4000, onProgress, nullptr);
}

}  // namespace kalvor::dao
