#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <cmath>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "app/kalvorform.h"
#include "dialogs/frm_recovery.h"
#include "e2e/catalogpages/catalogue_site.h"
#include "e2e/e2e_servers.h"
#include "e2e/site/site_harness.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "sqlscripts/site_codes.h"
#include "support/test_paths.h"
#include "unit/recovery/fake_site.h"

using namespace kalvor;
using namespace kalvor::e2e;

namespace {

// The fixture catalogue of the older layout, published once for the run.
struct Published {
    std::unique_ptr<QTemporaryDir> scratch;
    QString catalogue;
    std::unique_ptr<SiteHarness> site;
    QString failed;
};

Published& published() {
    static Published p;
    if (!p.site) {
        p.scratch = std::make_unique<QTemporaryDir>();
        p.catalogue = mendedCatalogue(QStringLiteral("v5"), p.scratch->path());
        // Texts that the site's columns must hold whole: 255 letters written
        // as references, and a line break.
        dao::DBEngine::OpenDatabase(p.catalogue)
            ->ExecuteScript(QStringLiteral("UPDATE SERIES SET Titre = '%1' WHERE IdSerie = 2; "
                                           "UPDATE AUTEURS SET Prenom = 'Gas' || char(13, 10) || "
                                           "'pard' WHERE IdAuteur = 14;")
                                .arg(QString(255, QChar(0x043A))));
        p.site = std::make_unique<SiteHarness>(QStringLiteral("recuperation"));
        Settings s = siteSettings();
        s.GV_Version_Base = QStringLiteral("v5");
        s.format = Settings::FormatDonnees::Utf8;
        p.failed = p.site->build(s, siteStats(), fullExportData, p.catalogue);
    }
    return p;
}

// Values compared as texts: Null as "", dates as yyyy-MM-dd, numbers by value.
QString canonical(const QVariant& v) {
    if (v.isNull()) {
        return QString();
    }
    if (v.typeId() == QMetaType::QDateTime) {
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd"));
    }
    if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::Double ||
        v.typeId() == QMetaType::LongLong) {
        return QString::number(v.toDouble());
    }
    return v.toString();
}

using Row = QMap<QString, QString>;

QMap<QString, Row> rowsByKey(const QString& path, const QString& sql, const QStringList& columns) {
    auto db = dao::DBEngine::OpenDatabase(path);
    auto rs = db->OpenRecordset(sql);
    QMap<QString, Row> out;
    for (; !rs->Eof(); rs->MoveNext()) {
        Row row;
        for (const QString& c : columns) {
            row[c] = canonical(rs->Fields(c));
        }
        out[canonical(rs->Fields(0))] = row;
    }
    return out;
}

// How a recovered value stands for the catalogue's where the site does not
// keep it as such: a Null number comes back as 0, a rating of 0 as Null, an
// amount as a whole number, a magazine title in the letter case of its
// first issue.
struct Column {
    QString name;
    std::function<bool(const QString& got, const QString& catalogue)> same =
        [](const QString& got, const QString& catalogue) { return got == catalogue; };
};
Column zeroForNull(const char* name) {
    return {QString::fromLatin1(name), [](const QString& got, const QString& catalogue) {
                return got == (catalogue.isEmpty() ? QStringLiteral("0") : catalogue);
            }};
}
Column nullForZero(const char* name) {
    return {QString::fromLatin1(name), [](const QString& got, const QString& catalogue) {
                return got == (catalogue == QStringLiteral("0") ? QString() : catalogue);
            }};
}
Column whole(const char* name) {
    return {QString::fromLatin1(name), [](const QString& got, const QString& catalogue) {
                return std::abs(got.toDouble() - catalogue.toDouble()) <= 0.5;
            }};
}
Column anyCase(const char* name) {
    return {QString::fromLatin1(name), [](const QString& got, const QString& catalogue) {
                return got.compare(catalogue, Qt::CaseInsensitive) == 0;
            }};
}

