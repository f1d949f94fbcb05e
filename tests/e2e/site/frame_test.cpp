#include <QDir>
#include <QRegularExpression>
#include <QUrl>

#include <gtest/gtest.h>

#include "e2e/e2e_servers.h"
#include "e2e/site/cgi_page.h"
#include "e2e/site/site_harness.h"
#include "platform/cp1252.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::e2e;

namespace {

QByteArray latin1(const char* utf8) {
    return cp1252::encode(QString::fromUtf8(utf8));
}

// The bracketed texts of the menu, in page order.
QStringList menuTexts(const QByteArray& body) {
    const QString text = cp1252::decode(body);
    const qsizetype start = text.indexOf(QStringLiteral("<ul id=\"menu\""));
    const qsizetype end = text.indexOf(QStringLiteral("<div id=\"iliste\">"));
    QStringList texts;
    static const QRegularExpression span(QStringLiteral("<span>([^<]*)</span>"));
    auto it = span.globalMatch(text.mid(start, end - start));
    while (it.hasNext()) {
        texts << it.next().captured(1);
    }
    return texts;
}

class SiteFrame : public testing::Test {
  protected:
    void SetUp() override {
        KALVOR_REQUIRE_SERVERS();
        site_ = std::make_unique<SiteHarness>(QStringLiteral("cadre"));
        const QString failed = site_->build(siteSettings());
        ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();
        site_->writeFramePage();
    }
    std::unique_ptr<SiteHarness> site_;
};

}  // namespace

