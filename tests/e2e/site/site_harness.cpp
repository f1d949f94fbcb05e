#include "e2e/site/site_harness.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QUrl>
#include <QUuid>

#include "catalogue/catalogue_schema.h"
#include "common/general.h"
#include "common/vb.h"
#include "e2e/e2e_servers.h"
#include "platform/cp1252.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "platform/inet.h"
#include "platform/prompt.h"
#include "platform/textfile.h"
#include "sitegen/site_files.h"
#include "sqlscripts/full_export.h"
#include "sqlscripts/schema_scripts.h"
#include "support/test_paths.h"

namespace kalvor::e2e {
namespace {

QByteArray readSample(const QString& name, const QString& prefix) {
    QByteArray bytes =
        test::readAll(test::sourceDir() + QStringLiteral("/tests/e2e/site/data/") + name);
    bytes.replace("{prefix}", prefix.toUtf8());
    return bytes;
}

bool copyFile(const QString& from, const QString& to) {
    QFile::remove(to);
    return QFile::copy(from, to);
}

}  // namespace

const QStringList& hostileValues() {
    static const QStringList values = {
        QStringLiteral("'"),
        QStringLiteral("\\'"),
        QStringLiteral("1 or 1=1"),
        QStringLiteral("<script>alert(1)</script>"),
        QStringLiteral("../../etc/passwd"),
        QString(5000, u'x'),
    };
    return values;
}

QString SitePage::problem() const {
    if (status != 200) {
        return QStringLiteral("statut %1").arg(status);
    }
    for (const char* word : {"Warning", "Notice", "Deprecated", "Fatal error", "Parse error"}) {
        const qsizetype at = body.indexOf(word);
        if (at >= 0) {
            return cp1252::decode(body.mid(qMax<qsizetype>(0, at - 20), 300));
        }
    }
    return QString();
}

bool SitePage::echoesRaw(const QString& value) const {
    static const QRegularExpression markup(QStringLiteral("[<>\"]"));
    return value.contains(markup) && body.contains(cp1252::encode(value));
}

QList<SqlScript> sampleData(const SiteInputs& inputs) {
    const QString prefix = inputs.settings.box_prefixe_table;
    schema_scripts::Create_Tables_Sql({inputs.exportFolder, prefix, true});
    return {{QStringLiteral("tables.sql"),
             test::readAll(schema_scripts::ScriptsFolder(inputs.exportFolder) +
                           QStringLiteral("/tables.sql"))},
            {QStringLiteral("donnees.sql"), readSample(QStringLiteral("donnees.sql"), prefix)}};
}

namespace {

// The catalogue's own generation, read from its tables: the registry keys
// that tell it to the program belong to the user's Wine prefix.
QString versionOf(const QString& catalogue) {
    auto db = dao::DBEngine::OpenDatabase(catalogue);
    const bool v6 = catalogue::GenerationOfTables(db->TableDefs()) == catalogue::Generation::V6;
    db->Close();
    return v6 ? QStringLiteral("v6") : QStringLiteral("v5");
}

}  // namespace

QList<SqlScript> publishedData(const SiteInputs& in) {
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

Settings siteSettings() {
    Settings s;
    s.opt_albums = s.opt_acheter = s.opt_parabd = s.opt_revues = s.Opt_Collaborateurs = 1;
    s.repertoire = Settings::Repertoire::Sousrep;
    s.verso = Settings::Verso::Right;
    s.box_prefixe_table = QStringLiteral("kv_");
    s.opt_imprimer = 1;
    s.box_titre = QStringLiteral("Ma collection de Bandes Dessinées");
    s.GV_Verso = QStringLiteral("right");
    s.GV_Auteur = 1;
    s.opt_colorauteur = s.opt_commentaire = s.opt_nb_liste = 1;
    s.opt_icones = s.opt_eo = s.opt_int = s.opt_dedicace = s.opt_reliure = s.opt_tt = 1;
    s.opt_listecollection = s.opt_listestyle = s.opt_listedl = s.opt_listeachat = 1;
    s.opt_listenotes = s.opt_moteur = 1;
    s.opt_miniatures = 1;
    s.box_prefix = QStringLiteral("m_");
    s.opt_email = 1;
    s.box_email = QStringLiteral("lecteur@exemple.fr");
    s.opt_quitter = 1;
    s.box_siteprincipal = QStringLiteral("http://exemple.fr/");
    s.box_series_accueil = QStringLiteral("10");
    s.opt_image_accueil = 1;
    s.box_col_accueil = QStringLiteral("Auto");
    s.box_ligne_accueil = QStringLiteral("2");
    s.box_albums_accueil = QStringLiteral("12");
    s.opt_stats = 1;
    s.opt_baspage = 1;
    s.box_baspage = QStringLiteral("30");
    s.GV_Rep_Couvertures = QStringLiteral("couvertures");
    s.GV_Rep_Planches = QStringLiteral("planches");
    s.GV_Rep_Versos = QStringLiteral("versos");
    s.GV_Rep_Photos = QStringLiteral("photos");
    s.GV_Rep_Dedicaces = QStringLiteral("dedicaces");
    s.GV_Rep_Parabd = QStringLiteral("parabd");
    s.GV_Rep_Revues = QStringLiteral("revues");
    s.box_thumb_couvertures = QStringLiteral("mini/couvertures");
    s.box_thumb_planches = QStringLiteral("mini/planches");
    s.box_thumb_versos = QStringLiteral("mini/versos");
    s.box_thumb_photos = QStringLiteral("mini/photos");
    s.box_thumb_dedicaces = QStringLiteral("mini/dedicaces");
    s.box_thumb_parabd = QStringLiteral("mini/parabd");
    s.box_thumb_revues = QStringLiteral("mini/revues");
    s.opt_perso1 = s.opt_perso2 = s.opt_perso3 = s.opt_perso4 = 1;
    s.GV_Perso1 = QStringLiteral("Lieu de rangement");
    s.GV_Perso2 = QStringLiteral("État");
    s.GV_Perso3 = QStringLiteral("Prêté à");
    s.GV_Perso4 = QStringLiteral("Lu");
    s.GV_Tri_Para_1 = QStringLiteral("typeobjet");
    s.GV_Tri_Para_2 = QStringLiteral("a.editeur");
    s.GV_Tri_Para_3 = QStringLiteral("c.num");
    s.GV_Tri_Para_4 = QStringLiteral("numero");
    s.GV_Tri_Para_5 = QStringLiteral("right(a.dl, 4), left(a.dl, 2)");
    s.GV_Tri_Para_6 = QStringLiteral("libraire");
    s.GV_Tri_Para_7 = QStringLiteral("description");
    s.GV_Plugin_Tintin_Path = QStringLiteral("voitures/");
    return s;
}

QList<StatsEntry> siteStats() {
    QList<StatsEntry> stats;
    for (int i = 1; i <= 11; ++i) {
        stats.append({QStringLiteral("ST%1").arg(i, 2, 10, QLatin1Char('0')), 1, 10, 1, 1});
    }
    return stats;
}

QString siteImagesFolder() {
    return test::sourceDir() + QStringLiteral("/site-images");
}

SiteHarness::SiteHarness(const QString& hint, const QString& root, const QString& rootUrl) {
    const QString unique = hint + u'_' + QUuid::createUuid().toString(QUuid::Id128).left(8);
    folder_ = root + u'/' + unique;
    url_ = rootUrl + u'/' + unique;
    QDir().mkpath(folder_);
    database_ = QStringLiteral("s_") + unique;
    runSql(QString(), QStringLiteral("CREATE DATABASE `%1`;").arg(database_).toUtf8());
}

SiteHarness::SiteHarness(const QString& hint) : SiteHarness(hint, phpRoot(), phpUrl()) {}

QString SiteHarness::build(const Settings& given, const QList<StatsEntry>& stats,
                           const SiteData& data, const QString& catalogue, bool strict) {
    Settings settings = given;
    settings.GV_Export = folder_;
    settings.box_host = mysqlHost();
    settings.box_login = mysqlUser();
    settings.box_password = mysqlPassword();
    settings.box_base = database_;
    try {
        TextFile require(folder_ + QStringLiteral("/require.php"));
        for (QString line : sitegen::requirePhpLines(settings, stats, vb::Now())) {
            if (strict &&
                line == QStringLiteral("error_reporting(E_ERROR | E_WARNING | E_PARSE);")) {
                line = QStringLiteral("error_reporting(E_ALL);");
            }
            require.WriteLine(line);
        }
        require.Close();

        const sitegen::SiteTarget target{folder_, QString()};
        for (const sitegen::SiteFileLayout& layout : sitegen::siteFiles()) {
            if (QFile::exists(QStringLiteral(":/site/") + layout.name)) {
                sitegen::writeSiteFile(target, layout);
            }
        }
    } catch (const Error& e) {
        return QStringLiteral("écriture du site : ") + e.Description();
    }

    const QString scripts = folder_ + QStringLiteral("/scripts");
    QDir().mkpath(scripts);
    QList<SqlScript> sql;
    try {
        sql = data(SiteInputs{catalogue, settings, folder_});
    } catch (const Error& e) {
        return QStringLiteral("scripts SQL : ") + e.Description();
    }
    for (const SqlScript& script : sql) {
        const QString path = scripts + u'/' + script.name;
        test::writeAll(path, script.bytes);
        const SqlResult loaded = runSqlFile(database_, path);
        if (!loaded.ok || !loaded.errors.isEmpty()) {
            return script.name + QStringLiteral(" : ") + loaded.errors;
        }
    }

    const QDir images(siteImagesFolder());
    QDir().mkpath(folder_ + QStringLiteral("/images"));
    for (const QString& name : images.entryList(QDir::Files)) {
        if (name.endsWith(QStringLiteral(".gif")) || name.endsWith(QStringLiteral(".jpg"))) {
            copyFile(images.filePath(name), folder_ + QStringLiteral("/images/") + name);
        }
    }
    // The placeholder picture of the kinds that show one, in folders that lie
    // inside the site.
    for (const QString& rep : {settings.GV_Rep_Couvertures, settings.GV_Rep_Parabd,
                               settings.GV_Rep_Revues, settings.GV_Rep_Planches}) {
        if (rep.isEmpty() || QDir::isAbsolutePath(rep) || rep.startsWith(QStringLiteral(".."))) {
            continue;
        }
        QDir().mkpath(folder_ + u'/' + rep);
        copyFile(images.filePath(QStringLiteral("Encours.jpg")),
                 folder_ + u'/' + rep + QStringLiteral("/Encours.jpg"));
    }
    return QString();
}

void SiteHarness::writeFramePage(const QString& name) const {
    const QString page = QStringLiteral(
        "<?php\n"
        "require_once 'coeur.php';\n"
        "Entete($GV_titre, 'accueil');\n"
        "echo '<p id=\"etat\">coll=' . $coll . ';liste=' . $liste . ';</p>' . \"\\n\";\n"
        "$r = mysql_query('SELECT titre FROM ' . $prefixe_table . 'series ORDER BY idserie');\n"
        "while ($row = mysql_fetch_row($r)) {\n"
        "  echo '<p class=\"serie\">' . $row[0] . \"</p>\\n\";\n"
        "}\n"
        "Pied();\n"
        "?>\n");
    test::writeAll(folder_ + u'/' + name, cp1252::encode(page));
}

namespace {

SitePage waitForPage(QNetworkReply* reply) {
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    SitePage page;
    page.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    page.body = reply->readAll();
    page.contentType = reply->rawHeader("Content-Type");
    page.endMarked = reply->hasRawHeader(Inet::kEndMarkHeader);
    reply->deleteLater();
    return page;
}

}  // namespace

SitePage SiteHarness::get(const QString& pageAndQuery) const {
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl::fromEncoded((url_ + u'/' + pageAndQuery).toUtf8()));
    request.setTransferTimeout(30000);
    return waitForPage(manager.get(request));
}

QByteArray browserForm(const QList<std::pair<QString, QString>>& fields) {
    QByteArray form;
    for (const auto& [name, value] : fields) {
        if (!form.isEmpty()) {
            form += '&';
        }
        // A browser sends a character the page's code page lacks as its
        // reference, "&#269;".
        QString typed = value;
        form += QUrl::toPercentEncoding(name) + '=' +
                cp1252::encode(general::Convert_References(typed)).toPercentEncoding();
    }
    return form;
}

SitePage SiteHarness::post(const QString& pageAndQuery,
                           const QList<std::pair<QString, QString>>& fields) const {
    return postForm(url_ + u'/' + pageAndQuery, fields);
}

SitePage postForm(const QString& url, const QList<std::pair<QString, QString>>& fields) {
    const QByteArray form = browserForm(fields);
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl::fromEncoded(url.toUtf8()));
    request.setTransferTimeout(30000);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArray("application/x-www-form-urlencoded"));
    return waitForPage(manager.post(request, form));
}

