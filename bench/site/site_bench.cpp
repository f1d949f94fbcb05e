// Latency of the busiest catalogue pages of the generated site under load:
// the catalogue's full export loaded into MariaDB, the site written into the
// PHP server's folder, then 8 clients on loopback asking for the home page,
// the largest series page and the largest author page; p50 and p95 printed.
//   site_bench [catalogue.mdb] [--requests N] [--clients C]
// Run through bench/site/run, which starts the servers and sets
// KALVOR_TEST_MYSQL_SOCKET, KALVOR_TEST_PHP_ROOT and KALVOR_BENCH_URL.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QUuid>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "common/vb.h"
#include "platform/cp1252.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "platform/textfile.h"
#include "settings/settings.h"
#include "settings/stats_grid.h"
#include "sitegen/require_php.h"
#include "sitegen/site_files.h"
#include "sqlscripts/full_export.h"
#include "sqlscripts/schema_scripts.h"

using namespace kalvor;

namespace {

QString env(const char* name) {
    return QString::fromLocal8Bit(qgetenv(name));
}

// Runs SQL through the mariadb client; its tab-separated rows.
QList<QStringList> mariadb(const QString& database, const QStringList& extra,
                           const QByteArray& input = QByteArray()) {
    QProcess client;
    QStringList args = {QStringLiteral("--no-defaults"),
                        QStringLiteral("--socket=") + env("KALVOR_TEST_MYSQL_SOCKET"),
                        QStringLiteral("-uroot"), QStringLiteral("-N"), QStringLiteral("-B")};
    if (!database.isEmpty()) {
        args << database;
    }
    client.start(QStringLiteral("mariadb"), args + extra);
    client.write(input);
    client.closeWriteChannel();
    client.waitForFinished(-1);
    if (client.exitCode() != 0) {
        throw Error(0, QString::fromLocal8Bit(client.readAllStandardError()));
    }
    QList<QStringList> rows;
    for (const QByteArray& line : client.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty()) {
            rows << QString::fromUtf8(line).split(u'\t');
        }
    }
    return rows;
}

Settings benchSettings(const QString& folder, const QString& database) {
    Settings s;
    s.GV_Version_Base = QStringLiteral("v6");
    s.GV_Export = folder;
    s.opt_albums = s.opt_acheter = s.opt_parabd = s.opt_revues = s.Opt_Collaborateurs = 1;
    s.Mode_Commande = true;
    s.format = Settings::FormatDonnees::Latin1;
    s.box_prefixe_table = s.GV_Prefixe_Table = QStringLiteral("kv_");
    s.box_host = QStringLiteral("localhost:") + env("KALVOR_TEST_MYSQL_SOCKET");
    s.box_login = QStringLiteral("kalvor");
    s.box_password = QStringLiteral("kalvor");
    s.box_base = database;
    s.box_titre = QStringLiteral("Banc d'essai");
    // The heaviest layouts: back covers, author table with its cards,
    // collaborators, thumbnails made on demand, latest items on the home page.
    s.GV_Verso = QStringLiteral("right");
    s.GV_Auteur = 2;
    s.opt_commentaire = s.opt_eo = s.opt_int = s.opt_dedicace = s.opt_reliure = s.opt_tt = 1;
    s.opt_listecollection = s.opt_listestyle = s.opt_listedl = s.opt_listeachat = 1;
    s.opt_listenotes = 1;
    s.opt_stats = 1;
    s.opt_miniatures = 1;
    s.box_prefix = QStringLiteral("m_");
    s.box_series_accueil = QStringLiteral("10");
    s.opt_image_accueil = 1;
    s.box_col_accueil = QStringLiteral("4");
    s.box_ligne_accueil = QStringLiteral("3");
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
    return s;
}

// One request over a fresh loopback connection, as a browser without
// keep-alive: a GET, or a form POST when there is a body; the whole reply
// read. Returns false unless it is a 200.
bool get(int port, const QByteArray& path, const QByteArray& form = QByteArray()) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return false;
    }
    const QByteArray request =
        form.isEmpty() ? "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n"
                       : "POST " + path +
                             " HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                             "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                             QByteArray::number(form.size()) + "\r\n\r\n" + form;
    if (::write(fd, request.constData(), request.size()) != request.size()) {
        ::close(fd);
        return false;
    }
    QByteArray reply;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
        reply.append(buffer, n);
    }
    ::close(fd);
    return reply.startsWith("HTTP/1.0 200") || reply.startsWith("HTTP/1.1 200");
}

