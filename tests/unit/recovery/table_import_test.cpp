#include "recovery/table_import.h"

#include <QDate>
#include <QDateTime>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/cp1252.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/inet.h"
#include "recovery/recovery_database.h"
#include "recovery/recovery_driver.h"
#include "support/proved_reply.h"
#include "support/test_paths.h"
#include "unit/recovery/fake_site.h"

namespace kalvor::recovery {
namespace {

using test::FakeSite;

QByteArray rows(std::initializer_list<QStringList> list) {
    QByteArray reply;
    for (const QStringList& fields : list) {
        reply += FakeSite::row(fields);
    }
    return reply;
}

const QStringList kAlbum = {"10",
                            "12",
                            "Le &lt;Tour&gt; &amp;",
                            "1",
                            "5",
                            "5",
                            "",
                            "Dargaud &lt;x&gt;",
                            "0",
                            "Pilote",
                            "",
                            "2-205",
                            "03/1965",
                            "c10.jpg",
                            "¤¤l",
                            "6",
                            "0",
                            "48",
                            "a",
                            "v10.jpg",
                            "1",
                            "0",
                            "",
                            "Un album",
                            "p1",
                            "p2",
                            "p3",
                            "2.5",
                            "0",
                            "1"};

class TableImport : public testing::Test {
  protected:
    void SetUp() override {
        CreateRecoveryDatabase(test::sourceDir() + QStringLiteral("/recovery/older_layout.sql"),
                               base);
    }

    void import(const QString& table, const QString& password = QStringLiteral("secret")) {
        for (const ImportStep& step : ImportSteps()) {
            if (step.tablename == table) {
                Import_MYSQL_Tables(state, RecoveryBase(base),
                                    SiteAccess{site.url(), password, inet}, table, step.dimension);
                return;
            }
        }
        Import_MYSQL_Tables(state, RecoveryBase(base), SiteAccess{site.url(), password, inet},
                            table, 2);
    }

    // The first column of every row of a query.
    QVariantList column(const QString& sql) const {
        auto db = dao::DBEngine::OpenDatabase(base);
        auto rs = db->OpenRecordset(sql);
        QVariantList out;
        for (; !rs->Eof(); rs->MoveNext()) {
            out << rs->Fields(0);
        }
        return out;
    }
    QVariant value(const QString& sql) const { return column(sql).value(0); }

