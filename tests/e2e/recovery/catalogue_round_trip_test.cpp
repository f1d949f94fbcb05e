// The published catalogue recovered through the window's dialog, whatever
// form the site's recovery.php takes on the host, compared with the catalogue
// field by field.

#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <functional>

#include "e2e/recovery/recovery_fixture.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "sqlscripts/site_codes.h"
#include "support/work_end.h"

using namespace kalvor;
using namespace kalvor::e2e;
using namespace kalvor::e2e::recoverysite;

namespace {

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

qint64 siteCount(const QString& sql) {
    const SqlResult r = runSql(published().site->database(), sql.toUtf8());
    return r.ok && !r.rows.isEmpty() ? r.rows.last().value(0).toLongLong() : -1;
}

class RecoveryOfEachScript : public RecoveryRoundTrip,
                             public testing::WithParamInterface<ScriptOnHost> {
  protected:
    void expectTheSiteCounts(FrmRecovery* dialog) const {
        // Row counts as the site holds them (merged tables once per id).
        const struct {
            const char* local;
            const char* site;
        } counts[] = {
            {"series",
             "SELECT COUNT(DISTINCT idserie) FROM (SELECT idserie FROM kv_series UNION ALL SELECT "
             "idserie FROM kv_series2 UNION ALL SELECT idserie FROM kv_series3) t"},
            {"auteurs",
             "SELECT COUNT(DISTINCT idauteur) FROM (SELECT idauteur FROM kv_auteurs UNION ALL "
             "SELECT "
             "idauteur FROM kv_auteurs2 UNION ALL SELECT idauteur FROM kv_auteurs3) t"},
            {"albums", "SELECT COUNT(*) FROM kv_albums"},
            {"acheter", "SELECT COUNT(*) FROM kv_acheter"},
            {"exlibris", "SELECT COUNT(*) FROM kv_parabd"},
            {"revues",
             "SELECT COUNT(*) FROM kv_revues r, kv_series4 s WHERE r.idserie = s.idserie"},
        };
        for (const auto& c : counts) {
            EXPECT_EQ(count(QString::fromLatin1(c.local)), siteCount(QString::fromLatin1(c.site)))
                << c.local;
        }
        EXPECT_EQ(dialog->Label(1)->text(), QStringLiteral("70 Albums"));
        EXPECT_EQ(dialog->Label(2)->text(), QStringLiteral("15 Albums à acheter"));
        EXPECT_EQ(dialog->Label(3)->text(), QStringLiteral("12 ParaBd"));
        EXPECT_EQ(dialog->Label(4)->text(), QStringLiteral("20 Revues"));
    }

    void expectSameTables() const {
        const QString catalogue = published().catalogue;
        expectSameRows(
            catalogue, database, QStringLiteral("SERIES"), QStringLiteral("IdSerie"),
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
        expectSameRows(catalogue, database, QStringLiteral("ALBUMS"), QStringLiteral("IdAlbum"),
                       album);
        expectSameRows(catalogue, database, QStringLiteral("ACHETER"), QStringLiteral("IdAlbum"),
                       album);
        expectSameRows(catalogue, database, QStringLiteral("EXLIBRIS"),
                       QStringLiteral("IdExlibris"),
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
    }

    void expectCollectibleCodes() const {
        const QString catalogue = published().catalogue;
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
    }

    void expectOwnCollaborators(FrmRecovery* dialog) const {
        // Only the catalogue's own collaborators remain.
        const auto collaborators = [](const QString& path) {
            auto db = dao::DBEngine::OpenDatabase(path);
            auto rs =
                db->OpenRecordset(QStringLiteral("select IdAlbum, IdAuteur, TypeCollaboration from "
                                                 "COLLABORATEURS order by 1, 2, 3"));
            QStringList out;
            for (; !rs->Eof(); rs->MoveNext()) {
                out << canonical(rs->Fields(0)) + u'/' + canonical(rs->Fields(1)) + u'/' +
                           canonical(rs->Fields(2));
            }
            return out;
        };
        EXPECT_EQ(collaborators(database), collaborators(published().catalogue));
        EXPECT_EQ(dialog->Label(7)->text(),
                  QString::number(collaborators(published().catalogue).size()) +
                      QStringLiteral(" Collaborateurs"));
    }

    void expectEachTablePostedOnce() const {
        // Each table asked once, by a POST: the password stays out of the log.
        const QStringList asked = recoveryRequests(logged, 7);
        EXPECT_EQ(asked.size(), 7);
        for (const QString& line : asked) {
            EXPECT_TRUE(line.contains(QStringLiteral("]: POST ")) && !line.contains(u'&') &&
                        !line.contains(QStringLiteral("pwd")))
                << line.toStdString();
        }
    }
};

TEST_P(RecoveryOfEachScript, ThePublishedCatalogueComesBackFromTheSiteThroughTheWindowsDialog) {
    ChangedFile script(published().site->folder() + QStringLiteral("/recovery.php"));
    script.write(onTheHost(GetParam(), script.original(), earlierRecovery(), kHostBanner));
    // The old MySQL functions an earlier recovery.php calls came with the
    // host, or with the require.php published beside it.
    ChangedFile require(published().site->folder() + QStringLiteral("/require.php"));
    if (isEarlier(GetParam())) {
        require.write(withOldMySqlFunctions(require.original()));
    }
    FrmRecovery* dialog = openRecovery();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->box_site()->text(), published().site->url());
    dialog->btn_process()->click();
    test::waitForWork(dialog->work());
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
                                               "est vérifiée jusqu'à sa fin.")})
        << prompt.texts().join(u'|').toStdString();

    expectTheSiteCounts(dialog);
    expectSameTables();
    expectCollectibleCodes();
    expectOwnCollaborators(dialog);
    if (!isEarlier(GetParam())) {
        expectEachTablePostedOnce();
    }
}

