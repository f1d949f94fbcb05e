#pragma once

namespace kalvor::dao {
class Database;
}

namespace kalvor::recovery {

// Writes of one step go to the file together, far faster than one write
// each; when the step fails, what it wrote before the failure is kept all the
// same (nothing is rolled back).
class StoredTogether {
  public:
    explicit StoredTogether(dao::Database& db);
    ~StoredTogether();
    StoredTogether(const StoredTogether&) = delete;
    StoredTogether& operator=(const StoredTogether&) = delete;

    // Raises kalvor::Error when the file cannot take the writes.
    void Commit();

  private:
    dao::Database& db_;
    bool done_ = false;
};

}  // namespace kalvor::recovery
