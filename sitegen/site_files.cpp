#include "sitegen/site_files.h"

namespace kalvor::sitegen {

const QList<SiteFileLayout>& siteFiles() {
    using B = SiteBox;
    static const QList<SiteFileLayout> files = {
        {QStringLiteral("_bas.php"), B::Php, true, true},
        {QStringLiteral("_detail_stats.php"), B::Php, true, true},
        {QStringLiteral("_image.php"), B::Php, true},
        {QStringLiteral("_nouv_couv.php"), B::Php, false, true},
        {QStringLiteral("_nouv_revue.php"), B::Php, true, true},
        {QStringLiteral("_nouv_parabd.php"), B::Php, false, true},
        {QStringLiteral("_retaille.php"), B::Php, true},
        {QStringLiteral("_serie.php"), B::Php, false},
        {QStringLiteral("auteur.php"), B::Php, true},
        {QStringLiteral("kalvor.php"), B::StyleSheet, true},
        {QStringLiteral("check_files.php"), B::Php, false},
        {QStringLiteral("check_thumbs.php"), B::Php, false},
        {QStringLiteral("coeur.php"), B::Php, true},
        {QStringLiteral("csshover.htc"), B::None, false},
        {QStringLiteral("dl.php"), B::Php, true},
        {QStringLiteral("dt-achat.php"), B::Php, true},
        {QStringLiteral("index.php"), B::Php, true},
        {QStringLiteral("menu.php"), B::Html, true, true},
        {QStringLiteral("notes.php"), B::Php, true},
        {QStringLiteral("print.css"), B::None, false},
        {QStringLiteral("revue.php"), B::Php, true},
        {QStringLiteral("serie.php"), B::Php, true},
        {QStringLiteral("stats.php"), B::Php, true},
        {QStringLiteral("style.php"), B::Php, false},
        {QStringLiteral("type.php"), B::Php, true},
        {QStringLiteral("collection.php"), B::Php, false},
        {QStringLiteral("liste.php"), B::Php, true},
        {QStringLiteral("imprimer.php"), B::Php, false},
        {QStringLiteral("fonctions.js"), B::None, false},
        {QStringLiteral("moteur.php"), B::Php, true},
        {QStringLiteral("search.php"), B::Php, true},
        {QStringLiteral("recovery.php"), B::Php, true},
    };
    return files;
}

void Create_Pages(const SiteTarget& target) {
    for (const SiteFileLayout& layout : siteFiles()) {
        writeSiteFile(target, layout);
    }
}

}  // namespace kalvor::sitegen
