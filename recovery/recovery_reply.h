#pragma once

#include <QString>
#include <QStringList>

namespace kalvor::recovery {

// The rows of a reply of the site's recovery.php, one at a time: each row
// ends with "#end#", its fields are separated by "@@@".
class RecoveryReply {
  public:
    // White space around the rows is no part of them. `escaped`: the texts
    // come as this version's script sends them, and are read back.
    explicit RecoveryReply(const QString& reply, bool escaped = false);

    // The next row's fields; false when the reply holds no more rows. A row
    // ending with "@@@" has an empty last field. Raises kalvor::Error when
    // text that is not blank follows the last row end.
    bool Next(QStringList& fields);

    // 1 for the first row read.
    qint64 RowNumber() const { return row_; }

  private:
    QString reply_;
    qint64 position_ = 0;
    qint64 row_ = 0;
    bool escaped_;
};

}  // namespace kalvor::recovery
