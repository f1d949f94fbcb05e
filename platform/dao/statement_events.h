#pragma once

struct sqlite3;

namespace kalvor::dao {

// While one lives, a statement that runs long lets the window repaint and
// its timers and transfers run, every few hundredths of a second. User input
// waits for the statement's end: what it starts may use the same database.
class StatementEvents {
  public:
    StatementEvents();
    ~StatementEvents();
    StatementEvents(const StatementEvents&) = delete;
    StatementEvents& operator=(const StatementEvents&) = delete;
};

// Lets the statements of `db` take their turn.
void WatchStatements(sqlite3* db);

}  // namespace kalvor::dao