// Compares every row of a catalogue table with the recovered one.
void expectSameRows(const QString& catalogue, const QString& recovered, const QString& table,
                    const QString& key, const QList<Column>& columns,
                    const QString& recoveredTable = QString()) {
    QStringList names{key};
    for (const Column& c : columns) {
        names << c.name;
    }
    const QString select =
        QStringLiteral("select ") + names.join(QStringLiteral(", ")) + QStringLiteral(" from ");
    const auto expected = rowsByKey(catalogue, select + table, names);
    const auto got =
        rowsByKey(recovered, select + (recoveredTable.isEmpty() ? table : recoveredTable), names);
    ASSERT_EQ(got.keys(), expected.keys()) << table.toStdString();
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        for (const Column& c : columns) {
            EXPECT_TRUE(c.same(got[it.key()][c.name], it.value()[c.name]))
                << table.toStdString() << " " << it.key().toStdString() << " "
                << c.name.toStdString() << ": " << got[it.key()][c.name].toStdString() << " for "
                << it.value()[c.name].toStdString();
        }
    }
}

// The server's log lines of the site's recovery.php after the first `from`,
// once there are at least `expected` of them (a request is logged after its
// reply).
QStringList recoveryRequests(qsizetype from, qsizetype expected) {
    const QString script = QUrl(published().site->url()).path() + QStringLiteral("/recovery.php");
    QStringList lines = phpLogLines(script).mid(from);
    for (int wait = 0; wait < 20 && lines.size() < expected; ++wait) {
        QThread::msleep(100);
        lines = phpLogLines(script).mid(from);
    }
    return lines;
}

qint64 siteCount(const QString& sql) {
    const SqlResult r = runSql(published().site->database(), sql.toUtf8());
    return r.ok && !r.rows.isEmpty() ? r.rows.last().value(0).toLongLong() : -1;
}

// What a free host appends to every answer.
const QByteArray kBanner =
    "<!-- hebergeur gratuit -->\n<script src=\"https://pub.example/bandeau.js\"></script>";

// A file of the published site changed for one test, put back after it.
class ChangedFile {
  public:
    explicit ChangedFile(const QString& path) : path_(path) {
        QFile file(path_);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path_.toStdString();
        original_ = file.readAll();
    }
    ~ChangedFile() { write(original_); }
    void write(const QByteArray& bytes) {
        QFile file(path_);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    const QByteArray& original() const { return original_; }

  private:
    QString path_;
    QByteArray original_;
};

class RecoveryRoundTrip : public testing::Test {
  protected:
    void SetUp() override {
        KALVOR_REQUIRE_SERVERS();
        ASSERT_TRUE(published().failed.isEmpty()) << published().failed.toStdString();
        database = dir.path() + QStringLiteral("/recovery.db");
        ASSERT_TRUE(QFile::copy(QStringLiteral(KALVOR_RECOVERY_DB), database));
        QFile(database).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        settings.box_site = published().site->url();
        settings.box_password = mysqlPassword();
        // Requests of earlier tests in this process may still reach the log.
        QThread::msleep(200);
        logged = phpLogLines(QUrl(published().site->url()).path() + QStringLiteral("/recovery.php"))
                     .size();
    }

