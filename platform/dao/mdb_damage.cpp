#include "platform/dao/mdb_damage.h"

#include <QByteArrayList>
#include <QFile>
#include <QStringList>
#include <algorithm>

#include "platform/dao/dao_errors.h"
#include "platform/error.h"

namespace kalvor::dao::mdb_damage {

QString Text(const QString& path, const QString& reason) {
    return QStringLiteral("La base Access « %1 » est endommagée ou incomplète : %2.")
        .arg(path, reason);
}

void Refuse(const QString& path, const QString& reason) {
    throw Error(errors::UnrecognizedFormat, Text(path, reason));
}

QString Memos(const QString& table, const QString& row, const QList<Memo>& memos) {
    QStringList each;
    for (const Memo& memo : memos) {
        const QString where =
            each.isEmpty() ? QStringLiteral(" de la table %1 (%2)").arg(table, row) : QString();
        each << QStringLiteral("le mémo %1%2 compte %3 octets, %4 ont pu être lus")
                    .arg(memo.column, where)
                    .arg(memo.stored)
                    .arg(memo.read);
    }
    return each.join(QStringLiteral(" ; "));
}

bool TellsOfDamage(const QByteArray& diagnostics) {
    static const QByteArrayList signs = {"beyond EOF",
                                         "Invalid data location",
                                         "Invalid page buffer",
                                         "incorrect memo length",
                                         "reading page",
                                         "Unable to",
                                         "can't find index",
                                         "not a valid table definition",
                                         "didn't get a full page"};
    return std::any_of(signs.begin(), signs.end(),
                       [&](const QByteArray& sign) { return diagnostics.contains(sign); });
}

QString WithDetail(QString description, const QByteArray& diagnostics) {
    const QString first =
        QString::fromUtf8(diagnostics.left(diagnostics.indexOf('\n'))).trimmed().left(200);
    if (first.isEmpty())
        return description;
    if (description.endsWith(u'.'))
        description.chop(1);
    return description + QStringLiteral(" (mdbtools : %1).").arg(first);
}

void CheckWholePages(const QString& path, qint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(errors::FileNotFound,
                    QStringLiteral("Impossible d'ouvrir le fichier « %1 ».").arg(path));
    const QByteArray header = file.read(0x15);
    const qint64 page = header.size() > 0x14 && header[0x14] == 0 ? 2048 : 4096;
    if (size < 2 * page)
        Refuse(path, QStringLiteral("elle n'a que %1 octets").arg(size));
    if (size % page != 0)
        Refuse(path, QStringLiteral("sa taille (%1 octets) n'est pas un multiple de ses pages "
                                    "de %2 octets")
                         .arg(size)
                         .arg(page));
}

}  // namespace kalvor::dao::mdb_damage
