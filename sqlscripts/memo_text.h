#pragma once

#include <QString>
#include <QVariant>
#include <functional>

namespace kalvor {
namespace dao {
class Database;
}

namespace memo_text {

// Runs one query and gives the first column of its first row.
using ChunkQuery = std::function<QVariant(const QString& sql)>;

// A catalogue memo comment, escaped for a data script (Memo() quotes it). It
// is read in pieces of 255 characters, "select mid(Commentaire,1,255) from
// AUTEURS where IdAuteur = 12", then 256, 511, ..., up to the first Null or
// empty piece: the whole comment, however long.
QString GetCommentaire(const ChunkQuery& query, const QString& table, const QString& key,
                       const QString& id);
QString GetCommentaire(dao::Database& db, const QString& table, const QString& key,
                       const QString& id);

}  // namespace memo_text
}  // namespace kalvor