    // The dialog as the menu item "Recover&y" of the main window opens it.
    FrmRecovery* openRecovery() {
        auto* item = window.findChild<QAction*>(QStringLiteral("recovery"));
        if (item == nullptr) {
            ADD_FAILURE() << "no menu item recovery";
            return nullptr;
        }
        EXPECT_EQ(item->text(), QStringLiteral("Recover&y"));
        item->trigger();
        FrmRecovery* dialog = FrmRecovery::Default();
        if (dialog != nullptr) {
            dialog->setDatabaseChooser([this] { return database; });
        }
        return dialog;
    }
    qint64 count(const QString& table) const {
        auto db = dao::DBEngine::OpenDatabase(database);
        return db->OpenRecordset(QStringLiteral("select * from ") + table)->RecordCount();
    }

    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    QString database;
    qsizetype logged = 0;  // the site's recovery.php lines in the log before the test
    RecordingPrompt prompt;
    Settings settings;
    Kalvorform window{settings, &prompt};
};

// How the site's recovery.php stands on the host: as published, with a line
// end after its "?>", as a site published before the end mark has it, both,
// saved by an editor that puts a byte-order mark before it, or followed by
// the banner a free host appends to every answer.
enum class Script {
    AsPublished,
    OneMoreLineEnd,
    Earlier,
    EarlierOneMoreLineEnd,
    ByteOrderMark,
    Banner
};

bool isEarlier(Script script) {
    return script == Script::Earlier || script == Script::EarlierOneMoreLineEnd;
}

// recovery.php as a site published before the end mark has it; `row`, how
// it echoes a field that is not a row's last.
QByteArray earlierRecovery(const QByteArray& row = "echo $row[$i] . \"@@@\";") {
    QByteArray php =
        "<?php\r\n\r\nrequire_once ('require.php');\r\n"
        "if ($_GET['pwd'] != $password){\r\n   echo \"invalid password\";\r\n}\r\nelse {\r\n"
        "   $dblink = mysql_connect($host,$login,$password);\r\n   mysql_select_db($base);\r\n"
        "   switch ($_GET['tablename']){\r\n";
    const struct {
        const char* name;
        const char* sql;
        int fields;
    } tables[] = {
        {"series",
         "\"SELECT * from \" . $prefixe_table . \"series union SELECT * from \" . "
         "$prefixe_table . \"series2 union SELECT * from \" . $prefixe_table . "
         "\"series3 order by 1\"",
         5},
        {"auteurs",
         "\"SELECT * from \" . $prefixe_table . \"auteurs union SELECT * from \" . "
         "$prefixe_table . \"auteurs2 union SELECT * from \" . $prefixe_table . "
         "\"auteurs3 order by 1\"",
         11},
        {"albums", "\"SELECT * from \" . $prefixe_table . \"albums order by 1\"", 28},
        {"acheter", "\"SELECT * from \" . $prefixe_table . \"acheter order by 1\"", 28},
        {"collaborateurs", "\"SELECT * from \" . $prefixe_table . \"collaborateurs order by 1\"",
         1},
        {"parabd", "\"SELECT * from \" . $prefixe_table . \"parabd order by 1\"", 20},
        {"revues",
         "\"SELECT r.*,s.titre from \" . $prefixe_table . \"revues r, \" . "
         "$prefixe_table . \"series4 s where r.idserie=s.idserie order by 1\"",
         19},
    };
    for (const auto& t : tables) {
        php += QByteArray("      Case \"") + t.name + "\":\r\n         $W_SQL = " + t.sql +
               ";\r\n         $nb_fields = " + QByteArray::number(t.fields) +
               ";\r\n         break;\r\n";
    }
    return php +
           "   }\r\n   $requete=mysql_db_query($base, $W_SQL, $dblink);\r\n"
           "   while($row=mysql_fetch_row($requete)) {\r\n"
           "      for ($i = 0; $i <= $nb_fields; $i++) {\r\n         " +
           row +
           "\r\n"
           "      }\r\n      echo $row[$i] . \"#end#\";\r\n   }\r\n}\r\n?>\r\n";
}

class RecoveryOfEachScript : public RecoveryRoundTrip,
                             public testing::WithParamInterface<Script> {};

TEST_P(RecoveryOfEachScript, ThePublishedCatalogueComesBackFromTheSiteThroughTheWindowsDialog) {
    ChangedFile script(published().site->folder() + QStringLiteral("/recovery.php"));
    const Script how = GetParam();
    script.write((how == Script::ByteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray()) +
                 (isEarlier(how) ? earlierRecovery() : script.original()) +
                 (how == Script::OneMoreLineEnd || how == Script::EarlierOneMoreLineEnd
                      ? QByteArray("\r\n")
                      : QByteArray()) +
                 (how == Script::Banner ? kBanner : QByteArray()));
    // The old MySQL functions an earlier recovery.php calls came with the
    // host, or with the require.php published beside it.
    ChangedFile require(published().site->folder() + QStringLiteral("/require.php"));
    if (isEarlier(GetParam())) {
        QFile layer(QStringLiteral(":/sitegen/host_compat.php"));
        ASSERT_TRUE(layer.open(QIODevice::ReadOnly));
        require.write(require.original() + "<?php\n" + layer.readAll() + "?>");
    }
    FrmRecovery* dialog = openRecovery();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->box_site()->text(), published().site->url());
    dialog->btn_process()->click();
    ASSERT_EQ(prompt.texts(),
              QStringList{!isEarlier(GetParam())
                              ? QStringLiteral("Récupération réussie")
                              : QStringLiteral("Récupération réussie\nLe fichier recovery.php du "
                                               "site est d'une version antérieure, sans marque de "
                                               "fin : une table coupée entre deux lignes par une "
                                               "erreur du site ne s'y distingue pas d'une table "
                                               "entière.\nLes fichiers PHP du site peuvent être "
                                               "publiés à nouveau sans catalogue, par « Génération "
                                               "des fichiers PHP ». Une récupération faite ensuite "
                                               "est vérifiée jusqu'à sa fin.")});

