// scripts/preview: the whole site of a catalogue, published as the program
// publishes it (configuration file, schema, full data export, the site
// files) into the folder of a running PHP server, its tables loaded into the
// private MariaDB; prints the site's address.
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

#include "e2e/e2e_servers.h"
#include "e2e/site/site_harness.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "sqlscripts/full_export.h"
#include "sqlscripts/schema_scripts.h"
#include "support/test_paths.h"

using namespace kalvor;

namespace {

// The catalogue's own generation, read from its tables: the registry keys
// that tell it to the program belong to the user's Wine prefix.
QString versionOf(const QString& catalogue) {
    auto db = dao::DBEngine::OpenDatabase(catalogue);
    const bool v6 = db->TableDefs().Contains(QStringLiteral("PARABD"));
    db->Close();
    return v6 ? QStringLiteral("v6") : QStringLiteral("v5");
}

QList<e2e::SqlScript> publishedData(const e2e::SiteInputs& in) {
    Settings s = in.settings;
    s.GV_Export = in.exportFolder;
    s.GV_Chemin_Base = in.catalogue;
    s.GV_Version_Base = versionOf(in.catalogue);
    s.GV_Prefixe_Table = s.box_prefixe_table;
    s.Mode_Commande = true;
    schema_scripts::Create_Tables_Sql({in.exportFolder, s.box_prefixe_table, s.opt_utf8()});
    RecordingPrompt prompt;
    if (!btn_Donnees_SQL_Click(s, prompt)) {
        throw Error(0, QStringLiteral("export des données en échec : ") + s.GV_Erreurs);
    }
    const QString scripts = schema_scripts::ScriptsFolder(in.exportFolder);
    return {
        {QStringLiteral("tables.sql"), test::readAll(scripts + QStringLiteral("/tables.sql"))},
        {QStringLiteral("donnees.sql"), test::readAll(scripts + QStringLiteral("/donnees.sql"))}};
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString catalogue = app.arguments().value(1);
    if (catalogue.isEmpty() || !QFileInfo::exists(catalogue)) {
        std::fprintf(stderr, "Catalogue introuvable : %s\n", qPrintable(catalogue));
        return 1;
    }
    if (!e2e::serversAnnounced()) {
        std::fprintf(stderr, "Serveurs absents : lancer scripts/preview\n");
        return 1;
    }
    e2e::SiteHarness site(QStringLiteral("apercu"));
    QString failed;
    try {
        failed = site.build(e2e::siteSettings(), e2e::siteStats(), publishedData, catalogue, false);
    } catch (const Error& e) {
        failed = e.Description();
    }
    if (!failed.isEmpty()) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(failed));
        return 1;
    }
    std::printf("%s\n", qPrintable(site.url() + QStringLiteral("/index.php")));
    return 0;
}