// Qt's client may send a GET again on a new connection after reading an
// answer that ends as the connection closes: the server would run it twice,
// the second time maybe beside the test's next request.
SitePage SiteHarness::getOnce(const QString& pageAndQuery, const QString& from) const {
    return once("GET", pageAndQuery, QByteArray(), from);
}

SitePage SiteHarness::postOnce(const QString& pageAndQuery, const QByteArray& form,
                               const QString& from) const {
    return once("POST", pageAndQuery, form, from);
}

SitePage SiteHarness::once(const QByteArray& method, const QString& pageAndQuery,
                           const QByteArray& form, const QString& from) const {
    const QUrl url(url_);
    QTcpSocket socket;
    SitePage page;
    if (!from.isEmpty() && !socket.bind(QHostAddress(from))) {
        return page;
    }
    socket.connectToHost(url.host(), static_cast<quint16>(url.port()));
    if (!socket.waitForConnected(30000)) {
        return page;
    }
    socket.write(method + ' ' + url.path().toUtf8() + '/' + pageAndQuery.toUtf8() +
                 " HTTP/1.0\r\nHost: " + url.authority().toUtf8() + "\r\n" +
                 (method == "POST" ? "Content-Type: application/x-www-form-urlencoded\r\n"
                                     "Content-Length: " +
                                         QByteArray::number(form.size()) + "\r\n"
                                   : QByteArray()) +
                 "\r\n" + form);
    QByteArray answer;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(30000)) {
        answer += socket.readAll();
    }
    answer += socket.readAll();
    const qsizetype end = answer.indexOf("\r\n\r\n");
    if (end < 0) {
        return page;
    }
    page.headers = answer.left(end);
    const QList<QByteArray> lines = page.headers.split('\n');
    page.status = lines[0].split(' ').value(1).toInt();
    for (const QByteArray& line : lines) {
        const QByteArray lower = line.toLower();
        if (lower.startsWith("content-type:")) {
            page.contentType = line.mid(13).trimmed();
        }
        if (lower.startsWith(QByteArray(Inet::kEndMarkHeader).toLower() + ':')) {
            page.endMarked = true;
        }
    }
    page.body = answer.mid(end + 4);
    return page;
}

SitePage SiteHarness::getWith(const QString& page, const QStringList& parameters,
                              const QString& value) const {
    QStringList pairs;
    for (const QString& name : parameters) {
        pairs << name + u'=' + QString::fromLatin1(QUrl::toPercentEncoding(value));
    }
    return get(page + u'?' + pairs.join(u'&'));
}

}  // namespace kalvor::e2e