    // Row counts as the site holds them (merged tables once per id).
    const struct {
        const char* local;
        const char* site;
    } counts[] = {
        {"series",
         "SELECT COUNT(DISTINCT idserie) FROM (SELECT idserie FROM kv_series UNION ALL SELECT "
         "idserie FROM kv_series2 UNION ALL SELECT idserie FROM kv_series3) t"},
        {"auteurs",
         "SELECT COUNT(DISTINCT idauteur) FROM (SELECT idauteur FROM kv_auteurs UNION ALL SELECT "
         "idauteur FROM kv_auteurs2 UNION ALL SELECT idauteur FROM kv_auteurs3) t"},
        {"albums", "SELECT COUNT(*) FROM kv_albums"},
        {"acheter", "SELECT COUNT(*) FROM kv_acheter"},
        {"exlibris", "SELECT COUNT(*) FROM kv_parabd"},
        {"revues", "SELECT COUNT(*) FROM kv_revues r, kv_series4 s WHERE r.idserie = s.idserie"},
    };
    for (const auto& c : counts) {
        EXPECT_EQ(count(QString::fromLatin1(c.local)), siteCount(QString::fromLatin1(c.site)))
            << c.local;
    }
    EXPECT_EQ(dialog->Label(1)->text(), QStringLiteral("70 Albums"));
    EXPECT_EQ(dialog->Label(2)->text(), QStringLiteral("15 Albums à acheter"));
    EXPECT_EQ(dialog->Label(3)->text(), QStringLiteral("12 ParaBd"));
    EXPECT_EQ(dialog->Label(4)->text(), QStringLiteral("20 Revues"));

    const QString catalogue = published().catalogue;
    expectSameRows(catalogue, database, QStringLiteral("SERIES"), QStringLiteral("IdSerie"),
                   {{"Titre"}, {"Style"}, {"Planche"}, {"Internet"}, {"EnCours"}, {"Commentaire"}});
    expectSameRows(catalogue, database, QStringLiteral("AUTEURS"), QStringLiteral("IdAuteur"),
                   {{"Nom"},
                    {"Prenom"},
                    {"Surnom"},
                    {"DateNaissance"},
                    {"DateDeces"},
                    {"Pays"},
                    {"Pseudo"},
                    {"Scenario"},
                    {"Dessin"},
                    {"Couleur"},
                    {"Internet"},
                    {"Commentaire"}});
    const QList<Column> album = {zeroForNull("Num"),
                                 {"Titre"},
                                 {"IdSerie"},
                                 {"IdDessinateur"},
                                 {"IdScenariste"},
                                 {"DateAchat"},
                                 {"Editeur"},
                                 {"Format"},
                                 {"EdO"},
                                 {"HorsSerie"},
                                 {"Integrale"},
                                 {"EditionLimitee"},
                                 {"Collection"},
                                 whole("CoteActuelle"),
                                 {"Reference"},
                                 {"DL"},
                                 {"Commentaire"},
                                 {"Couverture"},
                                 nullForZero("NoteAlbum"),
                                 {"idColoriste"},
                                 {"Broche"},
                                 {"Dedicace"},
                                 {"ExLibris"},
                                 zeroForNull("NbPAges"),
                                 {"Perso1"},
                                 {"Perso2"},
                                 {"Perso3"},
                                 {"NumA"},
                                 whole("Perso4")};
    expectSameRows(catalogue, database, QStringLiteral("ALBUMS"), QStringLiteral("IdAlbum"), album);
    expectSameRows(catalogue, database, QStringLiteral("ACHETER"), QStringLiteral("IdAlbum"),
                   album);
    expectSameRows(catalogue, database, QStringLiteral("EXLIBRIS"), QStringLiteral("IdExlibris"),
                   {zeroForNull("IdAlbum"),
                    {"IdSerie"},
                    {"Description"},
                    {"IdDessinateur"},
                    {"DL"},
                    zeroForNull("Numero"),
                    zeroForNull("Nombre"),
                    zeroForNull("Largeur"),
                    zeroForNull("Hauteur"),
                    {"Libraire"},
                    {"Editeur"},
                    {"Signe"},
                    {"HC"},
                    {"EA"},
                    {"TireAPart"},
                    {"TypeCouleur"},
                    {"ImageEx"},
                    {"Commentaire"}});
    expectSameRows(catalogue, database, QStringLiteral("REVUES"), QStringLiteral("idRevue"),
                   {anyCase("NomRevue"),
                    zeroForNull("Num"),
                    {"Date"},
                    {"Editeur"},
                    {"Periodicite"},
                    {"AuNumero"},
                    whole("PrixAchat"),
                    whole("Cote"),
                    {"Commentaire"},
                    {"Serie1"},
                    {"Serie2"},
                    {"Serie3"},
                    {"Serie4"},
                    {"Sujet1"},
                    {"Sujet2"},
                    {"Sujet3"},
                    {"Sujet4"},
                    {"Sujet5"},
                    {"Couverture"}});