struct Figures {
    double p50 = 0, p95 = 0, mean = 0;
    int failures = 0;
    qint64 bytes = 0;
};

Figures load(int port, const QByteArray& path, const QByteArray& form, int clients, int requests) {
    std::vector<double> times(static_cast<size_t>(requests));
    std::atomic<int> next{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            for (int i = next++; i < requests; i = next++) {
                const auto start = std::chrono::steady_clock::now();
                if (!get(port, path, form)) {
                    ++failures;
                }
                times[static_cast<size_t>(i)] = std::chrono::duration<double, std::milli>(
                                                    std::chrono::steady_clock::now() - start)
                                                    .count();
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    std::sort(times.begin(), times.end());
    Figures f;
    f.p50 = times[times.size() / 2];
    f.p95 = times[std::min(times.size() - 1, times.size() * 95 / 100)];
    double sum = 0;
    for (double t : times) {
        sum += t;
    }
    f.mean = sum / static_cast<double>(times.size());
    f.failures = failures;
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString catalogue = QStringLiteral("/work/shared/fixtures/large/catalogue-20k-v6.mdb");
    int requests = 400;
    int clients = 8;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--requests") && i + 1 < args.size()) {
            requests = args[++i].toInt();
        } else if (args[i] == QStringLiteral("--clients") && i + 1 < args.size()) {
            clients = args[++i].toInt();
        } else {
            catalogue = args[i];
        }
    }
    const QString root = env("KALVOR_TEST_PHP_ROOT");
    const QUrl base(env("KALVOR_BENCH_URL"));
    if (root.isEmpty() || !base.isValid() || env("KALVOR_TEST_MYSQL_SOCKET").isEmpty()) {
        std::fprintf(stderr, "Serveurs absents : lancer bench/site/run\n");
        return 1;
    }
    try {
        const QString name =
            QStringLiteral("bench_") + QUuid::createUuid().toString(QUuid::Id128).left(8);
        const QString site = root + u'/' + name;
        QDir().mkpath(site);
        mariadb(QString(), {QStringLiteral("-e"), QStringLiteral("CREATE DATABASE %1").arg(name)});
        Settings s = benchSettings(site, name);
        s.GV_Chemin_Base = catalogue;

        QElapsedTimer timer;
        timer.start();
        schema_scripts::Create_Tables_Sql({site, s.GV_Prefixe_Table, s.opt_utf8()});
        ConsolePrompt prompt;
        if (!btn_Donnees_SQL_Click(s, prompt)) {
            throw Error(0, QStringLiteral("export : ") + s.GV_Erreurs);
        }
        std::printf("export     %7lld ms\n", timer.restart());
        const QString scripts = schema_scripts::ScriptsFolder(site);
        for (const QString& script :
             {QStringLiteral("tables.sql"), QStringLiteral("donnees.sql")}) {
            QFile file(scripts + u'/' + script);
            file.open(QIODevice::ReadOnly);
            mariadb(name, {}, file.readAll());
        }
        std::printf("chargement %7lld ms\n", timer.restart());

        TextFile require(site + QStringLiteral("/require.php"));
        const QList<StatsEntry> stats = StatsGrid().Entries();  // the default charts
        for (const QString& line : sitegen::requirePhpLines(s, stats, vb::Now())) {
            require.WriteLine(line);
        }
        require.Close();
        const sitegen::SiteTarget target{site, QString()};
        for (const sitegen::SiteFileLayout& layout : sitegen::siteFiles()) {
            if (QFile::exists(QStringLiteral(":/site/") + layout.name)) {
                sitegen::writeSiteFile(target, layout);
            }
        }

        const QString serie =
            mariadb(name, {QStringLiteral("-e"),
                           QStringLiteral("SELECT idserie, count(*) n FROM kv_albums GROUP BY "
                                          "idserie ORDER BY n DESC, idserie LIMIT 1")})
                .value(0)
                .value(0);
        const QStringList auteur =
            mariadb(name, {QStringLiteral("-e"),
                           QStringLiteral("SELECT idauteur, count(distinct idalbum) n FROM "
                                          "kv_collaborateurs GROUP BY idauteur ORDER BY n DESC, "
                                          "idauteur LIMIT 1")})
                .value(0);
        const QStringList counts =
            mariadb(name, {QStringLiteral("-e"),
                           QStringLiteral("SELECT (SELECT count(*) FROM kv_albums), "
                                          "(SELECT count(*) FROM kv_albums WHERE idserie = %1)")
                               .arg(serie)})
                .value(0);
        std::printf("albums %s, série %s (%s albums), auteur %s (%s albums)\n",
                    qPrintable(counts.value(0)), qPrintable(serie), qPrintable(counts.value(1)),
                    qPrintable(auteur.value(0)), qPrintable(auteur.value(1)));

        // The heaviest selections: the legal-deposit and purchase years and the
        // genre with the most albums.
        auto largest = [&](const QString& query) {
            return mariadb(name, {QStringLiteral("-e"), query}).value(0).value(0);
        };
        const QString anneeDl = largest(
            QStringLiteral("SELECT right(dl, 4) y FROM kv_albums WHERE dl IS NOT NULL GROUP BY y "
                           "ORDER BY count(*) DESC, y LIMIT 1"));
        const QString anneeAchat = largest(QStringLiteral(
            "SELECT year(dateachat) y FROM kv_albums WHERE dateachat IS NOT NULL GROUP BY y "
            "ORDER BY count(*) DESC, y LIMIT 1"));
        const QString genre = largest(QStringLiteral(
            "SELECT s.style g FROM kv_albums a JOIN kv_series s ON a.idserie = s.idserie "
            "GROUP BY g ORDER BY count(*) DESC, g LIMIT 1"));
        std::printf("DL %s, achat %s, genre %s\n", qPrintable(anneeDl), qPrintable(anneeAchat),
                    qPrintable(genre));

        // The endpoints the program calls: the listing of a cover folder that
        // holds every cover of the catalogue, the recovery of the largest tables.
        QDir().mkpath(site + QStringLiteral("/couvertures"));
        int covers = 0;
        for (const QStringList& row :
             mariadb(name, {QStringLiteral("-e"),
                            QStringLiteral("SELECT DISTINCT couverture FROM kv_albums")})) {
            const QString cover = row.value(0);
            QFile file(site + QStringLiteral("/couvertures/") + cover);
            if (!cover.isEmpty() && !cover.contains(u'/') && file.open(QIODevice::WriteOnly)) {
                ++covers;
            }
        }
        std::printf("couvertures %d\n", covers);

        const QByteArray prefix = base.path().toUtf8() + '/' + name.toUtf8() + '/';
        const struct {
            const char* label;
            QByteArray path;
            QByteArray form = {};
        } pages[] = {
            {"accueil", prefix + "index.php?coll=albums"},
            {"série", prefix + "serie.php?coll=albums&idserie=" + serie.toUtf8()},
            {"auteur", prefix + "auteur.php?coll=albums&idauteur=" + auteur.value(0).toUtf8()},
            {"liste DL", prefix + "liste.php?coll=albums&liste=dl"},
            {"liste aut", prefix + "liste.php?coll=albums&liste=auteurs"},
            {"liste col", prefix + "liste.php?coll=albums&liste=collections"},
            {"DL année", prefix + "dl.php?coll=albums&date=" + anneeDl.toUtf8()},
            {"achat an", prefix + "dt-achat.php?coll=albums&date=" + anneeAchat.toUtf8()},
            {"genre", prefix + "style.php?coll=albums&style=" +
                          QUrl::toPercentEncoding(cp1252::encode(genre))},
            {"listing", prefix + "check_files.php?current_rep=couvertures"},
            {"récup alb", prefix + "recovery.php?pwd=kalvor&tablename=albums"},
            {"récup aut", prefix + "recovery.php?pwd=kalvor&tablename=auteurs"},
            {"stats", prefix + "stats.php?coll=albums"},
            // A broad search: every title holding an "e".
            {"recherche", prefix + "search.php?coll=albums", "ftitre=e"},
        };
        std::printf("%d clients, %d requêtes par page\n", clients, requests);
        for (const auto& page : pages) {
            get(base.port(), page.path, page.form);  // warm-up
            const Figures f = load(base.port(), page.path, page.form, clients, requests);
            std::printf("%-8s p50 %7.1f ms  p95 %7.1f ms  moyenne %7.1f ms  échecs %d\n",
                        page.label, f.p50, f.p95, f.mean, f.failures);
        }
        mariadb(QString(), {QStringLiteral("-e"), QStringLiteral("DROP DATABASE %1").arg(name)});
    } catch (const Error& e) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(e.Description()));
        return 1;
    }
    return 0;
}
