#include "e2e/catalogpages/catalogue_site.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "catalogue/sqlite_catalogue.h"
#include "common/vb.h"
#include "e2e/e2e_servers.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "platform/textfile.h"
#include "sitegen/require_php.h"
#include "sqlscripts/full_export.h"
#include "sqlscripts/schema_scripts.h"
#include "support/test_paths.h"

namespace kalvor::e2e {

QString mendedCatalogue(const QString& generation, const QString& folder) {
    const QString path =
        folder + QStringLiteral("/catalogue-") + generation + QStringLiteral(".db");
    QFile::remove(path);
    catalogue::BuildSqliteCatalogue(test::fixturePath(QStringLiteral("catalogue/catalogue-") +
                                                      generation + QStringLiteral(".sql")),
                                    path);
    auto db = dao::DBEngine::OpenDatabase(path);
    if (generation == QStringLiteral("v6")) {
        db->Execute(QStringLiteral("UPDATE PARABD SET TypeObjet = 1 WHERE IdParabd = 12"));
    } else {
        db->Execute(QStringLiteral("UPDATE EXLIBRIS SET TypeObjet = 4 WHERE IdExlibris = 12"));
    }
    db->Execute(
        QStringLiteral("UPDATE REVUES SET NomRevue = 'Phylactère Hebdo' WHERE idRevue = 20"));
    db->Execute(QStringLiteral(
        "DELETE FROM COLLABORATEURS WHERE IdAlbum = 5 AND IdAuteur = 4 AND TypeCollaboration = 0"));
    db->Close();
    return path;
}

void putLettersBeyondWindows1252(const QString& catalogue, bool v6) {
    using namespace letters;
    auto db = dao::DBEngine::OpenDatabase(catalogue);
    const auto q = [](const QString& text) {
        return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
    };
    db->Execute(QStringLiteral("UPDATE AUTEURS SET Nom = %1, Prenom = %2, Pseudo = NULL, "
                               "Commentaire = %3 WHERE IdAuteur = 4")
                    .arg(q(kNom), q(kPrenom), q(kComment)));
    db->Execute(QStringLiteral("UPDATE SERIES SET Titre = %1, Commentaire = %2 WHERE IdSerie = 1")
                    .arg(q(kSerie), q(kSerieComment)));
    db->Execute(QStringLiteral("UPDATE ALBUMS SET Titre = %1, Commentaire = %2, Couverture = %3 "
                               "WHERE IdAlbum = 1")
                    .arg(q(kTitre), q(kComment), q(kCouverture)));
    db->Execute(QStringLiteral("UPDATE %1 SET %2 = %3, Commentaire = %4 WHERE %5 = 1")
                    .arg(v6 ? QStringLiteral("PARABD") : QStringLiteral("EXLIBRIS"),
                         v6 ? QStringLiteral("descriptif") : QStringLiteral("Description"),
                         q(kObjet), q(kComment),
                         v6 ? QStringLiteral("IdParabd") : QStringLiteral("IdExlibris")));
    db->Close();
}

QList<SqlScript> fullExportData(const SiteInputs& inputs) {
    Settings s = inputs.settings;
    s.GV_Export = inputs.exportFolder;
    s.GV_Chemin_Base = inputs.catalogue;
    s.Mode_Commande = true;
    s.split = Settings::Split::No;
    s.GV_Prefixe_Table = s.box_prefixe_table;
    schema_scripts::Create_Tables_Sql({inputs.exportFolder, s.box_prefixe_table, s.opt_utf8()});
    RecordingPrompt prompt;
    if (!btn_Donnees_SQL_Click(s, prompt)) {
        throw Error(0, QStringLiteral("export complet en échec : ") + s.GV_Erreurs);
    }
    const QString scripts = schema_scripts::ScriptsFolder(inputs.exportFolder);
    return {
        {QStringLiteral("tables.sql"), test::readAll(scripts + QStringLiteral("/tables.sql"))},
        {QStringLiteral("donnees.sql"), test::readAll(scripts + QStringLiteral("/donnees.sql"))}};
}

QString variantSite(const SiteHarness& base, const QString& name, Settings settings) {
    const QString folder = base.folder() + u'_' + name;
    QDir().mkpath(folder);
    const QDir from(base.folder());
    for (const QFileInfo& entry :
         from.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString to = folder + u'/' + entry.fileName();
        if (entry.fileName() == QStringLiteral("require.php") ||
            entry.fileName() == QStringLiteral("scripts") || QFileInfo::exists(to)) {
            continue;
        }
        // Picture folders are shared; pages are copied so that each finds its
        // own require.php beside it.
        if (entry.isDir()) {
            QFile::link(entry.filePath(), to);
        } else {
            QFile::copy(entry.filePath(), to);
        }
    }
    settings.GV_Export = folder;
    settings.box_host = mysqlHost();
    settings.box_login = mysqlUser();
    settings.box_password = mysqlPassword();
    settings.box_base = base.database();
    TextFile require(folder + QStringLiteral("/require.php"));
    for (QString line : sitegen::requirePhpLines(settings, siteStats(), vb::Now())) {
        if (line == QStringLiteral("error_reporting(E_ERROR | E_WARNING | E_PARSE);")) {
            line = QStringLiteral("error_reporting(E_ALL);");
        }
        require.WriteLine(line);
    }
    require.Close();
    return base.url() + u'_' + name;
}

QString cardFlow(const QByteArray& body) {
    static const QRegularExpression mark(
        QStringLiteral("<div class=\"(FicheLarge|Fiche)\"|<hr>|<h1>"));
    QString flow;
    auto it = mark.globalMatch(QString::fromLatin1(body));
    while (it.hasNext()) {
        const QString m = it.next().captured(0);
        flow += m == QStringLiteral("<hr>")           ? u'-'
                : m == QStringLiteral("<h1>")         ? u'H'
                : m.contains(QStringLiteral("Large")) ? u'L'
                                                      : u'F';
    }
    return flow;
}

}  // namespace kalvor::e2e