    // The collectible kinds come back as the site's codes, bookmarks marked.
    const auto kinds =
        rowsByKey(catalogue, QStringLiteral("select IdExlibris, TypeObjet from EXLIBRIS"),
                  {QStringLiteral("TypeObjet")});
    const auto codes = rowsByKey(
        database, QStringLiteral("select IdExlibris, TypeObjet, MarquePage from EXLIBRIS"),
        {QStringLiteral("TypeObjet"), QStringLiteral("MarquePage")});
    for (auto it = kinds.begin(); it != kinds.end(); ++it) {
        const int code =
            site_codes::GetTypeObjet(it.value()[QStringLiteral("TypeObjet")].toInt(), 999);
        EXPECT_EQ(codes[it.key()][QStringLiteral("TypeObjet")], QString::number(code))
            << it.key().toStdString();
        EXPECT_EQ(codes[it.key()][QStringLiteral("MarquePage")],
                  code == 1009 ? QStringLiteral("-1") : QStringLiteral("0"));
    }

    // Only the catalogue's own collaborators remain.
    const auto collaborators = [](const QString& path) {
        auto db = dao::DBEngine::OpenDatabase(path);
        auto rs = db->OpenRecordset(QStringLiteral(
            "select IdAlbum, IdAuteur, TypeCollaboration from COLLABORATEURS order by 1, 2, 3"));
        QStringList out;
        for (; !rs->Eof(); rs->MoveNext()) {
            out << canonical(rs->Fields(0)) + u'/' + canonical(rs->Fields(1)) + u'/' +
                       canonical(rs->Fields(2));
        }
        return out;
    };
    EXPECT_EQ(collaborators(database), collaborators(catalogue));
    EXPECT_EQ(dialog->Label(7)->text(),
              QString::number(collaborators(catalogue).size()) + QStringLiteral(" Collaborateurs"));

