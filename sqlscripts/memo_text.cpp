#include "sqlscripts/memo_text.h"

#include "common/general.h"
#include "platform/dao/database.h"

namespace kalvor::memo_text {
namespace {
constexpr int kChunk = 255;
}

QString GetCommentaire(const ChunkQuery& query, const QString& table, const QString& key,
                       const QString& id) {
    QString memo;
    for (qint64 start = 1;; start += kChunk) {
        const QVariant chunk =
            query(QStringLiteral("select mid(Commentaire,") + QString::number(start) +
                  QStringLiteral(",255) from ") + table + QStringLiteral(" where ") + key +
                  QStringLiteral(" = ") + id);
        if (!chunk.isValid() || chunk.isNull()) {
            break;
        }
        QString text = chunk.toString();
        if (text.isEmpty()) {
            break;
        }
        memo += general::Escape_Texte(text);
    }
    return memo;
}

QString GetCommentaire(dao::Database& db, const QString& table, const QString& key,
                       const QString& id) {
    return GetCommentaire(
        [&db](const QString& sql) {
            auto rs = db.OpenRecordset(sql);
            const QVariant value = rs->Fields(0);
            rs->Close();
            return value;
        },
        table, key, id);
}

}  // namespace kalvor::memo_text
