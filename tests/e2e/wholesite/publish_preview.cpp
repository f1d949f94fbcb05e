// scripts/preview: the whole site of a catalogue, published as the program
// publishes it (configuration file, schema, full data export, the site
// files) into the folder of a running PHP server, its tables loaded into the
// private MariaDB; prints the site's address.
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

#include "e2e/e2e_servers.h"
#include "e2e/site/site_harness.h"
#include "platform/error.h"

using namespace kalvor;

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
        failed =
            site.build(e2e::siteSettings(), e2e::siteStats(), e2e::publishedData, catalogue, false);
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