    if (GetParam() == Script::EarlierOneMoreLineEnd) {
        return;
    }
    if (GetParam() == Script::Earlier) {
        // Beside a require.php of today, which lacks the MySQL functions it
        // calls: refused, and the user led to publish the PHP files again.
        const QString republish = QStringLiteral(
            "\nLe fichier recovery.php du site est d'une version antérieure, qui appelle les "
            "anciennes fonctions MySQL de PHP : PHP 7 et plus ne les ont plus, sauf par un "
            "require.php qui les apporte. Publiez à nouveau les fichiers PHP du site, par « "
            "Génération des fichiers PHP » (sans catalogue).\nLa base Recovery garde la "
            "récupération précédente.");
        const struct {
            QByteArray shown;  // what require.php adds
            QString cause;
        } hosts[] = {
            {"", QStringLiteral("la réponse du site contient un message de PHP (« Fatal error: "
                                "Uncaught Error: Call to undefined function mysql_connect() in ") +
                     published().site->folder() + QStringLiteral("/recovery.php:8 »).")},
            // A host that hides errors answers 500.
            {"<?php ini_set('display_errors', '0'); ?>",
             QStringLiteral("Le site a répondu 500 Internal Server Error pour ") +
                 published().site->url() + QStringLiteral("/recovery.php.")},
        };
        for (const auto& host : hosts) {
            require.write(require.original() + host.shown);
            prompt.clear();
            prompt.queueAnswers({true});
            dialog->btn_process()->click();
            EXPECT_EQ(prompt.texts().value(1),
                      QStringLiteral("Erreur lors de l'importation de la table series : ") +
                          host.cause + republish);
            EXPECT_EQ(count(QStringLiteral("albums")), 70);
        }

        // Emptied by a failed upload: refused, the recovery kept.
        script.write(QByteArray());
        prompt.clear();
        prompt.queueAnswers({true});
        dialog->btn_process()->click();
        EXPECT_EQ(prompt.texts().value(1),
                  QStringLiteral("Erreur lors de l'importation de la table series : le site a "
                                 "envoyé une réponse vide (le fichier recovery.php est-il vide ? "
                                 "Publiez-le à nouveau).\nLa base Recovery garde la récupération "
                                 "précédente."));
        EXPECT_EQ(count(QStringLiteral("albums")), 70);
        return;
    }
    // Each table asked once, by a POST: the password stays out of the log.
    const QStringList asked = recoveryRequests(logged, 7);
    EXPECT_EQ(asked.size(), 7);
    for (const QString& line : asked) {
        EXPECT_TRUE(line.contains(QStringLiteral("]: POST ")) && !line.contains(u'&') &&
                    !line.contains(QStringLiteral("pwd")))
            << line.toStdString();
    }
}

TEST_F(RecoveryRoundTrip, AWrongPasswordANonEmptyBaseAndASiteThatStopsHalfway) {
    settings.box_password = QStringLiteral("pas le bon");
    FrmRecovery* dialog = openRecovery();
    ASSERT_NE(dialog, nullptr);
    dialog->btn_process()->click();
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Mot de passe invalide !")});
    EXPECT_EQ(count(QStringLiteral("series")), 0);
    // Refused once, with no second try that would show the password.
    EXPECT_EQ(recoveryRequests(logged, 1).size(), 1);

    // A site that answers the first three tables, then no more; and one of
    // an earlier version, which reads the password only from the address.
    test::FakeSite halfway;
    test::FakeSite older;
    older.setAddressOnly(true);
    for (test::FakeSite* fake : {&halfway, &older}) {
        fake->setPassword(mysqlPassword().toLatin1());
    }
    for (const char* table :
         {"series", "auteurs", "collaborateurs", "albums", "acheter", "parabd", "revues"}) {
        const Page page = fetch(published().site->url() + QStringLiteral("/recovery.php?pwd=") +
                                QString::fromLatin1(QUrl::toPercentEncoding(mysqlPassword())) +
                                QStringLiteral("&tablename=") + QString::fromLatin1(table));
        ASSERT_EQ(page.status, 200);
        halfway.setRawReply(QString::fromLatin1(table), page.body);
        older.setRawReply(QString::fromLatin1(table), page.body);
    }
    halfway.stopAt(QStringLiteral("albums"));
    settings.box_password = mysqlPassword();
    dialog->box_site()->setText(halfway.url());
    prompt.clear();
    dialog->btn_process()->click();
    ASSERT_EQ(prompt.texts().size(), 1);
    EXPECT_TRUE(prompt.texts().at(0).startsWith(
        QStringLiteral("Erreur lors de l'importation de la table albums : ")))
        << prompt.texts().at(0).toStdString();
    EXPECT_FALSE(prompt.texts().at(0).contains(mysqlPassword()));
    // The base stays as it was: empty.
    EXPECT_EQ(count(QStringLiteral("series")), 0);
    EXPECT_EQ(count(QStringLiteral("collaborateurs")), 0);
    EXPECT_EQ(count(QStringLiteral("albums")), 0);

    // Recovered whole from the older site: each table posted, refused, then
    // asked by the address.
    prompt.clear();
    dialog->box_site()->setText(older.url());
    dialog->btn_process()->click();
    EXPECT_EQ(prompt.texts().last(), QStringLiteral("Récupération réussie"));
    EXPECT_EQ(count(QStringLiteral("albums")), 70);
    EXPECT_EQ(count(QStringLiteral("series")), 12);
    ASSERT_EQ(older.requests().size(), 14);
    for (qsizetype i = 0; i < older.requests().size(); ++i) {
        EXPECT_EQ(older.requests()[i].method, i % 2 ? "GET" : "POST");
        EXPECT_EQ(older.requests()[i].target.contains("pwd="), i % 2 == 1);
    }

    // Not emptied: nothing more happens.
    prompt.clear();
    dialog->box_site()->setText(published().site->url());
    dialog->btn_process()->click();
    EXPECT_EQ(
        prompt.texts(),
        QStringList{QStringLiteral("la base Recovery n'est pas vide - Voulez-vous la vider ?")});
    EXPECT_EQ(count(QStringLiteral("albums")), 70);

    // Agreed to empty it, then refused by the site: the recovery stays whole.
    prompt.clear();
    prompt.queueAnswers({true});
    settings.box_password = QStringLiteral("pas le bon");
    dialog->btn_process()->click();
    EXPECT_EQ(prompt.texts().last(),
              QStringLiteral("Mot de passe invalide !\nLa base Recovery garde la récupération "
                             "précédente."));
    EXPECT_EQ(count(QStringLiteral("albums")), 70);
    EXPECT_EQ(count(QStringLiteral("series")), 12);
    dialog->close();
}