    QTemporaryDir dir;
    const QString base = dir.path() + QStringLiteral("/recovery.db");
    FakeSite site;
    Inet inet{5000};
    RecoveryState state;
};

TEST_F(TableImport, SeriesAndAuthorsKeepTheFirstRowOfAnIdAndTheirTextsDatesAndEmptyFields) {
    site.setReply(QStringLiteral("series"),
                  rows({{"1", "L'Ombre", "SF &lt;rétro&gt;", "Un &lt;grand&gt; classique", "p1.jpg",
                         "http://a.fr", "0"},
                        {"1", "L'Ombre bis", "", "", "", "", "1"},
                        {"3", "Cœur d'Acier", "Science-fiction", "", "", "", "1"}}));
    site.setReply(QStringLiteral("auteurs"),
                  rows({{"5", "Goscinny", "René", "goscinny.jpg", "1926-08-14", "1977-11-05",
                         "France", "", "l'auteur", "1", "0", "0", ""},
                        {"7", "Garnier", "Joëlle", "", "0000-00-00", "0000-00-00", "",
                         "Jo&lt;G&gt;", "", "0", "1", "0", "http://m.be"},
                        {"7", "Garnier", "Joëlle", "", "", "", "", "", "", "0", "1", "0", ""}}));
    import(QStringLiteral("series"));
    import(QStringLiteral("auteurs"));
    ASSERT_TRUE(state.Continue_Recovery) << state.Continue_Error.toStdString();

    EXPECT_EQ(column(QStringLiteral("select Titre from series order by IdSerie")),
              (QVariantList{QStringLiteral("L'Ombre"), QStringLiteral("Cœur d'Acier")}));
    EXPECT_EQ(value(QStringLiteral("select Style from series where IdSerie = 1")),
              QVariant(QStringLiteral("SF <rétro>")));
    EXPECT_EQ(value(QStringLiteral("select Commentaire from series where IdSerie = 1")),
              QVariant(QStringLiteral("Un <grand> classique")));
    EXPECT_EQ(value(QStringLiteral("select EnCours from series where IdSerie = 3")), QVariant(1));
    EXPECT_EQ(value(QStringLiteral("select Internet from series where IdSerie = 3")),
              QVariant(QStringLiteral("")));
    EXPECT_TRUE(value(QStringLiteral("select NoteGlobale from series where IdSerie = 3")).isNull());

    EXPECT_EQ(value(QStringLiteral("select DateNaissance from auteurs where IdAuteur = 5"))
                  .toDateTime()
                  .date(),
              QDate(1926, 8, 14));
    EXPECT_EQ(value(QStringLiteral("select DateDeces from auteurs where IdAuteur = 5"))
                  .toDateTime()
                  .date(),
              QDate(1977, 11, 5));
    EXPECT_TRUE(
        value(QStringLiteral("select DateNaissance from auteurs where IdAuteur = 7")).isNull());
    EXPECT_TRUE(value(QStringLiteral("select DateDeces from auteurs where IdAuteur = 7")).isNull());
    EXPECT_EQ(value(QStringLiteral("select Internet from auteurs where IdAuteur = 5")),
              QVariant(QStringLiteral("")));
    EXPECT_EQ(value(QStringLiteral("select Pays from auteurs where IdAuteur = 7")),
              QVariant(QStringLiteral("")));
    EXPECT_EQ(value(QStringLiteral("select Pseudo from auteurs where IdAuteur = 7")),
              QVariant(QStringLiteral("Jo<G>")));
    EXPECT_EQ(value(QStringLiteral("select Internet from auteurs where IdAuteur = 7")),
              QVariant(QStringLiteral("http://m.be")));
    EXPECT_EQ(value(QStringLiteral("select Scenario from auteurs where IdAuteur = 5")),
              QVariant(-1));
}

TEST_F(TableImport, TextsShapedLikeTheRepliesOwnFramingComeBackAsTheSiteHoldsThem) {
    const QStringList forms = {"Zig @",    "contact@", "@Dragon cité voyage", "a@@@b", "x#end#y",
                               "#fin##3#", "%40 100%", "l1\r\nl2\n"};
    QByteArray sent;
    for (int id = 1; id <= forms.size(); ++id) {
        QByteArray row = QByteArray::number(id);
        for (const QString& text :
             {forms[id - 1], QStringLiteral("Style"), forms.value(id % forms.size())}) {
            row += "@@@" + test::escaped(cp1252::encode(text));
        }
        sent += row + "@@@@@@@@@0#end#";
    }
    site.setRawReply(QStringLiteral("series"), test::proved("recovery:series", sent));
    import(QStringLiteral("series"));
    ASSERT_TRUE(state.Continue_Recovery) << state.Continue_Error.toStdString();
    QVariantList titles, comments;
    for (int id = 1; id <= forms.size(); ++id) {
        titles << forms[id - 1];
        comments << forms.value(id % forms.size());
    }
    EXPECT_EQ(column(QStringLiteral("select Titre from series order by IdSerie")), titles);
    EXPECT_EQ(column(QStringLiteral("select Commentaire from series order by IdSerie")), comments);
}

TEST_F(TableImport, AlbumsConvertNumbersDatesRatingAndLegalDepositAndFillTheLocalColumns) {
    QStringList wish = kAlbum;
    wish[0] = QStringLiteral("20");
    site.setReply(QStringLiteral("albums"), rows({kAlbum}));
    site.setReply(QStringLiteral("acheter"), rows({wish}));
    import(QStringLiteral("albums"));
    import(QStringLiteral("acheter"));
    ASSERT_TRUE(state.Continue_Recovery) << state.Continue_Error.toStdString();

    auto db = dao::DBEngine::OpenDatabase(base);
    auto album = db->OpenRecordset(QStringLiteral("select * from albums"));
    ASSERT_EQ(album->RecordCount(), 1);
    const auto f = [&](const char* name) { return album->Fields(QString::fromLatin1(name)); };
    EXPECT_EQ(f("IdAlbum"), QVariant(10));
    EXPECT_EQ(f("Num"), QVariant(12));
    EXPECT_EQ(f("Titre"), QVariant(QStringLiteral("Le <Tour> &amp;")));
    EXPECT_EQ(f("Editeur"), QVariant(QStringLiteral("Dargaud <x>")));
    EXPECT_TRUE(f("DateAchat").isNull());
    EXPECT_EQ(f("CoteActuelle"), QVariant(0.0));
    EXPECT_EQ(f("DL").toDateTime().date(), QDate(1965, 3, 1));
    EXPECT_EQ(f("NoteAlbum"), QVariant(5));
    EXPECT_EQ(f("idColoriste"), QVariant(6));
    EXPECT_EQ(f("NbPAges"), QVariant(48));
    EXPECT_EQ(f("ExLibris"), QVariant(QStringLiteral("v10.jpg")));
    EXPECT_EQ(f("EdO"), QVariant(-1));
    EXPECT_EQ(f("Dedicace"), QVariant(QStringLiteral("")));
    EXPECT_EQ(f("Perso4"), QVariant(2.5));
    EXPECT_EQ(f("EditionLimitee"), QVariant(-1));
    EXPECT_TRUE(f("PrixAchat").isNull());
    EXPECT_EQ(f("Etat"), QVariant(0));
    EXPECT_EQ(f("Possede"), QVariant(-1));
    EXPECT_EQ(f("Prete"), QVariant(0));
    // The wish list is not owned.
    EXPECT_EQ(value(QStringLiteral("select Possede from acheter where IdAlbum = 20")), QVariant(0));
    EXPECT_EQ(value(QStringLiteral("select NoteAlbum from acheter where IdAlbum = 20")),
              QVariant(5));
}

TEST_F(TableImport, CollectiblesKeepAllTheirFieldsAndMagazinesTheirTitleAndReliure) {
    site.setReply(QStringLiteral("parabd"),
                  rows({{"30",   "10",      "1",         "Ex-libris &lt;signé&gt;",
                         "7",    "04/1990", "2",         "100",
                         "21.5", "29.7",    "Librairie", "Dargaud",
                         "1",    "0",       "1",         "0",
                         "1009", "1",       "ex30.jpg",  "commentaire",
                         "3",    "4"},
                        {"31", "",  "",  "Statuette", "9", "",     "",  "", "", "", "",
                         "",   "0", "0", "0",         "0", "2001", "3", "", "", "", ""}}));
    site.setReply(QStringLiteral("revues"),
                  rows({{"40",         "1",       "1234",
                         "1961-05-04", "Dupuis",  "Hebdomadaire",
                         "Hors-série", "2.5",     "",
                         "",           "Gaston",  "",
                         "",           "",        "sujet &lt;x&gt;",
                         "",           "",        "",
                         "",           "r40.jpg", "Spirou &amp; Fantasio"}}));
    site.setReply(QStringLiteral("collaborateurs"), rows({{"3", "5", "2"}, {"3", "5", "2"}}));
    import(QStringLiteral("parabd"));
    import(QStringLiteral("revues"));
    import(QStringLiteral("collaborateurs"));
    ASSERT_TRUE(state.Continue_Recovery) << state.Continue_Error.toStdString();

    auto db = dao::DBEngine::OpenDatabase(base);
    auto item = db->OpenRecordset(QStringLiteral("select * from exlibris order by IdExlibris"));
    ASSERT_EQ(item->RecordCount(), 2);
    const auto f = [&](const char* name) { return item->Fields(QString::fromLatin1(name)); };
    EXPECT_EQ(f("Description"), QVariant(QStringLiteral("Ex-libris <signé>")));
    EXPECT_EQ(f("DL").toDateTime().date(), QDate(1990, 4, 1));
    EXPECT_EQ(f("Largeur"), QVariant(21.5));
    EXPECT_EQ(f("Hauteur"), QVariant(29.7));
    EXPECT_EQ(f("TypeObjet"), QVariant(1009));
    EXPECT_EQ(f("MarquePage"), QVariant(-1));
    EXPECT_EQ(f("EA"), QVariant(-1));
    EXPECT_TRUE(f("Ville").isNull());
    EXPECT_TRUE(f("DateAchat").isNull());
    item->MoveNext();
    EXPECT_EQ(f("IdAlbum"), QVariant(0));
    EXPECT_TRUE(f("IdSerie").isNull());
    EXPECT_TRUE(f("DL").isNull());
    EXPECT_EQ(f("Numero"), QVariant(0));
    EXPECT_EQ(f("MarquePage"), QVariant(0));

    auto issue = db->OpenRecordset(QStringLiteral("select * from revues"));
    ASSERT_EQ(issue->RecordCount(), 1);
    const auto r = [&](const char* name) { return issue->Fields(QString::fromLatin1(name)); };
    EXPECT_EQ(r("NomRevue"), QVariant(QStringLiteral("Spirou &amp; Fantasio")));
    EXPECT_EQ(r("Num"), QVariant(1234));
    EXPECT_EQ(r("Date").toDateTime().date(), QDate(1961, 5, 4));
    EXPECT_EQ(r("AuNumero"), QVariant(QStringLiteral("Hors-série")));
    EXPECT_EQ(r("PrixAchat"), QVariant(2.5));
    EXPECT_EQ(r("Cote"), QVariant(0.0));
    EXPECT_EQ(r("Serie1"), QVariant(QStringLiteral("Gaston")));
    EXPECT_EQ(r("Sujet1"), QVariant(QStringLiteral("sujet <x>")));
    EXPECT_TRUE(r("SujetAuteur5").isNull());

    // A table without a key keeps every row.
    EXPECT_EQ(column(QStringLiteral("select IdAuteur from collaborateurs")).size(), 2);
}

TEST_F(TableImport, ARowWithAFieldTooManyOrTooFewStopsTheTableAfterTheRowsBeforeIt) {
    QStringList shifted = kAlbum;
    shifted[0] = QStringLiteral("11");
    shifted[23] = QStringLiteral("Un @@@ album");
    QStringList second = kAlbum;
    second[0] = QStringLiteral("12");
    site.setReply(QStringLiteral("albums"), rows({kAlbum, shifted, second}));
    import(QStringLiteral("albums"));
    EXPECT_FALSE(state.Continue_Recovery);
    EXPECT_TRUE(state.Continue_Error.startsWith(
        QStringLiteral("Erreur lors de l'importation de la table albums : la ligne 2 compte 31 "
                       "champs au lieu de 30")))
        << state.Continue_Error.toStdString();
    EXPECT_EQ(column(QStringLiteral("select IdAlbum from albums")), QVariantList{10});

    state = RecoveryState{};
    site.setReply(QStringLiteral("collaborateurs"), rows({{"3", "5"}}));
    import(QStringLiteral("collaborateurs"));
    EXPECT_FALSE(state.Continue_Recovery);
    EXPECT_TRUE(state.Continue_Error.contains(QStringLiteral("collaborateurs")));
    EXPECT_TRUE(state.Continue_Error.contains(QStringLiteral("compte 2 champs au lieu de 3")));
}

TEST_F(TableImport, AValueTheColumnRefusesNamesTheTableTheRowAndTheCause) {
    QStringList bad = kAlbum;
    bad[0] = QStringLiteral("11");
    bad[12] = QStringLiteral("13/2020");
    site.setReply(QStringLiteral("albums"), rows({kAlbum, bad}));
    import(QStringLiteral("albums"));
    EXPECT_FALSE(state.Continue_Recovery);
    EXPECT_TRUE(state.Continue_Error.startsWith(
        QStringLiteral("Erreur lors de l'importation de la table albums : ligne 2 : ")))
        << state.Continue_Error.toStdString();
    EXPECT_TRUE(state.Continue_Error.contains(QStringLiteral("DL")));
    EXPECT_EQ(column(QStringLiteral("select IdAlbum from albums")), QVariantList{10});

    // Text after the last row end is not left aside, even before a mark.
    state = RecoveryState{};
    site.setReply(QStringLiteral("collaborateurs"), rows({{"3", "5", "2"}}) + "4@@@5");
    import(QStringLiteral("collaborateurs"));
    EXPECT_FALSE(state.Continue_Recovery);
    EXPECT_TRUE(state.Continue_Error.contains(QStringLiteral("sa marque de fin manque")))
        << state.Continue_Error.toStdString();
}

TEST_F(TableImport, PasswordAndTableTravelEncodedAndTheRefusalIsRecognisedExactly) {
    site.setPassword("p&s+\xE9 %");
    site.setReply(QStringLiteral("collaborateurs"), rows({{"3", "5", "2"}}));
    import(QStringLiteral("collaborateurs"), QStringLiteral("p&s+é %"));
    ASSERT_TRUE(state.Continue_Recovery) << state.Continue_Error.toStdString();
    EXPECT_EQ(site.requests().last().pwd, QByteArray("p&s+\xE9 %"));
    EXPECT_EQ(site.requests().last().tablename, QByteArray("collaborateurs"));
    EXPECT_EQ(site.requests().last().path, QByteArray("/recovery.php"));

    import(QStringLiteral("albums"), QStringLiteral("P&S+é %"));
    EXPECT_FALSE(state.Continue_Recovery);
    EXPECT_EQ(state.Continue_Error, QStringLiteral("Mot de passe invalide !"));
    EXPECT_EQ(column(QStringLiteral("select IdAlbum from albums")), QVariantList{});

    // Refused unread while another request tries a password: asked again.
    state = RecoveryState();
    site.setBusy(2);
    const qsizetype before = site.requests().size();
    import(QStringLiteral("collaborateurs"), QStringLiteral("p&s+é %"));
    EXPECT_TRUE(state.Continue_Recovery) << state.Continue_Error.toStdString();
    EXPECT_EQ(site.requests().size() - before, 3);
    // The same as the first answer behind a proxy that takes every header
    // and comment off: never a wrong password, never the password in the
    // address.
    state = RecoveryState();
    site.setHeadersLost(true);
    site.setCommentsLost(true);
    site.setBusy(2);
    const qsizetype stripped = site.requests().size();
    import(QStringLiteral("collaborateurs"), QStringLiteral("p&s+é %"));
    EXPECT_TRUE(state.Continue_Recovery) << state.Continue_Error.toStdString();
    ASSERT_EQ(site.requests().size() - stripped, 3);
    for (qsizetype i = stripped; i < site.requests().size(); ++i) {
        EXPECT_EQ(site.requests()[i].method, "POST");
        EXPECT_FALSE(site.requests()[i].target.contains("pwd="));
    }
}

TEST_F(TableImport, NotFoundComesFromTheStatusOrAHostsPageAndAFailedFetchNeverShowsThePassword) {
    // Words of a not-found page inside the data are data.
    site.setReply(QStringLiteral("series"),
                  rows({{"1", "Error 404 not found", "", "", "", "", "0"}}));
    import(QStringLiteral("series"));
    ASSERT_TRUE(state.Continue_Recovery) << state.Continue_Error.toStdString();
    EXPECT_EQ(value(QStringLiteral("select Titre from series")),
              QVariant(QStringLiteral("Error 404 not found")));

    site.setMissing(true);
    import(QStringLiteral("auteurs"));
    EXPECT_FALSE(state.Continue_Recovery);
    // What to do about it: the script comes with the site's PHP files.
    EXPECT_TRUE(
        state.Continue_Error.startsWith(QStringLiteral("fichier recovery.php introuvable !")));
    EXPECT_TRUE(state.Continue_Error.contains(QStringLiteral("publiez-les")));

    // A host that answers a missing file with its own page and status 200.
    state = RecoveryState{};
    site.setMissing(true, 200);
    import(QStringLiteral("auteurs"));
    EXPECT_FALSE(state.Continue_Recovery);
    EXPECT_TRUE(
        state.Continue_Error.startsWith(QStringLiteral("fichier recovery.php introuvable !")));
    EXPECT_EQ(column(QStringLiteral("select IdAuteur from auteurs")), QVariantList{});
    site.setMissing(false);

    state = RecoveryState{};
    site.stopAt(QStringLiteral("albums"));
    import(QStringLiteral("albums"), QStringLiteral("motdepasse-très-secret"));
    EXPECT_FALSE(state.Continue_Recovery);
    EXPECT_TRUE(state.Continue_Error.startsWith(
        QStringLiteral("Erreur lors de l'importation de la table albums : ")))
        << state.Continue_Error.toStdString();
    EXPECT_FALSE(state.Continue_Error.contains(QStringLiteral("motdepasse")));
    EXPECT_FALSE(state.Continue_Error.contains(QStringLiteral("pwd")));

    // An address typed with its closing "/" is shown with one.
    state = RecoveryState{};
    Import_MYSQL_Tables(state, RecoveryBase(base),
                        SiteAccess{site.url() + u'/', QStringLiteral("secret"), inet},
                        QStringLiteral("albums"), 29);
    // The site was reached, and closed the connection.
    EXPECT_EQ(state.Continue_Error,
              QStringLiteral("Erreur lors de l'importation de la table albums : Le site ") +
                  site.url() + QStringLiteral("/recovery.php a fermé la connexion sans répondre."));
}

TEST_F(TableImport, AnEmptyTableStoresNothingAndAMissingLocalTableFails) {
    import(QStringLiteral("collaborateurs"));
    EXPECT_TRUE(state.Continue_Recovery);
    EXPECT_EQ(column(QStringLiteral("select IdAlbum from collaborateurs")), QVariantList{});

    {
        auto db = dao::DBEngine::OpenDatabase(base);
        db->Execute(QStringLiteral("DROP TABLE REVUES"));
    }
    site.setReply(QStringLiteral("revues"),
                  rows({{"40", "1", "1", "", "", "", "", "", "", "",      "",
                         "",   "",  "",  "", "", "", "", "", "", "Spirou"}}));
    import(QStringLiteral("revues"));
    EXPECT_FALSE(state.Continue_Recovery);
    EXPECT_TRUE(state.Continue_Error.contains(QStringLiteral("table revues")));
}

TEST_F(TableImport, OnlyAReplyThatEndsWithItsMarkIsATable) {
    QByteArray fifty;
    QByteArray half;
    for (int id = 1; id <= 50; ++id) {
        fifty += FakeSite::row({QString::number(id), QStringLiteral("5"), QStringLiteral("2")});
        half = id == 25 ? fifty : half;
    }
    // The rows stored and whether the run may go on.
    const auto imported = [&](const QByteArray& body,
                              const QString& password = QStringLiteral("secret")) {
        dao::DBEngine::OpenDatabase(base)->Execute(QStringLiteral("delete from collaborateurs"));
        state = RecoveryState{};
        site.setRawReply(QStringLiteral("collaborateurs"), body);
        import(QStringLiteral("collaborateurs"), password);
        return std::pair(column(QStringLiteral("select IdAlbum from collaborateurs")).size(),
                         state.Continue_Recovery);
    };
    site.setEndMarked(true);
    EXPECT_EQ(imported(fifty + "#fin#"), std::pair(qsizetype(50), true));
    EXPECT_EQ(imported("#fin#"), std::pair(qsizetype(0), true));
    EXPECT_EQ(imported(half), std::pair(qsizetype(0), false));
    EXPECT_TRUE(state.Continue_Error.startsWith(QStringLiteral(
        "Erreur lors de l'importation de la table collaborateurs : La réponse du site pour ")))
        << state.Continue_Error.toStdString();
    EXPECT_TRUE(state.Continue_Error.endsWith(QStringLiteral("est incomplète (sa fin manque).")));
    // Without the header, the mark alone tells a whole reply: a reply cut
    // between two rows, as a site published before the mark existed sends
    // every table, is refused.
    site.setEndMarked(false);
    EXPECT_EQ(imported(fifty + "#fin#"), std::pair(qsizetype(50), true));
    EXPECT_EQ(imported(fifty), std::pair(qsizetype(0), false));
    EXPECT_TRUE(state.Continue_Error.contains(QStringLiteral("sa marque de fin manque")))
        << state.Continue_Error.toStdString();
    // From a site published before the mark: rows of its scripts' form only.
    site.setAddressOnly(true);
    EXPECT_EQ(imported(fifty), std::pair(qsizetype(50), true));
    // Refused for the cause found in its rows, never blamed on PHP's old
    // MySQL functions, which sent them.
    for (const auto& [body, cause] : {
             std::pair<QByteArray, const char*>{half + "26@@@5", "sa ligne 26 n'a pas de fin"},
             {half + "2026 \xA9 H\xE9"
                     "bergeur",
              "après sa ligne 25 vient « 2026 © Hébergeur », qui commence comme une ligne"},
             {half + "-- pub --", "« -- pub -- », qui commence comme une ligne"},
             {half + "#fi", "« #fi », une marque de fin coupée"},
             {half + "x@@@y#end#", "après sa ligne 25 vient « x@@@y#end# », qui n'est pas une"},
             {half + FakeSite::row({"26", "5\n#fin##0#", "2"}), "contient « #fin## » suivi"},
         }) {
        EXPECT_EQ(imported(body), std::pair(qsizetype(0), false)) << cause;
        EXPECT_TRUE(state.Continue_Error.contains(QString::fromUtf8(cause)))
            << state.Continue_Error.toStdString();
        EXPECT_FALSE(state.Continue_Error.contains(QStringLiteral("PHP 7"))) << cause;
    }
    EXPECT_EQ(imported("<b>Warning</b>: mysql_connect()<br />\n" + fifty),
              std::pair(qsizetype(0), false));
    EXPECT_EQ(imported(fifty + "\r\n"), std::pair(qsizetype(50), true));
    // PHP's message amid a row, errors shown by the host: named, not stored.
    EXPECT_EQ(imported(half + "26@@@<br />\n<b>Warning</b>:  Undefined variable $x in "
                              "<b>/site/recovery.php</b> on line <b>9</b><br />\n5@@@2#end#"),
              std::pair(qsizetype(0), false));
    EXPECT_TRUE(state.Continue_Error.endsWith(QStringLiteral(
        "un message de PHP (« Warning: Undefined variable $x in /site/recovery.php on line 9 »).")))
        << state.Continue_Error.toStdString();
    // Its refusal with a line end after the script.
    EXPECT_EQ(imported("invalid password\r\n"), std::pair(qsizetype(0), false));
    EXPECT_EQ(state.Continue_Error, QStringLiteral("Mot de passe invalide !"));
    // Its empty password passes even unsent, after PHP's warning.
    site.setPassword("");
    EXPECT_EQ(imported(fifty, QString()), std::pair(qsizetype(50), true))
        << state.Continue_Error.toStdString();
    // A host's banner in plain text after each reply, rows or none.
    site.setPassword("secret");
    site.setBanner(
        "Page h\xE9"
        "berg\xE9"
        "e gratuitement par Free\n");
    EXPECT_EQ(imported(fifty), std::pair(qsizetype(50), true))
        << state.Continue_Error.toStdString();
    EXPECT_EQ(imported(""), std::pair(qsizetype(0), true)) << state.Continue_Error.toStdString();
    EXPECT_EQ(imported(half + "26@@@5"), std::pair(qsizetype(0), false));
    EXPECT_EQ(imported("Service indisponible"), std::pair(qsizetype(0), false));
    site.setBanner("");

    // An empty password behind a proxy that strips the site's headers: a
    // whole answer to the post is taken as it is, the next table cut by an
    // error PHP does not show is refused.
    site.setPassword("");
    site.setAddressOnly(false);
    site.setHeadersLost(true);
    state = RecoveryState{};
    const qsizetype before = site.requests().size();
    site.setRawReply(QStringLiteral("series"),
                     FakeSite::row({"1", "S", "", "", "", "", "0"}) + "#fin#");
    import(QStringLiteral("series"), QString());
    EXPECT_TRUE(state.Continue_Recovery) << state.Continue_Error.toStdString();
    EXPECT_EQ(site.requests().size() - before, 1);
    site.setRawReply(QStringLiteral("collaborateurs"), half);
    import(QStringLiteral("collaborateurs"), QString());
    EXPECT_FALSE(state.Continue_Recovery);
    EXPECT_EQ(column(QStringLiteral("select IdAlbum from collaborateurs")).size(), 0);
    // The same cut as the first answer: never taken for an earlier site's
    // table, empty or not.
    for (const QByteArray& cut : {half, QByteArray()}) {
        dao::DBEngine::OpenDatabase(base)->Execute(QStringLiteral("delete from collaborateurs"));
        state = RecoveryState{};
        site.setRawReply(QStringLiteral("collaborateurs"), cut);
        import(QStringLiteral("collaborateurs"), QString());
        EXPECT_FALSE(state.Continue_Recovery) << cut.size();
        EXPECT_FALSE(state.olderScript) << cut.size();
        EXPECT_EQ(column(QStringLiteral("select IdAlbum from collaborateurs")).size(), 0);
    }
    site.setHeadersLost(false);
    site.setPassword("secret");

    // A row left out on the way, the mark and its count kept.
    EXPECT_EQ(imported(half + "#fin##26#"), std::pair(qsizetype(0), false));
    EXPECT_TRUE(state.Continue_Error.contains(QStringLiteral("25 ligne(s) reçue(s) sur les 26")))
        << state.Continue_Error.toStdString();
    EXPECT_EQ(imported(half + "#fin##25#"), std::pair(qsizetype(25), true));

    // This version's mark names the table and proves the bytes before it.
    const QByteArray table = "recovery:collaborateurs";
    EXPECT_EQ(imported(test::proved(table, fifty)), std::pair(qsizetype(50), true));
    for (const auto& [body, fault] :
         {std::pair{test::proved("recovery:albums", fifty), "répond à « recovery:albums »"},
          {"Page h\xE9"
           "berg\xE9"
           "e gratuitement " +
               test::proved(table, fifty),
           "un texte la précède : « Page hébergée gratuitement »"},
          {test::proved(table, fifty).replace("26@@@5", "26@@@6"), "empreinte (CRC-32)"},
          {test::proved(table, fifty).remove(0, half.size()), "octet(s) reçu(s)"}}) {
        EXPECT_EQ(imported(body), std::pair(qsizetype(0), false)) << fault;
        EXPECT_TRUE(state.Continue_Error.contains(QString::fromUtf8(fault)))
            << state.Continue_Error.toStdString();
    }

    // This version's script, its headers lost: it read the posted password,
    // which an earlier one never does, so only its mark makes a table.
    site.setPassword("secret");
    site.setAddressOnly(false);
    site.setHeadersLost(true);
    EXPECT_EQ(imported(fifty + "#fin#"), std::pair(qsizetype(50), true));
    EXPECT_EQ(imported(half), std::pair(qsizetype(0), false));
    EXPECT_TRUE(state.Continue_Error.contains(QStringLiteral("marque de fin")))
        << state.Continue_Error.toStdString();
    EXPECT_FALSE(state.Continue_Error.contains(QStringLiteral("antérieure")));
    // Cut by a fatal error the host shows, the mark announced: named.
    site.setHeadersLost(false);
    site.setEndMarked(true);
    EXPECT_EQ(imported(half + "<br />\n<b>Fatal error</b>:  Maximum execution time of 30 seconds "
                              "exceeded in <b>/s/recovery.php</b> on line <b>80</b><br />\n"),
              std::pair(qsizetype(0), false));
    EXPECT_TRUE(state.Continue_Error.contains(QStringLiteral("Fatal error: Maximum execution")))
        << state.Continue_Error.toStdString();
}

TEST_F(TableImport, OnceTheScriptShowedItselfOfThisVersionThePasswordStaysOutOfTheAddress) {
    site.setHeadersLost(true);
    // A comment in the words of PHP's messages is the catalogue's.
    site.setReply(QStringLiteral("series"),
                  rows({{"1", "S", "", "Soldé\nWarning: tear in the cover on line 3", "", "", "0"},
                        {"2", "T", "", "Rare\nWarning: pliure in /dos du livre on line 2\nBon", "",
                         "", "0"}}));
    import(QStringLiteral("series"));
    ASSERT_TRUE(state.Continue_Recovery) << state.Continue_Error.toStdString();
    EXPECT_TRUE(value(QStringLiteral("select Commentaire from series where IdSerie = 1"))
                    .toString()
                    .endsWith(QStringLiteral("on line 3")));
    // Its refusal, without the header that would say it read the post.
    site.setPassword("autre");
    import(QStringLiteral("auteurs"));
    EXPECT_EQ(state.Continue_Error, QStringLiteral("Mot de passe invalide !"));

    // After a byte-order mark no header goes: the refusals, first of all
    // answers, say in their text that the post was read or is to be sent
    // again.
    site.setHeadersLost(false);
    site.setByteOrderMark(true);
    state = RecoveryState{};
    import(QStringLiteral("albums"));
    EXPECT_EQ(state.Continue_Error, QStringLiteral("Mot de passe invalide !"));
    state = RecoveryState{};
    site.setPassword("secret");
    site.setBusy(2);
    const qsizetype before = site.requests().size();
    import(QStringLiteral("collaborateurs"));
    EXPECT_TRUE(state.Continue_Recovery) << state.Continue_Error.toStdString();
    EXPECT_EQ(site.requests().size() - before, 3);
    for (const FakeSite::Request& r : site.requests()) {
        EXPECT_FALSE(r.target.contains("secret") || r.target.contains("autre"))
            << r.target.toStdString();
    }
}

}  // namespace
}  // namespace kalvor::recovery