// Texts shaped like the replies' own framing, put in the site's tables,
// come back byte for byte as MariaDB holds them.
TEST_F(RecoveryRoundTrip, TextsShapedLikeTheRepliesFramingComeBackAsTheSiteHoldsThem) {
    const struct {
        const char* site;
        const char* id;
        const char* column;
        const char* value;  // SQL
        const char* local;
        const char* localColumn;
        const char* localId = nullptr;
    } forms[] = {
        {"series", "idserie", "titre", "'Zig @'", "series", "Titre"},
        {"series", "idserie", "commentaire", "CONCAT('a@@@b', CHAR(13), CHAR(10), 'c', CHAR(10))",
         "series", "Commentaire"},
        {"albums", "idalbum", "perso1", "'contact@'", "albums", "Perso1"},
        {"albums", "idalbum", "perso2", "'@Dragon cite voyage'", "albums", "Perso2"},
        {"albums", "idalbum", "commentaire", "'x#end#y#fin##3#'", "albums", "Commentaire"},
        {"acheter", "idalbum", "titre", "'%40 100% #fin:recovery:acheter#0#'", "acheter", "Titre"},
        {"auteurs", "idauteur", "nom", "'@@@'", "auteurs", "Nom"},
        {"parabd", "idparabd", "description", "'fin@'", "ExLibris", "Description", "idExlibris"},
        {"revues", "idrevue", "commentaire", "'#end#@'", "revues", "Commentaire"},
    };
    QByteArray sql;
    for (const auto& f : forms) {
        sql += QByteArray("UPDATE kv_") + f.site + " SET " + f.column + " = " + f.value +
               " ORDER BY " + f.id + " LIMIT 1;\n";
    }
    ASSERT_TRUE(runSql(published().site->database(), sql).ok);
    FrmRecovery* dialog = openRecovery();
    ASSERT_NE(dialog, nullptr);
    dialog->btn_process()->click();
    test::waitForWork(dialog->work());
    ASSERT_EQ(prompt.texts(), QStringList{QStringLiteral("Récupération réussie")});
    auto db = dao::DBEngine::OpenDatabase(database);
    for (const auto& f : forms) {
        const SqlResult held = runSql(published().site->database(),
                                      QByteArray("SELECT ") + f.id + ", HEX(" + f.column +
                                          ") FROM kv_" + f.site + " ORDER BY " + f.id + " LIMIT 1");
        ASSERT_EQ(held.rows.size(), 1) << f.site;
        auto rs = db->OpenRecordset(
            QStringLiteral("select %1 from %2 where %3 = %4")
                .arg(QString::fromLatin1(f.localColumn), QString::fromLatin1(f.local),
                     QString::fromLatin1(f.localId ? f.localId : f.id), held.rows[0][0]));
        ASSERT_FALSE(rs->Eof()) << f.site;
        EXPECT_EQ(rs->Fields(0).toString(),
                  QString::fromLatin1(QByteArray::fromHex(held.rows[0][1].toLatin1())))
            << f.site << "." << f.column;
    }
}

std::string scriptName(const testing::TestParamInfo<ScriptOnHost>& info) {
    static const char* const names[] = {"AsPublished",           "OneMoreLineEnd", "Earlier",
                                        "EarlierOneMoreLineEnd", "ByteOrderMark",  "Banner",
                                        "EarlierBanner"};
    return names[int(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Scripts, RecoveryOfEachScript,
                         testing::Values(ScriptOnHost::AsPublished, ScriptOnHost::OneMoreLineEnd,
                                         ScriptOnHost::Earlier, ScriptOnHost::EarlierOneMoreLineEnd,
                                         ScriptOnHost::ByteOrderMark, ScriptOnHost::Banner,
                                         ScriptOnHost::EarlierBanner),
                         scriptName);

}  // namespace