TEST_F(RecoveryRoundTrip, ARecoveryThatDoesNotFinishLeavesTheEarlierOneWhole) {
    FrmRecovery* dialog = openRecovery();
    ASSERT_NE(dialog, nullptr);
    dialog->btn_process()->click();
    ASSERT_EQ(prompt.texts(), QStringList{QStringLiteral("Récupération réussie")});
    const QStringList tables = {"series",  "auteurs",  "collaborateurs", "albums",
                                "acheter", "exlibris", "revues"};
    QList<qint64> before;
    for (const QString& t : tables) {
        before << count(t);
    }
    ASSERT_GT(before[3], 0);
    const auto unchanged = [&] {
        QList<qint64> now;
        for (const QString& t : tables) {
            now << count(t);
        }
        return now == before;
    };

    const QString folder = published().site->folder();
    ChangedFile script(folder + QStringLiteral("/recovery.php"));
    ChangedFile require(folder + QStringLiteral("/require.php"));
    // PHP that recovery.php runs first, for one table.
    const auto onTable = [&](const char* table, const QByteArray& php) {
        require.write(require.original() +
                      "<?php if (basename($_SERVER['SCRIPT_NAME']) === 'recovery.php' && "
                      "(isset($_GET['tablename']) ? $_GET['tablename'] : '') === '" +
                      QByteArray(table) + "') { " + php + " } ?>");
    };
    const QString kept = QStringLiteral("\nLa base Recovery garde la récupération précédente.");
    const auto recoverAgain = [&](const QString& what) {
        prompt.clear();
        prompt.queueAnswers({true});
        dialog->btn_process()->click();
        EXPECT_FALSE(prompt.texts().contains(QStringLiteral("Récupération réussie")))
            << what.toStdString();
        EXPECT_TRUE(unchanged()) << what.toStdString();
        EXPECT_FALSE(dialog->Label(1)->isVisible()) << what.toStdString();
        return prompt.texts().value(1);
    };

    // A failed upload: recovery.php emptied.
    script.write(QByteArray());
    EXPECT_EQ(recoverAgain(QStringLiteral("vide")),
              QStringLiteral("Erreur lors de l'importation de la table series : le site a envoyé "
                             "une réponse vide (le fichier recovery.php est-il vide ? Publiez-le "
                             "à nouveau).") +
                  kept);
    script.write(script.original());

    // The site's database lost the first table.
    onTable("series", "$base = 'kalvor_base_absente';");
    EXPECT_EQ(recoverAgain(QStringLiteral("erreur")),
              QStringLiteral("Erreur lors de l'importation de la table series : le site n'a pas "
                             "pu la lire (« erreur de lecture de la table series »).") +
                  kept);

    // A require.php opened with the short tag, which the host does not read:
    // the cause and its cure said, its text never.
    QByteArray shortTag = require.original();
    require.write(shortTag.replace(0, 5, "<?"));
    const QString unread = recoverAgain(QStringLiteral("<?"));
    EXPECT_TRUE(unread.contains(QStringLiteral("Remplacez sa première ligne par \"<?php\"")))
        << unread.toStdString();
    EXPECT_FALSE(unread.contains(QStringLiteral("$host")));

    // The host fails after the first tables.
    onTable("albums", "http_response_code(500); echo 'Internal Server Error'; exit;");
    const QString failed = recoverAgain(QStringLiteral("500"));
    EXPECT_TRUE(failed.startsWith(
        QStringLiteral("Erreur lors de l'importation de la table albums : Le site a répondu 500 ")))
        << failed.toStdString();
    EXPECT_TRUE(failed.endsWith(kept));

    // The dialog closed while the authors load: the run is cancelled.
    onTable("auteurs", "sleep(3);");
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (dialog->statusText() == QStringLiteral("Importation des auteurs ...")) {
            closer.stop();
            dialog->close();
        }
    });
    closer.start(20);
    EXPECT_EQ(recoverAgain(QStringLiteral("annulée")),
              QStringLiteral("Récupération annulée") + kept);
    EXPECT_FALSE(QFile::exists(database + QStringLiteral(".recuperation")));
}

