#include "platform/dao/db_engine.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "platform/dao/connection.h"
#include "platform/dao/dao_errors.h"
#include "platform/dao/database_impl.h"
#include "platform/system_reason.h"

namespace kalvor::dao {
namespace {

std::unique_ptr<Database> wrap(std::shared_ptr<Connection> connection, const QString& path) {
    auto impl = std::make_unique<Database::Impl>();
    impl->connection = std::move(connection);
    impl->path = path;
    return std::make_unique<Database>(std::move(impl));
}

}  // namespace

bool DBEngine::IsAccessFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(32);
    return header.mid(4, 15) == QByteArrayLiteral("Standard Jet DB") ||
           header.mid(4, 15) == QByteArrayLiteral("Standard ACE DB");
}

std::unique_ptr<Database> DBEngine::OpenDatabase(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir())
        throw Error(errors::FileNotFound, QStringLiteral("Fichier « %1 » introuvable.").arg(path));
    // SQLite would take an empty file for an empty database, and the first
    // table read would then be reported missing.
    if (info.size() == 0)
        throw Error(errors::UnrecognizedFormat,
                    QStringLiteral("Le fichier « %1 » est vide : ce n'est pas une base de données.")
                        .arg(path));
    if (IsAccessFile(path))
        return wrap(Connection::AccessCopy(path), path);
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        throw Error(errors::FileNotFound,
                    QStringLiteral("Impossible d'ouvrir le fichier « %1 » (%2).")
                        .arg(path, FileReason(file, errno)));
    const QByteArray header = file.read(16);
    if (!header.isEmpty() && header != QByteArrayLiteral("SQLite format 3\0"))
        throw Error(errors::UnrecognizedFormat,
                    QStringLiteral("Format de base de données « %1 » non reconnu.").arg(path));
    return wrap(Connection::OpenFile(path, false), path);
}

std::unique_ptr<Database> DBEngine::CreateDatabase(const QString& path) {
    if (QFileInfo::exists(path))
        throw Error(errors::EngineError, QStringLiteral("La base « %1 » existe déjà.").arg(path));
    return wrap(Connection::OpenFile(path, true), path);
}

}  // namespace kalvor::dao
