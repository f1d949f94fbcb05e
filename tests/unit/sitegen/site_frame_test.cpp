#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

#include "common/vb.h"
#include "platform/cp1252.h"
#include "sitegen/site_files.h"
#include "support/next_second.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::sitegen;

namespace {

const QDateTime kWhen(QDate(2026, 12, 6), QTime(21, 5));

SiteFileLayout layoutOf(const QString& name) {
    for (const SiteFileLayout& layout : siteFiles()) {
        if (layout.name == name) {
            return layout;
        }
    }
    return {};
}

QByteArray phpOutput(const QStringList& args, int* exitCode = nullptr) {
    QProcess php;
    php.setProcessChannelMode(QProcess::MergedChannels);
    php.start(QStringLiteral("php"), args);
    php.waitForFinished(30000);
    if (exitCode) {
        *exitCode = php.exitCode();
    }
    return php.readAll();
}

// The site core run by the PHP command line, on a site whose default
// collection is `collection`, for a request holding `get` (a PHP array
// literal); `code` runs after it and its output is returned.
class SiteCore : public testing::Test {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("php")).isEmpty()) {
            GTEST_SKIP() << "php is not installed";
        }
        vb::ScopedClock clock(kWhen);
        for (const char* name : {"coeur.php", "menu.php", "_bas.php"}) {
            writeSiteFile({dir_.path(), QString()}, layoutOf(QString::fromLatin1(name)));
        }
    }

    QByteArray run(const QString& get, const QString& code,
                   const QString& collection = QStringLiteral("both")) {
        test::writeAll(dir_.path() + QStringLiteral("/require.php"),
                       QStringLiteral("<?php $host = $login = $password = $base = ''; "
                                      "$prefixe_table = 'kv_'; $GV_collection = '%1'; "
                                      "$GV_icone = 1; $GV_baspage = 0;")
                           .arg(collection)
                           .toLatin1());
        test::writeAll(
            dir_.path() + QStringLiteral("/essai.php"),
            cp1252::encode(QStringLiteral("<?php error_reporting(E_ALL); $_GET = %1;\n"
                                          "function mysql_connect() { return false; }\n"
                                          "function mysql_select_db() { return false; }\n"
                                          "function get_magic_quotes_gpc() { return false; }\n"
                                          "chdir(__DIR__); require 'coeur.php';\n%2")
                               .arg(get, code)));
        return phpOutput({QStringLiteral("-d"), QStringLiteral("display_errors=1"),
                          dir_.path() + QStringLiteral("/essai.php")});
    }

    QTemporaryDir dir_;
};

}  // namespace

TEST(SiteFrameFiles, FooterIsThePlaceholderAfterTheBoxAndTheCoreIncludesRequireFromItsFolder) {
    QTemporaryDir dir;
    vb::ScopedClock clock(kWhen);
    writeSiteFile({dir.path(), QStringLiteral("../conf/d'o/")},
                  layoutOf(QStringLiteral("_bas.php")));
    EXPECT_EQ(test::readAll(dir.path() + QStringLiteral("/_bas.php")),
              QByteArray("<?php\r\n"
                         "// ***************************************************\r\n"
                         "// * Page g\xE9n\xE9r\xE9"
                         "e par Kalvor 1.8.3 le 06/12/26 21:05 *\r\n"
                         "// ***************************************************\r\n"
                         "\r\n"
                         "if (!defined('KALVOR_SITE')) { return; }\r\n"
                         "?>\r\n"
                         "personnalisez ici votre bas de page\r\n"));

    writeSiteFile({dir.path(), QStringLiteral("../conf/d'o/")},
                  layoutOf(QStringLiteral("coeur.php")));
    const QList<QByteArray> coeur =
        test::readAll(dir.path() + QStringLiteral("/coeur.php")).split('\n');
    EXPECT_EQ(coeur[0], QByteArray("<?php\r"));
    EXPECT_EQ(coeur[4], QByteArray("\r"));
    const qsizetype read = coeur.indexOf("require '../conf/d\\'o/require.php';\r");
    EXPECT_GT(read, 5);
    // What a host lacks comes with the site's files, not with require.php.
    EXPECT_GT(coeur.indexOf("// Hosts without the old MySQL functions: the pages call them "
                            "through mysqli,\r"),
              read);
    EXPECT_EQ(coeur[coeur.size() - 2], QByteArray("?>\r"));

    writeSiteFile({dir.path(), QString()}, layoutOf(QStringLiteral("menu.php")));
    const QList<QByteArray> menu =
        test::readAll(dir.path() + QStringLiteral("/menu.php")).split('\n');
    EXPECT_EQ(menu[0], QByteArray("<?php if (!defined('KALVOR_SITE')) { return; } ?>\r"));
    EXPECT_EQ(menu[1],
              QByteArray("<!-- *************************************************** -->\r"));
    EXPECT_EQ(menu[5], QByteArray("<?php\r"));

    if (QStandardPaths::findExecutable(QStringLiteral("php")).isEmpty()) {
        GTEST_SKIP() << "php is not installed";
    }
    for (const char* name : {"_bas.php", "coeur.php", "menu.php"}) {
        int code = -1;
        const QByteArray out =
            phpOutput({QStringLiteral("-l"), dir.path() + u'/' + QString::fromLatin1(name)}, &code);
        EXPECT_EQ(code, 0) << name << ": " << out.toStdString();
    }
}

