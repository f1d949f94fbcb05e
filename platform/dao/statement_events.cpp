#include "platform/dao/statement_events.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace kalvor::dao {
namespace {

// Only the window's thread holds guards; other threads' statements never
// run its events.
int guards = 0;
bool inEvents = false;
QElapsedTimer sinceEvents;

int onProgress(void*) {
    if (guards == 0 || inEvents || sinceEvents.elapsed() < 40 ||
        QThread::currentThread() != QCoreApplication::instance()->thread()) {
        return 0;
    }
    inEvents = true;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    inEvents = false;
    sinceEvents.start();
    return 0;
}

}  // namespace

StatementEvents::StatementEvents() {
    if (guards++ == 0) {
        sinceEvents.start();
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
