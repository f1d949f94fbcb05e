#include "catalogue/sqlite_catalogue.h"

#include <QFile>

#include "platform/dao/db_engine.h"
#include "platform/error.h"

namespace kalvor::catalogue {

void BuildSqliteCatalogue(const QString& scriptPath, const QString& databasePath) {
    QFile script(scriptPath);
    if (!script.open(QIODevice::ReadOnly))
        throw Error(err::FileNotFound,
                    QStringLiteral("Fichier « %1 » introuvable.").arg(scriptPath));
    auto db = dao::DBEngine::CreateDatabase(databasePath);
    db->ExecuteScript(QString::fromUtf8(script.readAll()));
    db->Close();
}

}  // namespace kalvor::catalogue
