#include "e2e/listpages/list_site.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "e2e/e2e_servers.h"
#include "platform/cp1252.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "sqlscripts/full_export.h"
#include "sqlscripts/schema_scripts.h"
#include "support/test_paths.h"

namespace kalvor::e2e::listpages {
namespace {

QList<SqlScript> fullExport(const SiteInputs& in, const Published& how) {
    Settings s = in.settings;
    s.GV_Chemin_Base =
        test::sourceDir() + QStringLiteral("/tests/fixtures/catalogue/") + how.catalogue;
    s.GV_Version_Base = QString::fromLatin1(how.version);
    s.GV_Export = in.exportFolder;
    s.GV_Prefixe_Table = s.box_prefixe_table;
    s.format = how.utf8 ? Settings::FormatDonnees::Utf8 : Settings::FormatDonnees::Latin1;
    s.split = Settings::Split::No;
    s.Mode_Commande = true;
    schema_scripts::Create_Tables_Sql({in.exportFolder, s.GV_Prefixe_Table, how.utf8});
    RecordingPrompt prompt;
    if (!btn_Donnees_SQL_Click(s, prompt)) {
        throw Error(0, QStringLiteral("l'export complet a échoué"));
    }
    const QString folder = schema_scripts::ScriptsFolder(in.exportFolder);
    QList<SqlScript> scripts = {
        {QStringLiteral("tables.sql"), test::readAll(folder + QStringLiteral("/tables.sql"))},
        {QStringLiteral("donnees.sql"), test::readAll(folder + QStringLiteral("/donnees.sql"))}};
    if (how.withUpdate) {
        // An album as the update script writes one bought on no known date:
        // the zero date, where the full script writes null.
        const QString p = s.GV_Prefixe_Table;
        const QString line = QStringLiteral(
                                 "INSERT INTO %1albums VALUES (990,5,'%2',4,5,4,'0000-00-00',"
                                 "'Éditions du Phare','1','',null,'978-2-0000-0990-0','05/2020',"
                                 "'','',7,0,48,'','',0,0,'','','','','',0,0,0);")
                                 .arg(p, QString::fromUtf8(kUpdatedTitle));
        QByteArray bytes = how.utf8 ? QByteArray("SET NAMES utf8;\n") : "SET NAMES latin1;\n";
        bytes += "SET SESSION sql_mode = 'NO_ENGINE_SUBSTITUTION';\n";
        bytes += how.utf8 ? line.toUtf8() : cp1252::encode(line);
        bytes += '\n';
        bytes += QStringLiteral(
                     "DELETE FROM %1collaborateurs WHERE idalbum=990;\n"
                     "INSERT INTO %1collaborateurs VALUES (990,4,0);\n"
                     "INSERT INTO %1collaborateurs VALUES (990,5,1);\n"
                     "INSERT INTO %1collaborateurs VALUES (990,7,2);\n")
                     .arg(p)
                     .toLatin1();
        scripts.append({QStringLiteral("dernieres_donnees.sql"), bytes});
    }
    return scripts;
}

}  // namespace

QString publish(SiteHarness& site, const Published& how) {
    const QString failed = site.build(siteSettings(), siteStats(),
                                      [how](const SiteInputs& in) { return fullExport(in, how); });
    if (!failed.isEmpty()) {
        return failed;
    }
    // Hosts in MySQL 8's default mode refuse loose GROUP BY: so do we.
    const QString coeur = site.folder() + QStringLiteral("/coeur.php");
    QByteArray text = test::readAll(coeur);
    const QByteArray select = "mysql_select_db($base);";
    if (!text.contains(select)) {
        return QStringLiteral("coeur.php ne choisit pas sa base");
    }
    text.replace(select, select +
                             " mysql_query(\"SET SESSION sql_mode = "
                             "CONCAT(@@sql_mode, ',ONLY_FULL_GROUP_BY')\");");
    test::writeAll(coeur, text);
    return QString();
}

KeptTables::KeptTables(const QString& database, const QStringList& tables)
    : database_(database), tables_(tables) {
    QByteArray sql;
    for (const QString& t : tables_) {
        sql += QStringLiteral(
                   "DROP TABLE IF EXISTS kept_%1; CREATE TABLE kept_%1 LIKE %1; "
                   "INSERT INTO kept_%1 SELECT * FROM %1;\n")
                   .arg(t)
                   .toLatin1();
    }
    const SqlResult kept = runSql(database_, sql);
    EXPECT_TRUE(kept.ok && kept.errors.isEmpty()) << kept.errors.toStdString();
}

KeptTables::~KeptTables() {
    QByteArray sql;
    for (const QString& t : tables_) {
        sql += QStringLiteral(
                   "DELETE FROM %1; INSERT INTO %1 SELECT * FROM kept_%1; "
                   "DROP TABLE kept_%1;\n")
                   .arg(t)
                   .toLatin1();
    }
    const SqlResult put = runSql(database_, sql);
    EXPECT_TRUE(put.ok && put.errors.isEmpty()) << put.errors.toStdString();
}

QList<ListLink> listLinks(const QByteArray& body) {
    static const QRegularExpression link(QStringLiteral(
        R"re(<a[^>]* href="([a-z-]+)\.php\?([^"]*)" target="_top"(?: title="(\d+) albums[^"]*")?>(.*?)</a>)re"));
    static const QRegularExpression count(QStringLiteral(R"(\[(\d+)\])"));
    QList<ListLink> links;
    auto it = link.globalMatch(cp1252::decode(body));
    while (it.hasNext()) {
        const auto m = it.next();
        ListLink l;
        l.page = m.captured(1);
        l.href = l.page + QStringLiteral(".php?") +
                 m.captured(2).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        l.text = m.captured(4);
        l.count = -1;
        if (!m.captured(3).isEmpty()) {
            l.count = m.captured(3).toInt();
        } else if (const auto c = count.match(l.text); c.hasMatch()) {
            l.count = c.captured(1).toInt();
        }
        links.append(l);
    }
    return links;
}

int totalCount(const QByteArray& body) {
    static const QRegularExpression line(
        QStringLiteral(R"(<p>Nombre total [^<]*?&nbsp;: (\d*)</p>)"));
    const auto m = line.match(cp1252::decode(body));
    if (!m.hasMatch()) {
        return -1;
    }
    return m.captured(1).isEmpty() ? -2 : m.captured(1).toInt();
}

}  // namespace kalvor::e2e::listpages