TEST_F(RecoveryRoundTrip, AScriptThatCannotGiveATableSaysWhyAndStoresNothing) {
    ChangedFile script(published().site->folder() + QStringLiteral("/recovery.php"));
    ChangedFile require(published().site->folder() + QStringLiteral("/require.php"));
    QFile layer(QStringLiteral(":/sitegen/host_compat.php"));
    ASSERT_TRUE(layer.open(QIODevice::ReadOnly));
    const QByteArray withOldFunctions = require.original() + "<?php\n" + layer.readAll() + "?>";
    const QString series = QStringLiteral("Erreur lors de l'importation de la table series : ");
    const struct {
        const char* name;
        QByteArray script;  // empty: as published
        QByteArray require;
        QString password;  // empty: the site's
        QString message;   // its start
    } rows[] = {
        // Errors shown by the host, a warning amid an album's title.
        {"a warning in a row",
         earlierRecovery("echo ($i == 2 && $_GET['tablename'] == 'albums' ? $row[$i] . "
                         "$kalvor_absente : $row[$i]) . \"@@@\";"),
         withOldFunctions, QString(),
         QStringLiteral("Erreur lors de l'importation de la table albums : la réponse du site "
                        "contient un message de PHP (« Warning: Undefined variable "
                        "$kalvor_absente in ")},
        {"an earlier script with a line end, a wrong password", earlierRecovery() + "\r\n",
         withOldFunctions, QStringLiteral("pas le bon"), QStringLiteral("Mot de passe invalide !")},
        // The password of require.php, which the site's MySQL refuses.
        {"a wrong database password", QByteArray(),
         require.original() + "<?php $password = 'pas-celui-de-mysql'; ?>",
         QStringLiteral("pas-celui-de-mysql"),
         series + QStringLiteral("la base MySQL du site a refusé la connexion (« Access denied "
                                 "for user ")},
    };
    FrmRecovery* dialog = openRecovery();
    ASSERT_NE(dialog, nullptr);
    for (const auto& row : rows) {
        script.write(row.script.isEmpty() ? script.original() : row.script);
        require.write(row.require);
        settings.box_password = row.password.isEmpty() ? mysqlPassword() : row.password;
        prompt.clear();
        dialog->btn_process()->click();
        ASSERT_EQ(prompt.texts().size(), 1) << row.name;
        EXPECT_TRUE(prompt.texts()[0].startsWith(row.message))
            << row.name << ": " << prompt.texts()[0].toStdString();
        EXPECT_FALSE(prompt.texts()[0].contains(QStringLiteral("PHP 7"))) << row.name;
        EXPECT_EQ(count(QStringLiteral("series")), 0) << row.name;
    }
    dialog->close();
}

std::string scriptName(const testing::TestParamInfo<Script>& info) {
    static const char* const names[] = {"AsPublished",           "OneMoreLineEnd", "Earlier",
                                        "EarlierOneMoreLineEnd", "ByteOrderMark",  "Banner"};
    return names[int(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Scripts, RecoveryOfEachScript,
                         testing::Values(Script::AsPublished, Script::OneMoreLineEnd,
                                         Script::Earlier, Script::EarlierOneMoreLineEnd,
                                         Script::ByteOrderMark, Script::Banner),
                         scriptName);

}  // namespace
