// Builds the generated site into the folder of a running PHP server, with its
// tables in the private MariaDB, and prints its address. scripts/preview
// starts the servers, runs this, and keeps them until Ctrl-C.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "e2e/e2e_servers.h"
#include "e2e/site/site_harness.h"

using namespace kalvor;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString catalogue = args.value(0);
    if (!catalogue.isEmpty() && !QFileInfo::exists(catalogue)) {
        std::fprintf(stderr, "Catalogue introuvable : %s\n", qPrintable(catalogue));
        return 1;
    }
    if (!e2e::serversAnnounced()) {
        std::fprintf(stderr, "Serveurs absents : lancer scripts/preview\n");
        return 1;
    }
    // The data step of the harness: the catalogue reaches the site once the
    // full export is plugged in there; until then the sample rows stand in.
    std::fprintf(stderr, "Données : exemple intégré au banc d'essai\n");
    e2e::SiteHarness site(QStringLiteral("apercu"));
    const QString failed =
        site.build(e2e::siteSettings(), e2e::siteStats(), e2e::sampleData, catalogue, false);
    if (!failed.isEmpty()) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(failed));
        return 1;
    }
    // Until the home page is generated, a page of the frame alone.
    QString page = QStringLiteral("index.php");
    if (!QFile::exists(site.folder() + QStringLiteral("/index.php"))) {
        page = QStringLiteral("apercu.php");
        site.writeFramePage(page);
    }
    std::printf("%s\n", qPrintable(site.url() + u'/' + page));
    return 0;
}
