#include "platform/dao/mdb_import.h"

#include <sqlite3.h>

#include <QByteArray>
#include <QFileInfo>
#include <chrono>
#include <cstring>
#include <limits>

#include "platform/dao/child_call.h"
#include "platform/dao/dao_errors.h"
#include "platform/dao/mdb_damage.h"
#include "platform/error.h"

namespace kalvor::dao {
namespace {

[[noreturn]] void sqliteFailure(sqlite3* db, const QString& path) {
    throw Error(errors::EngineError, QStringLiteral("Impossible de lire la base Access « %1 » : %2")
                                         .arg(path, QString::fromUtf8(sqlite3_errmsg(db))));
}

// The image becomes the connection's database as it is: one copy, which
// the connection owns and may grow (a check's work tables).
void loadImage(QByteArray& image, sqlite3* db, const QString& path) {
    const auto size = sqlite3_int64(image.size());
    auto* bytes = static_cast<unsigned char*>(sqlite3_malloc64(sqlite3_uint64(size)));
    if (!bytes)
        mdb_damage::Refuse(path, QStringLiteral("sa copie ne tient pas en mémoire"));
    std::memcpy(bytes, image.constData(), size_t(size));
    image = QByteArray();
    // On failure too, the connection frees the bytes.
    if (sqlite3_deserialize(db, "main", bytes, size, size,
                            SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE) !=
        SQLITE_OK)
        sqliteFailure(db, path);
    sqlite3_int64 unbounded = std::numeric_limits<sqlite3_int64>::max();
    sqlite3_file_control(db, "main", SQLITE_FCNTL_SIZE_LIMIT, &unbounded);
}

// The reader stands beside the program; a program of the build tree (a test,
// a bench) finds the build's.
QString AccessReaderProgram() {
    const QString name = QStringLiteral("kalvor_access_reader");
    const QString beside =
        QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + u'/' + name;
    if (QFileInfo(beside).isExecutable())
        return beside;
    const QString built = QStringLiteral(KALVOR_ACCESS_READER);
    if (QFileInfo(built).isExecutable())
        return built;
    throw Error(errors::EngineError,
                QStringLiteral("Le programme %1, qui lit les bases Access, est introuvable : il "
                               "doit se trouver dans le répertoire du programme (%2).")
                    .arg(name, QFileInfo(beside).path()));
}

}  // namespace

QStringList ImportAccessFile(const QString& path, sqlite3* db) {
    const qint64 size = QFileInfo(path).size();
    mdb_damage::CheckWholePages(path, size);
    // libmdb trusts the file's offsets and counts: a damaged file can crash
    // it or keep it looping, so it reads in a process of its own. The bounds are
    // far beyond what a sound catalogue needs (a second and 100 MB for 40 MB).
    constexpr qint64 kMiB = 1 << 20;
    const auto limit = std::chrono::seconds(60 + 2 * size / kMiB);
    const qint64 memory = 2048 * kMiB + 16 * size;
    ChildOutcome outcome = CallInChild(AccessReaderProgram(), {path}, limit, memory);
    QString reason;
    switch (outcome.end) {
        case ChildOutcome::End::Done:
            if (mdb_damage::TellsOfDamage(outcome.diagnostics))
                reason = QStringLiteral("des pages ou des valeurs sont illisibles");
            break;
        case ChildOutcome::End::Failed:
            throw Error(outcome.errorNumber,
                        mdb_damage::WithDetail(outcome.description, outcome.diagnostics));
        case ChildOutcome::End::Crashed:
            reason = QStringLiteral("sa lecture s'est arrêtée brutalement");
            if (outcome.signal > 0)
                reason += QStringLiteral(" (signal %1)").arg(outcome.signal);
            break;
        case ChildOutcome::End::TimedOut:
            reason = QStringLiteral("sa lecture n'a pas abouti en %1 secondes").arg(limit.count());
            break;
    }
    if (!reason.isEmpty())
        throw Error(errors::UnrecognizedFormat,
                    mdb_damage::WithDetail(mdb_damage::Text(path, reason), outcome.diagnostics));
    loadImage(outcome.result, db, path);

    QStringList tables;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid",
                           -1, &stmt, nullptr) != SQLITE_OK)
        sqliteFailure(db, path);
    while (sqlite3_step(stmt) == SQLITE_ROW)
        tables << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    return tables;
}

}  // namespace kalvor::dao