TEST_F(SiteCore, CollectionComesFromCollOrTheOlderCurrentCollAndFallsBack) {
    const QString show = QStringLiteral(
        "echo $coll, '|', $liste, '|', isset($tables) ? implode(',', "
        "array_keys($tables)) . '=' . implode(',', $tables) : '-';");
    EXPECT_EQ(run(QStringLiteral("array()"), show),
              "albums|series|series,auteurs,collaborateurs,albums,models="
              "kv_series,kv_auteurs,kv_collaborateurs,kv_albums,kv_model_item");
    EXPECT_EQ(run(QStringLiteral("array()"), show, QStringLiteral("acheter")),
              "acheter|series|series,auteurs,collaborateurs,albums,models="
              "kv_series2,kv_auteurs2,kv_collaborateurs,kv_acheter,kv_model_item");
    EXPECT_EQ(run(QStringLiteral("array('coll' => 'albums', 'current_coll' => 'parabd')"), show),
              "parabd|series|series,auteurs,albums,tomes,models="
              "kv_series3,kv_auteurs3,kv_parabd,kv_albums,kv_model_item");
    EXPECT_EQ(run(QStringLiteral("array('current_coll' => 'dedicace')"), show),
              "dedicace|series|series,auteurs,collaborateurs,albums,filtre,models="
              "kv_series,kv_auteurs,kv_collaborateurs,kv_albums,and a.horsserie=1,kv_model_item");
    EXPECT_EQ(
        run(QStringLiteral("array('coll' => 'revue', 'current_coll' => 'parabd')"), show),
        "revue|revue|series,auteurs,albums,models=kv_series4,kv_auteurs3,kv_revues,kv_model_item");
    // Unknown or empty values take the defaults.
    EXPECT_EQ(run(QStringLiteral("array('coll' => 'x', 'liste' => '')"), show).left(14),
              "albums|series|");
    EXPECT_EQ(
        run(QStringLiteral("array('coll' => array('revue'), 'liste' => 'dl')"), show).left(10),
        "albums|dl|");
    EXPECT_EQ(
        run(QStringLiteral("array('current_coll' => 'acheter')"), show, QStringLiteral("acheter"))
            .left(15),
        "acheter|series|");
}

TEST_F(SiteCore, LinksCarryCollectionKeysAndListKind) {
    EXPECT_EQ(
        run(QStringLiteral("array()"),
            QStringLiteral("echo LinkRef('auteur', array(12, 'titre', 'desc'));")),
        "auteur.php?coll=albums&amp;idauteur=12&amp;tri=titre&amp;sens=desc&amp;liste=series");
    EXPECT_EQ(run(QStringLiteral("array('coll' => 'acheter', 'liste' => 'auteurs')"),
                  QStringLiteral("echo LinkRef('collection', array('Dupuis & fils', "
                                 "'AllVolumes'));")),
              "collection.php?coll=acheter&amp;edit=Dupuis+%26+fils&amp;collec=AllVolumes&amp;"
              "liste=auteurs");
    EXPECT_EQ(run(QStringLiteral("array('coll' => 'revue')"),
                  QStringLiteral(
                      "echo LinkRef('revue', array(3)), ' ', LinkRef('serie', array('all'));")),
              "revue.php?coll=revue&amp;idserie=3&amp;liste=revue "
              "serie.php?coll=revue&amp;idserie=all&amp;liste=revue");
    EXPECT_EQ(
        run(QStringLiteral("array('liste' => 'dt-achat', 'date' => '2004\"><b>')"),
            QStringLiteral("Liste();")),
        "<div id=\"iliste\">\n"
        "<iframe name=\"liste\" frameborder=\"0\" "
        "src=\"liste.php?coll=albums&amp;liste=dt-achat&amp;date=2004&quot;&gt;&lt;b&gt;\">\n"
        "<a href=\"liste.php?coll=albums&amp;liste=dt-achat&amp;date=2004&quot;&gt;&lt;b&gt;\">"
        "Liste par dt-achat</a>\n"
        "</iframe>\n"
        "</div>\n");
}

