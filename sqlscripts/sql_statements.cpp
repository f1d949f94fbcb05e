#include "sqlscripts/sql_statements.h"

#include "common/vb.h"
#include "sqlscripts/sql_values.h"

namespace kalvor::sql {

QStringList ScriptHeader(bool utf8) {
    return {utf8 ? QStringLiteral("SET NAMES utf8;") : QStringLiteral("SET NAMES latin1;"),
            QStringLiteral("SET SESSION sql_mode = 'NO_ENGINE_SUBSTITUTION';")};
}

ScriptLine InsertRow(const QString& prefix, const QString& table, const QList<RowValue>& values) {
    ScriptLine line(QStringLiteral("INSERT INTO ") + prefix + table + QStringLiteral(" VALUES ("));
    bool first = true;
    for (const RowValue& value : values) {
        if (!first) {
            line.Append(QStringLiteral(","));
        }
        first = false;
        if (const auto* comment = std::get_if<Comment>(&value)) {
            line.Append(QStringLiteral("'"))
                .AppendComment(comment->escaped)
                .Append(QStringLiteral("'"));
        } else {
            line.Append(std::get<QString>(value));
        }
    }
    line.Append(QStringLiteral(");"));
    return line;
}

QString DeleteRows(const QString& prefix, const QString& table) {
    return QStringLiteral("DELETE FROM ") + prefix + table + u';';
}

QString DeleteWhere(const QString& prefix, const QString& table, const QString& condition) {
    return QStringLiteral("DELETE FROM ") + prefix + table + QStringLiteral(" where ") + condition +
           u';';
}

QString DeleteCollaborateurs(const QString& prefix, const QVariant& idAlbum) {
    return QStringLiteral("DELETE FROM ") + prefix +
           QStringLiteral("collaborateurs where idalbum = ") + Identifier(idAlbum) + u';';
}

QString LastUpdate(const QString& prefix, const QDate& today) {
    return QStringLiteral("update ") + prefix + QStringLiteral("kalvor set last_update = '") +
           today.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("';");
}

}  // namespace kalvor::sql
