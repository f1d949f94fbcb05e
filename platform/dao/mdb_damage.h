#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstddef>

// What the import says of an Access file it cannot read whole.
namespace kalvor::dao::mdb_damage {

// "La base Access « path » est endommagée ou incomplète : reason."
QString Text(const QString& path, const QString& reason);
[[noreturn]] void Refuse(const QString& path, const QString& reason);

// A memo whose pages do not give the length its row states, in bytes.
struct Memo {
    QString column;
    size_t stored = 0;
    size_t read = 0;
};
// The damaged memos of one row, each with its own counts; `row` names the
// row by its key ("IdAuteur 13"), else by its rank.
QString Memos(const QString& table, const QString& row, const QList<Memo>& memos);

// Whether libmdb's complaints tell of pages or values it could not read,
// though it read on.
bool TellsOfDamage(const QByteArray& diagnostics);
// The description with libmdb's first complaint, as a detail for the log.
QString WithDetail(QString description, const QByteArray& diagnostics);

// Refuses a file that is not made of whole pages (2 KiB in Jet 3, 4 KiB later).
void CheckWholePages(const QString& path, qint64 size);

}  // namespace kalvor::dao::mdb_damage