TEST_F(SiteCore, ThumbnailsAndPopUpsFollowTheImageKind) {
    QDir(dir_.path()).mkpath(QStringLiteral("couv/mini"));
    // A JPEG header is enough for getimagesize; a GIF is shown whole.
    test::writeAll(
        dir_.path() + QStringLiteral("/couv/L'ile.jpg"),
        QByteArray::fromHex("ffd8ffe000104a46494600010100000100010000ffc00011080190012c03"
                            "012200021101031101ffd9"));
    test::writeAll(dir_.path() + QStringLiteral("/couv/a.gif"),
                   QByteArray("GIF89a\x0A\x00\x0A\x00\x00\x00\x00;", 13));
    test::writeAll(dir_.path() + QStringLiteral("/couv/mini/m_deja.jpg"), "x");
    EXPECT_EQ(run(QStringLiteral("array()"),
                  QStringLiteral(
                      "echo Miniature(\"L'ile.jpg\", 'couv', 'couv/mini', 'm_', 'couvertures'), "
                      "' ', Miniature('a.gif', 'couv', 'couv/mini', 'm_', 'couvertures'), "
                      "' ', Miniature('deja.jpg', 'couv', 'couv/mini', 'm_', 'couvertures');")),
              cp1252::encode(QStringLiteral(
                  "_retaille.php?image=couv/L%27ile.jpg&amp;miniature=couv%2Fmini%2Fm_L%27ile.jpg"
                  "&amp;width=107&amp;height=145 couv/a.gif couv/mini/m_deja.jpg")));
    // The thumbnail maker makes the folder with its first thumbnail: a page
    // makes none.
    EXPECT_EQ(run(QStringLiteral("array()"),
                  QStringLiteral("Miniature(\"L'ile.jpg\", 'couv', 'neuf', '', 'couvertures'); "
                                 "echo is_dir('neuf') ? 'fait' : 'absent';")),
              "absent");
    EXPECT_EQ(run(QStringLiteral("array()"),
                  QStringLiteral("AfficheImage('couv', \"L'ile.jpg\", 20); echo '|'; "
                                 "AfficheImage('couv', 'a.gif', 40);")),
              cp1252::encode(QStringLiteral(
                  "<a href=\"_image.php?image=couv%2FL%2527ile.jpg\" target=\"_blank\" "
                  "Onclick=\" javascript:window.open(this.href,'','menubar=no, toolbar=no, "
                  "location=no,directories=no,status=no,scrollbars=no, resizable=yes, "
                  "copyhistory=no,width=320,height=430, left=10, top=10');return false;\">|"
                  "<a href=\"_image.php?image=couv%2Fa.gif\" target=\"_blank\" "
                  "Onclick=\" javascript:window.open(this.href,'','menubar=no, toolbar=no, "
                  "location=no,directories=no,status=no,scrollbars=yes, resizable=yes, "
                  "copyhistory=no,width=450,height=600, left=10, top=10');return false;\">")));

    // Accented names as the host spells them: "Noël" as stored, "Cœur d'été"
    // only in UTF-8, which links carry URL-encoded.
    const QString coeur = QStringLiteral("\"C\\x9Cur d'\\xE9t\\xE9.jpg\"");
    EXPECT_EQ(
        run(QStringLiteral("array()"),
            QStringLiteral(
                "copy(\"couv/L'ile.jpg\", \"couv/C\\xC5\\x93ur d'\\xC3\\xA9t\\xC3\\xA9.jpg\"); "
                "copy(\"couv/L'ile.jpg\", 'couv/Noël.jpg'); "
                "echo Miniature(%1, 'couv', 'couv/mini', 'm_', 'couvertures'), ' ', "
                "Miniature('Noël.jpg', 'couv', 'couv/mini', 'm_', 'couvertures'), ' ', "
                "LienImage('couv', %1), ' ', LienImage('couv', 'Noël.jpg'), ' ', "
                "LienImage('couv', 'Léa.jpg'), '|'; AfficheImage('couv', %1, 20); "
                "echo '|';")
                .arg(coeur)),
        cp1252::encode(QStringLiteral(
            "_retaille.php?image=couv/C%C5%93ur+d%27%C3%A9t%C3%A9.jpg&amp;miniature=couv%2F"
            "mini%2Fm_C%C5%93ur+d%27%C3%A9t%C3%A9.jpg&amp;width=107&amp;height=145 "
            "_retaille.php?image=couv/No%EBl.jpg&amp;miniature=couv%2Fmini%2Fm_No%EBl.jpg"
            "&amp;width=107&amp;height=145 couv/C%C5%93ur%20d%27%C3%A9t%C3%A9.jpg "
            "couv/No%EBl.jpg couv/L%C3%A9a.jpg|<a "
            "href=\"_image.php?image=couv%2FC%25C5%2593ur%2520d"
            "%2527%25C3%25A9t%25C3%25A9.jpg\" target=\"_blank\" Onclick=\" javascript:window."
            "open(this.href,'','menubar=no, toolbar=no, location=no,directories=no,status=no,"
            "scrollbars=no, resizable=yes, copyhistory=no,width=320,height=430, left=10, "
            "top=10');return false;\">|")));
    // A thumbnail made in the second its picture was put there may be made
    // of half of it: it is made again.
    const QString made =
        QStringLiteral("touch(\"couv/mini/m_C\\xC5\\x93ur d'\\xC3\\xA9t\\xC3\\xA9.jpg\"); ");
    const QString shown =
        QStringLiteral("echo Miniature(%1, 'couv', 'couv/mini', 'm_', 'couvertures');").arg(coeur);
    test::waitForNextSecond();
    EXPECT_TRUE(
        run(QStringLiteral("array()"),
            QStringLiteral(
                "copy(\"couv/L'ile.jpg\", \"couv/C\\xC5\\x93ur d'\\xC3\\xA9t\\xC3\\xA9.jpg\"); ") +
                made + shown)
            .startsWith("_retaille.php?"));
    // One made in a later second, as the next page finds it.
    test::waitForNextSecond();
    EXPECT_EQ(run(QStringLiteral("array()"), made + shown),
              "couv/mini/m_C%C5%93ur%20d%27%C3%A9t%C3%A9.jpg");
    // A name in sub-folders written with "\" is the one written with "/".
    QDir(dir_.path()).mkpath(QStringLiteral("couv/sous/dossier"));
    QDir(dir_.path()).mkpath(QStringLiteral("couv/mini/m_sous/dossier"));
    ASSERT_TRUE(QFile::copy(dir_.path() + QStringLiteral("/couv/L'ile.jpg"),
                            dir_.path() + QStringLiteral("/couv/sous/dossier/image.jpg")));
    const QString sous = QStringLiteral(
        "echo Miniature('sous\\\\dossier\\\\image.jpg', 'couv', 'couv/mini', 'm_', "
        "'couvertures');");
    EXPECT_EQ(
        run(QStringLiteral("array()"), sous),
        "_retaille.php?image=couv/sous%2Fdossier%2Fimage.jpg&amp;miniature=couv%2Fmini%2Fm_sous"
        "%2Fdossier%2Fimage.jpg&amp;width=107&amp;height=145");
    test::waitForNextSecond();
    test::writeAll(dir_.path() + QStringLiteral("/couv/mini/m_sous/dossier/image.jpg"), "x");
    EXPECT_EQ(run(QStringLiteral("array()"), sous), "couv/mini/m_sous/dossier/image.jpg");
    // A name that is not UTF-8, which QTemporaryDir cannot remove.
    std::filesystem::remove(QFile::encodeName(dir_.path()).toStdString() + "/couv/No\xEBl.jpg");
}
