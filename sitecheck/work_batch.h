#pragma once

namespace kalvor::dao {
class Database;
}

namespace kalvor::site {

// Groups the row-by-row writes of one step into one commit of the engine, so
// that a catalogue file is not synced once per row. What was written before a
// failure is kept, as row-by-row writing would keep it.
class WorkBatch {
  public:
    explicit WorkBatch(dao::Database& db);
    ~WorkBatch();
    WorkBatch(const WorkBatch&) = delete;
    WorkBatch& operator=(const WorkBatch&) = delete;

  private:
    dao::Database& db_;
    bool begun_ = false;
};

}  // namespace kalvor::site
