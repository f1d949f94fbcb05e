#pragma once

#include <memory>

#include "platform/dao/connection.h"
#include "platform/dao/dao_errors.h"
#include "platform/dao/database.h"

namespace kalvor::dao {

class Database::Impl {
  public:
    std::shared_ptr<Connection> connection;
    QString path;
    long affected = 0;
    bool open = true;

    Connection& live() {
        if (!open || !connection->handle())
            throw Error(errors::ObjectClosed,
                        QStringLiteral("La base de données « %1 » est fermée.").arg(path));
        return *connection;
    }
};

}  // namespace kalvor::dao