TEST_F(SiteFrame, EveryCollectionServesItsFrameAndMenuInLatin1WithoutAMessage) {
    const QStringList commun = {"[Accueil]"};
    const struct {
        const char* coll;
        const char* liste;
        QStringList menu;
    } cases[] = {
        {"albums",
         "series",
         {"[Accueil]",
          "[Ma collection]",
          "[Recherches]",
          "[Dédicaces]",
          "[Para-BD]",
          "[Revues]",
          "Trier par&nbsp;",
          "[Séries]",
          "[Auteurs]",
          "[Notes]",
          "[Collections]",
          "[Styles]",
          "[DL]",
          "[Date achat]",
          "[Moteur]",
          "[Imprimer]",
          "[Imprimer/Serie]",
          "[Imprimer/Style]",
          "[Stats]",
          "[M'écrire]",
          "[Quitter]"}},
        {"acheter",
         "series",
         {"[Accueil]", "[Recherches]", "[Ma collection]", "[Dédicaces]", "[Para-BD]", "[Revues]",
          "Trier par&nbsp;", "[Séries]", "[Auteurs]", "[Notes]", "[DL]", "[Moteur]", "[Imprimer]",
          "[Imprimer/Serie]", "[Imprimer/Style]", "[M'écrire]", "[Quitter]"}},
        {"dedicace",
         "series",
         {"[Accueil]", "[Dédicaces]", "[Ma collection]", "[Recherches]", "[Para-BD]", "[Revues]",
          "Trier par&nbsp;", "[Séries]", "[Auteurs]", "[Moteur]", "[M'écrire]", "[Quitter]"}},
        {"parabd",
         "series",
         {"[Accueil]", "[Para-BD]", "[Ma collection]", "[Recherches]", "[Dédicaces]", "[Revues]",
          "Trier par&nbsp;", "[Séries]", "[Auteurs]", "[Types]", "[Moteur]", "[M'écrire]",
          "[Quitter]"}},
        {"revue",
         "revue",
         {"[Accueil]", "[Revues]", "[Ma collection]", "[Recherches]", "[Dédicaces]", "[Para-BD]",
          "[Moteur]", "[M'écrire]", "[Quitter]"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.coll);
        const SitePage page = site_->get(QStringLiteral("cadre.php?coll=") + c.coll);
        ASSERT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
        EXPECT_EQ(page.contentType.toLower(), QByteArray("text/html; charset=iso-8859-1"));
        EXPECT_TRUE(page.body.contains(
            latin1("<title>Orme Lo' &amp; Kalvor - Ma collection de Bandes Dessinées</title>")));
        EXPECT_TRUE(page.body.contains(latin1("<p class=\"serie\">Les Aventures de Léon</p>")));
        EXPECT_TRUE(page.body.contains(latin1("<p class=\"serie\">Château d'Ébène</p>")));
        EXPECT_TRUE(page.body.contains(QStringLiteral("<p id=\"etat\">coll=%1;liste=%2;</p>")
                                           .arg(c.coll, c.liste)
                                           .toLatin1()));
        EXPECT_TRUE(page.body.contains(QStringLiteral("src=\"liste.php?coll=%1&amp;liste=%2\"")
                                           .arg(c.coll, c.liste)
                                           .toLatin1()));
        EXPECT_EQ(menuTexts(page.body), c.menu);
        // Icons on: the texts are hidden; a 30-pixel footer band.
        EXPECT_TRUE(page.body.contains(".bouton span { display: none; }"));
        EXPECT_TRUE(page.body.contains(".principal { bottom: 38px;"));
        EXPECT_TRUE(page.body.contains(
            "<div id=\"baspage\">\npersonnalisez ici votre bas de page\r\n  </div>\n"));
        EXPECT_TRUE(page.body.endsWith("</body>\n</html>\n"));
        const bool narrow = QByteArray(c.coll) == "albums";
        EXPECT_EQ(page.body.count("<li class=\"narrow\">"), narrow ? 4 : 0);
    }
    const SitePage older = site_->get(QStringLiteral("cadre.php?current_coll=parabd"));
    EXPECT_TRUE(older.body.contains("<p id=\"etat\">coll=parabd;liste=series;</p>"));
    const SitePage dates = site_->get(QStringLiteral("cadre.php?coll=albums&liste=dl&date=2004"));
    EXPECT_TRUE(dates.body.contains("src=\"liste.php?coll=albums&amp;liste=dl&amp;date=2004\""));
}

TEST_F(SiteFrame, HostileCollectionListAndDateFallBackOrAreEscaped) {
    for (const QString& value : hostileValues()) {
        SCOPED_TRACE(value.left(40).toStdString());
        const SitePage page =
            site_->getWith(QStringLiteral("cadre.php"),
                           {QStringLiteral("coll"), QStringLiteral("current_coll"),
                            QStringLiteral("liste"), QStringLiteral("date")},
                           value);
        ASSERT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
        EXPECT_TRUE(page.body.contains("<p id=\"etat\">coll=albums;liste=series;</p>"));
        EXPECT_FALSE(page.echoesRaw(value));
        EXPECT_EQ(page.body.count("<p class=\"serie\">"), 2);

        const SitePage dated =
            site_->get(QStringLiteral("cadre.php?coll=acheter&liste=dt-achat&date=") +
                       QString::fromLatin1(QUrl::toPercentEncoding(value)));
        ASSERT_TRUE(dated.problem().isEmpty()) << dated.problem().toStdString();
        EXPECT_FALSE(dated.echoesRaw(value));
        EXPECT_FALSE(dated.body.contains("date='"));
    }
}

TEST_F(SiteFrame, SettingsSwitchTheMenuStyleAndFooter) {
    Settings s = siteSettings();
    s.opt_icones = 0;
    s.opt_baspage = 0;
    s.opt_acheter = 0;
    s.opt_dedicace = s.opt_parabd = s.opt_revues = 0;
    s.opt_stats = 0;
    s.opt_email = s.opt_quitter = 0;
    s.opt_imprimer = s.opt_moteur = 0;
    s.opt_listenotes = s.opt_listecollection = s.opt_listestyle = 0;
    s.opt_listedl = s.opt_listeachat = 0;
    SiteHarness bare(QStringLiteral("sobre"));
    const QString failed = bare.build(s);
    ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();
    bare.writeFramePage();
    const SitePage page = bare.get(QStringLiteral("cadre.php"));
    ASSERT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
    EXPECT_EQ(menuTexts(page.body), (QStringList{"[Accueil]", "[Ma collection]", "Trier par&nbsp;",
                                                 "[Séries]", "[Auteurs]"}));
    EXPECT_TRUE(
        page.body.contains("<li class=\"sub\"><img src=\"images/bt_albums.gif\" width=\"67\" "
                           "height=\"18\" alt=\"Ma collection\"><span>[Ma collection]</span>\r\n"
                           "<ul>\r\n</ul>\r\n</li>"));
    EXPECT_TRUE(page.body.contains(".bouton img { display: none; }"));
    EXPECT_FALSE(page.body.contains(".principal {"));
    EXPECT_FALSE(page.body.contains("baspage"));
}

TEST_F(SiteFrame, AFailedQueryOrAnUndefinedValueFailsThePage) {
    test::writeAll(site_->folder() + QStringLiteral("/faute.php"),
                   "<?php require_once 'coeur.php'; $r = mysql_query('SELECT nope FROM rien');\n"
                   "while ($row = mysql_fetch_row($r)) { echo $row[0]; } echo 'fin';");
    const SitePage failed = site_->get(QStringLiteral("faute.php"));
    EXPECT_TRUE(failed.body.endsWith("fin"));
    EXPECT_TRUE(failed.problem().contains(QStringLiteral("mysql_query()")))
        << failed.problem().toStdString();

    test::writeAll(site_->folder() + QStringLiteral("/indefini.php"),
                   "<?php require_once 'coeur.php'; echo $nulle_part;");
    EXPECT_FALSE(site_->get(QStringLiteral("indefini.php")).problem().isEmpty());

    // Under the level of the site's own require.php, a database that fails
    // is said as the old functions said it: a failed query, a refused login.
    const QString require = site_->folder() + QStringLiteral("/require.php");
    QByteArray settings = test::readAll(require);
    ASSERT_TRUE(settings.contains("error_reporting(E_ALL);"));
    settings.replace("error_reporting(E_ALL);", "error_reporting(E_ERROR | E_WARNING | E_PARSE);");
    test::writeAll(require, settings);
    EXPECT_TRUE(site_->get(QStringLiteral("faute.php")).problem().contains("mysql_query()"));
    const QByteArray password = "= \"" + mysqlPassword().toUtf8() + "\";";
    ASSERT_TRUE(settings.contains(password));
    test::writeAll(require, settings.replace(password, "= \"pas le bon\";"));
    const SitePage refused = site_->get(QStringLiteral("cadre.php"));
    EXPECT_TRUE(refused.problem().contains(QStringLiteral("mysql_connect()")))
        << refused.problem().toStdString();
}

// A require.php of the settings alone, as one kept from an earlier
// publication: the pages and the recovery are served as with the program's own.
TEST_F(SiteFrame, ARequireOfTheSettingsAloneServesTheSamePagesAndTheRecovery) {
    const QString require = site_->folder() + QStringLiteral("/require.php");
    const QByteArray own = test::readAll(require);
    const QList<QByteArray> lines = own.split('\n');
    QList<QByteArray> alone;
    for (const QByteArray& line : lines) {
        if (line.startsWith("//Cache des pages")) {
            alone.resize(alone.size() - 2);  // the section has no place here
        } else if (!line.startsWith("//---------------\r") && !line.startsWith("$GV_cache")) {
            alone << line;
        }
        if (line.startsWith("$plugin_voitures_path")) {
            break;
        }
    }
    alone << "\r"
          << "\r"
          << "error_reporting(E_ALL);\r"
          << "?>\r"
          << "";
    const QStringList pages = {"cadre.php",
                               "index.php",
                               "liste.php?liste=auteurs",
                               "serie.php?idserie=1",
                               "stats.php",
                               "moteur.php",
                               "search.php",
                               "imprimer.php",
                               "notes.php?notes=5",
                               "type.php?coll=parabd",
                               "auteur.php?idauteur=1"};
    QList<SitePage> before;
    for (const QString& page : pages) {
        before << site_->get(page);
    }
    test::writeAll(require, alone.join('\n'));
    for (int i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(pages[i].toStdString());
        const SitePage page = site_->get(pages[i]);
        EXPECT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
        EXPECT_EQ(page.body, before[i].body);
        EXPECT_EQ(page.contentType, before[i].contentType);
    }
    const SitePage recovered = site_->post(
        QStringLiteral("recovery.php"), {{QStringLiteral("pwd"), mysqlPassword()},
                                         {QStringLiteral("tablename"), QStringLiteral("series")}});
    EXPECT_EQ(recovered.status, 200);
    EXPECT_TRUE(recovered.body.contains("#end##fin:recovery:series#"))
        << recovered.body.right(200).toStdString();
}

// On a production host (CGI, output buffering and short tags off), a
// require.php that prints white space after its "?>" keeps the pages' charset,
// and one opened with "<?" is never shown: a clear, logged 500 instead.
TEST_F(SiteFrame, WhatRequirePhpPrintsNeverReachesAVisitor) {
    const QString require = site_->folder() + QStringLiteral("/require.php");
    const QByteArray own = test::readAll(require);
    test::writeAll(require, own + "\r\n \r\n");
    for (const QString& page : {QStringLiteral("cadre.php"), QStringLiteral("serie.php")}) {
        SCOPED_TRACE(page.toStdString());
        const CgiPage served = runCgi(site_->folder(), page, QStringLiteral("idserie=1"));
        ASSERT_TRUE(served.failure.isEmpty()) << served.failure.toStdString();
        EXPECT_EQ(served.status, 200);
        EXPECT_EQ(served.header("Content-Type").toLower(),
                  QByteArray("text/html; charset=iso-8859-1"));
        EXPECT_TRUE(served.body.startsWith("<!DOCTYPE")) << served.body.left(80).toStdString();
        EXPECT_TRUE(served.errorLog.isEmpty()) << served.errorLog.toStdString();
    }
    EXPECT_TRUE(runCgi(site_->folder(), QStringLiteral("cadre.php"))
                    .body.contains(latin1("<p class=\"serie\">Château d'Ébène</p>")));

    QByteArray shortTag = own;
    ASSERT_TRUE(shortTag.startsWith("<?php"));
    test::writeAll(require, shortTag.replace(0, 5, "<?"));
    const QByteArray password = mysqlPassword().toUtf8();
    for (const QString& page :
         {QStringLiteral("cadre.php"), QStringLiteral("liste.php"), QStringLiteral("recovery.php"),
          QStringLiteral("check_files.php"), QStringLiteral("check_thumbs.php"),
          QStringLiteral("_retaille.php"), QStringLiteral("kalvor.php")}) {
        SCOPED_TRACE(page.toStdString());
        const CgiPage refused =
            runCgi(site_->folder(), page, QStringLiteral("current_rep=kalvorhelper"));
        ASSERT_TRUE(refused.failure.isEmpty()) << refused.failure.toStdString();
        EXPECT_FALSE(refused.body.contains(password));
        EXPECT_FALSE(refused.body.contains("$host"));
        EXPECT_EQ(refused.status, 500);
        EXPECT_TRUE(refused.body.contains("<?php")) << refused.body.left(300).toStdString();
        EXPECT_TRUE(refused.errorLog.contains("require.php")) << refused.errorLog.toStdString();
    }
    // After a byte-order mark an editor put before a file's "<?php" no header
    // can go: the same words, without PHP's warning about it in the log.
    const QString listing = site_->folder() + QStringLiteral("/check_files.php");
    test::writeAll(listing, "\xEF\xBB\xBF" + test::readAll(listing));
    const CgiPage marked = runCgi(site_->folder(), QStringLiteral("check_files.php"),
                                  QStringLiteral("current_rep=kalvorhelper"));
    ASSERT_TRUE(marked.failure.isEmpty()) << marked.failure.toStdString();
    EXPECT_TRUE(marked.body.contains("<?php")) << marked.body.left(300).toStdString();
    EXPECT_FALSE(marked.body.contains(password));
    EXPECT_TRUE(marked.errorLog.contains("require.php")) << marked.errorLog.toStdString();
    EXPECT_FALSE(marked.errorLog.contains("headers already sent")) << marked.errorLog.toStdString();
}

// An editor on Windows puts a byte-order mark before "<?php": on a production
// host the replies of the program's own scripts still come whole, without a
// warning about headers sent after it.
TEST_F(SiteFrame, AByteOrderMarkBeforeTheProgramsScriptsLeavesTheirRepliesWhole) {
    QDir().mkpath(site_->folder() + QStringLiteral("/couvertures"));
    QDir().mkpath(site_->folder() + QStringLiteral("/mini/couvertures"));
    const QString password = QString::fromLatin1(QUrl::toPercentEncoding(mysqlPassword()));
    const struct {
        const char* page;
        QString query;
        QString end;  // the mark and the count
    } scripts[] = {
        {"check_files.php", QStringLiteral("current_rep=couvertures"),
         QStringLiteral("#fin:check_\\w+:couvertures#\\d+#[0-9a-f]{8}#\n$")},
        {"check_thumbs.php", QStringLiteral("current_rep=couvertures"),
         QStringLiteral("#fin:check_\\w+:couvertures#\\d+#[0-9a-f]{8}#\n$")},
        {"recovery.php", QStringLiteral("tablename=series&pwd=") + password,
         QStringLiteral("#end##fin:recovery:series#\\d+#[0-9a-f]{8}#$")},
    };
    for (const auto& script : scripts) {
        SCOPED_TRACE(script.page);
        const QString path = site_->folder() + u'/' + QString::fromLatin1(script.page);
        test::writeAll(path, "\xEF\xBB\xBF" + test::readAll(path));
        const CgiPage served =
            runCgi(site_->folder(), QString::fromLatin1(script.page), script.query);
        ASSERT_TRUE(served.failure.isEmpty()) << served.failure.toStdString();
        EXPECT_EQ(served.status, 200);
        EXPECT_TRUE(QString::fromLatin1(served.body).contains(QRegularExpression(script.end)))
            << served.body.right(200).toStdString();
        EXPECT_TRUE(served.errorLog.isEmpty()) << served.errorLog.toStdString();
    }
}
