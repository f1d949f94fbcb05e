// The style sheet, the client scripts, the image pop-up and the thumbnail
// maker: their generated text, and the two PHP scripts run by PHP itself.
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/vb.h"
#include "platform/cp1252.h"
#include "sitegen/site_file.h"
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
    ADD_FAILURE() << "not in the table: " << name.toStdString();
    return {name, SiteBox::None, false};
}

// The file as the generator writes it, one string per line (CR LF split off).
QStringList generate(const QString& folder, const QString& name,
                     const QString& require = QString()) {
    vb::ScopedClock clock(kWhen);
    writeSiteFile({folder, require}, layoutOf(name));
    QByteArray bytes = test::readAll(folder + u'/' + name);
    EXPECT_TRUE(bytes.endsWith("\r\n")) << name.toStdString();
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n')) << name.toStdString();
    bytes.chop(2);
    return cp1252::decode(bytes.replace("\r\n", "\n")).split(u'\n');
}

bool havePhp() {
    return !QStandardPaths::findExecutable(QStringLiteral("php")).isEmpty();
}

struct PhpRun {
    int exitCode = -1;
    QByteArray out;
};

// Runs PHP 8 with every warning shown in the output, as the test server does.
PhpRun runPhp(const QString& folder, const QStringList& args) {
    QProcess php;
    php.setWorkingDirectory(folder);
    php.start(
        QStringLiteral("php"),
        QStringList{QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("extension=gd"),
                    QStringLiteral("-d"), QStringLiteral("display_errors=1"), QStringLiteral("-d"),
                    QStringLiteral("error_reporting=E_ALL"), QStringLiteral("-d"),
                    QStringLiteral("log_errors=0")} +
            args);
    php.waitForFinished(60000);
    return {php.exitCode(), php.readAllStandardOutput() + php.readAllStandardError()};
}

// Includes a site script with the given query string, as a request would.
PhpRun request(const QString& folder, const QString& script, const QString& query) {
    return runPhp(folder, {QStringLiteral("-r"),
                           QStringLiteral("parse_str($argv[1], $_GET); include '%1';").arg(script),
                           QStringLiteral("--"), query});
}

QStringList filesUnder(const QString& folder) {
    QStringList files;
    QDir dir(folder);
    for (const QFileInfo& info :
         dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        files << info.fileName();
        if (info.isDir()) {
            for (const QString& inner : filesUnder(info.filePath())) {
                files << info.fileName() + u'/' + inner;
            }
        }
    }
    return files;
}

}  // namespace

TEST(StyleSheet, OpensAsCssAndTheReadingOfRequireThenBox) {
    QTemporaryDir dir;
    const QStringList lines =
        generate(dir.path(), QStringLiteral("kalvor.php"), QStringLiteral("../conf/"));
    ASSERT_EQ(
        lines.mid(0, 2),
        (QStringList{QStringLiteral("<?php"),
                     QStringLiteral("header('Content-type: text/css; charset=ISO-8859-1');")}));
    const qsizetype end = lines.indexOf(QStringLiteral("?>"));
    EXPECT_TRUE(lines.mid(0, end).contains(QStringLiteral("require '../conf/require.php';")));
    const QString stars = QStringLiteral("/*") + QString(53, u'*') + u'/';
    const QStringList rest{
        QStringLiteral("?>"),
        stars,
        QStringLiteral("/* Page générée par Kalvor 1.8.3 le 06/12/26 21:05    */"),
        QStringLiteral("/* Feuille de style du site publié par Kalvor 1.8.3   */"),
        stars,
        QString(),
        QStringLiteral("/* Styles de bases */"),
        QStringLiteral("body {")};
    EXPECT_EQ(lines.mid(end, rest.size()).join(u'\n').toStdString(),
              rest.join(u'\n').toStdString());
}

TEST(StyleSheet, SectionsAndSelectorsComeInTheirOrder) {
    QTemporaryDir dir;
    QStringList lines = generate(dir.path(), QStringLiteral("kalvor.php"));
    lines.remove(0, lines.indexOf(QStringLiteral("?>")));
    QStringList seen;
    static const QRegularExpression title(
        QStringLiteral("^/\\* (Styles [^*]*?|A Personnaliser) *\\*/$"));
    for (const QString& line : lines) {
        if (const auto m = title.match(line); m.hasMatch()) {
            seen << QStringLiteral("== ") + m.captured(1);
        } else if (line.endsWith(QStringLiteral(" {"))) {
            seen << line.chopped(2);
        }
    }
    const QStringList expected = {"== Styles de bases",
                                  "body",
                                  "img",
                                  ".Illus img",
                                  "span.Illus",
                                  "a:link, a:visited",
                                  "a:hover",
                                  "table",
                                  ".principal",
                                  ":target",
                                  "== Styles pour les pages accueils",
                                  "#accueil",
                                  "#accueil .col1",
                                  "#accueil .col2",
                                  "#accueil .Thumb img",
                                  "#accueil .banner",
                                  "#accueil h1",
                                  "#accueil .stats",
                                  "#accueil h2",
                                  "#accueil ul",
                                  "#accueil p",
                                  "#accueil #methodes",
                                  "#accueil #legende",
                                  "#accueil #legende dt",
                                  "#accueil #legende dd",
                                  "#accueil .bouton img",
                                  "#accueil .important",
                                  "#accueil .date",
                                  "#accueil #derseries",
                                  "== Styles pour les listes dans le frame de gauche",
                                  "#iliste",
                                  "#iliste iframe",
                                  "#liste",
                                  "#liste ul",
                                  "#liste a",
                                  "#liste ul a",
                                  "#liste a:hover",
                                  "#liste li > a:first-letter",
                                  "#liste .special",
                                  "#liste .nb_albums",
                                  ".date #liste a",
                                  ".date #liste ul",
                                  ".date #liste .actif ul",
                                  ".date #liste ul a, .date #liste .actif ul a",
                                  ".date #liste .actif a",
                                  ".date #liste ul .actif a",
                                  ".date #liste li > a:first-letter",
                                  "== Styles pour les pages titre de liste",
                                  "#titre-lst",
                                  "#titre-lst a:link, #titre-lst a:visited",
                                  "#titre-lst a:hover",
                                  ".date #titre-lst",
                                  "== Styles pour les pages details",
                                  "#albums",
                                  "#albums th",
                                  "#albums #Entete",
                                  "#albums #Recap",
                                  "#albums #Recap th",
                                  "#albums #Recap th a",
                                  "#albums #Recap .asc",
                                  "#albums #Recap .desc",
                                  "#albums #Recap th:hover a",
                                  "#albums #Recap td",
                                  "#albums #Recap tr:hover",
                                  "#albums #Recap .Paire",
                                  "#albums #Recap a",
                                  "#albums h1",
                                  "#albums .G",
                                  "#albums .D",
                                  "#albums .H",
                                  "#albums .I",
                                  "#albums .CommentsAlbum",
                                  "#albums #Serie h1",
                                  "#albums #Serie .Illus",
                                  "#albums #Serie.Photo",
                                  "#albums #Serie p",
                                  "#albums #Serie .Genre",
                                  "#albums #Serie .Encours",
                                  ".Site",
                                  ".Site a",
                                  ".Site a:hover",
                                  "#albums #Serie .Comments",
                                  "#albums #Serie",
                                  "#albums h2",
                                  "#albums hr",
                                  "#albums .Fiche",
                                  "#albums .FicheLarge",
                                  "#albums .Fiche th, #albums .FicheLarge th",
                                  "#albums .note",
                                  "#albums #trait",
                                  "#albums .FicheLarge .typeobjet, #albums .Fiche .typeobjet",
                                  "== Styles pour les pages auteurs",
                                  "#auteur",
                                  "#auteur .Illus",
                                  "#auteur.Photo",
                                  "#auteur h1",
                                  "#auteur .VraiNom",
                                  "#auteur p",
                                  "#auteur .Fonction",
                                  "#auteur .Ne",
                                  "#auteur .Comments",
                                  "#auteur h2",
                                  "#auteur ul",
                                  "== Styles pour le menu",
                                  "#menu",
                                  "#menu li",
                                  "#menu li.narrow",
                                  "#menu li.sub",
                                  "#menu li:hover",
                                  "#menu li img",
                                  "#menu ul li",
                                  "#menu ul",
                                  "#menu li.sub:hover ul",
                                  "#menu a:link, #menu a:visited",
                                  "== Styles pour les statistiques",
                                  "#stats",
                                  "#stats h1",
                                  "#stats .Recap",
                                  "#stats .Recap th",
                                  "#stats .Recap td",
                                  "#stats .reste",
                                  "#imprimer",
                                  "#imprimer #Recap",
                                  "#imprimer #Recap th",
                                  "#imprimer #Recap td",
                                  "#imprimer h1",
                                  "== Styles pour les bas de page",
                                  "== A Personnaliser",
                                  "#baspage"};
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(lines.contains(QStringLiteral("  /* Support des :hover dans IE */")));
    EXPECT_TRUE(lines.contains(QStringLiteral("  behavior: url(csshover.htc);")));
}

TEST(StyleSheet, OnlyTheImagesFolderChangesWithTheSettings) {
    QTemporaryDir dir;
    const QStringList lines = generate(dir.path(), QStringLiteral("kalvor.php"));
    QStringList images;
    int phpTags = 0;
    static const QRegularExpression url(QStringLiteral(
        "url\\(<\\?php echo \\$GLOBALS\\['PATH_images'\\]; \\?>/([a-z_]+\\.gif)\\)"));
    for (const QString& line : lines.mid(lines.indexOf(QStringLiteral("?>")) + 5)) {
        phpTags += line.count(QStringLiteral("<?"));
        for (const auto& m : url.globalMatch(line)) {
            images << m.captured(1);
        }
    }
    EXPECT_EQ(images, (QStringList{"annee_inactif.gif", "mois_inactif.gif", "annee_actif.gif",
                                   "mois_actif.gif", "asc.gif", "desc.gif", "desc.gif"}));
    EXPECT_EQ(phpTags, images.size());
}

TEST(ClientScripts, FixedTextWithoutBox) {
    QTemporaryDir dir;
    const QStringList js = generate(dir.path(), QStringLiteral("fonctions.js"));
    EXPECT_EQ(js.mid(0, 2),
              (QStringList{QStringLiteral("// Sert à savoir si une variable est définie"),
                           QStringLiteral("var undef;")}));
    EXPECT_EQ(js.last(), QStringLiteral("window.onload = preStartup;"));
    QStringList functions;
    for (const QString& line : js) {
        if (line.startsWith(QStringLiteral("function "))) {
            functions << line.section(u' ', 1, 1).section(u'(', 0, 0);
        }
    }
    EXPECT_EQ(functions, (QStringList{"checkCookie", "hasValue", "savePosition", "fixLinks",
                                      "startup", "preStartup"}));

    const QStringList htc = generate(dir.path(), QStringLiteral("csshover.htc"));
    EXPECT_EQ(htc.first(),
              QStringLiteral(
                  "<public:attach event=\"ondocumentready\" onevent=\"parseStylesheets()\" />"));
    EXPECT_EQ(htc.at(1), QStringLiteral("<script language=\"JScript\">"));
    EXPECT_TRUE(htc.contains(QStringLiteral(" *   body { behavior: url(csshover.htc); }")));
    EXPECT_EQ(htc.last(), QStringLiteral("</script>"));
}

TEST(ImageScripts, OpenWithFullTagBoxAndBlankAndEndWithClosingTag) {
    QTemporaryDir dir;
    for (const QString& name : {QStringLiteral("_image.php"), QStringLiteral("_retaille.php")}) {
        const QStringList lines = generate(dir.path(), name, QStringLiteral("../conf/"));
        EXPECT_EQ(lines.mid(0, 5),
                  QStringList{QStringLiteral("<?php")} +
                      commentBox(SiteBox::Php, QStringLiteral("Kalvor 1.8.3"), kWhen) +
                      QStringList{QString()})
            << name.toStdString();
        EXPECT_EQ(lines.last(), QStringLiteral("?>"));
    }
    EXPECT_EQ(generate(dir.path(), QStringLiteral("_image.php")).at(5),
              QStringLiteral("// Annule l'effet du magic_quotes"));
    EXPECT_TRUE(generate(dir.path(), QStringLiteral("_retaille.php"), QStringLiteral("../d'o/"))
                    .contains(QStringLiteral("require '../d\\'o/require.php';")));
}

TEST(ImageScripts, PhpFilesPassTheLinter) {
    if (!havePhp()) {
        GTEST_SKIP() << "php is not installed";
    }
    QTemporaryDir dir;
    for (const QString& name : {QStringLiteral("kalvor.php"), QStringLiteral("_image.php"),
                                QStringLiteral("_retaille.php")}) {
        generate(dir.path(), name, QStringLiteral("../d'o$\"/"));
        const PhpRun run = runPhp(dir.path(), {QStringLiteral("-l"), name});
        EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    }
}

TEST(StyleSheet, RunByPhpGivesCssWithTheImagesFolder) {
    if (!havePhp()) {
        GTEST_SKIP() << "php is not installed";
    }
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("conf"));
    test::writeAll(dir.path() + QStringLiteral("/conf/require.php"),
                   "<?php\r\n$PATH_images       = \"images\";\r\n?>\r\n");
    generate(dir.path(), QStringLiteral("kalvor.php"), QStringLiteral("conf/"));
    const PhpRun run = runPhp(dir.path(), {QStringLiteral("kalvor.php")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.startsWith("/******************************************************/\r\n"))
        << run.out.left(200).toStdString();
    EXPECT_FALSE(run.out.contains("<?"));
    EXPECT_FALSE(run.out.contains("Warning")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("*/\r\n\r\n/* Styles de bases */\r\n"));
    EXPECT_TRUE(run.out.contains("  background-image: url(images/asc.gif);\r\n"));
    EXPECT_TRUE(run.out.contains(
        "  background: rgb(109, 152, 195) url(images/desc.gif) 100% 6px no-repeat;\r\n"));
}

TEST(ImagePopup, ShowsTheImageInALinkThatClosesTheWindow) {
    if (!havePhp()) {
        GTEST_SKIP() << "php is not installed";
    }
    QTemporaryDir dir;
    generate(dir.path(), QStringLiteral("_image.php"));
    const auto page = [](const QByteArray& src) {
        return "<html><head><title>Gros Plan</title></head>\n"
               "<body><a href=\"#\" onclick=\"javascript:window.close()\"><img src=\"" +
               src + "\" border=\"0\"></a></body></html>\n";
    };
    // The site core sends the apostrophe as &#39;, URL-encoded; an accented
    // name arrives as its Latin-1 byte.
    EXPECT_EQ(
        request(dir.path(), "_image.php", "image=images%2Fcouvertures%2Fl%26%2339%3B%EEle.jpg").out,
        page("images/couvertures/l&#039;\xEEle.jpg"));
    EXPECT_EQ(
        request(dir.path(), "_image.php",
                "image=x.jpg%22%20onerror%3D%22alert(1)%22%3E%3Cscript%3Ealert(2)%3C%2Fscript%3E")
            .out,
        page("x.jpg&quot; onerror=&quot;alert(1)&quot;&gt;&lt;script&gt;alert(2)&lt;/script&gt;"));
    EXPECT_EQ(request(dir.path(), "_image.php", "").out, page(""));
    EXPECT_EQ(request(dir.path(), "_image.php", "image[]=a").out, page(""));
}

class ThumbnailMaker : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!havePhp()) {
            GTEST_SKIP() << "php is not installed";
        }
        site_ = dir_.path() + QStringLiteral("/site");
        QDir(dir_.path()).mkpath(QStringLiteral("site/images/couvertures/thumbs"));
        QDir(dir_.path()).mkpath(QStringLiteral("site/images/photos"));
        QDir(dir_.path()).mkpath(QStringLiteral("site/images/planches/sous/dossier"));
        QDir(dir_.path()).mkpath(QStringLiteral("site/conf"));
        test::writeAll(site_ + QStringLiteral("/conf/require.php"),
                       "<?php\r\n"
                       "$GV_miniature = 1;\r\n"
                       "$GV_prefix = \"tn_\";\r\n"
                       "$PATH_couvertures = \"images/couvertures\";\r\n"
                       "$PATH_planches = \"images/planches\";\r\n"
                       "$PATH_photos = \"images/photos\";\r\n"
                       "$PATH_images       = \"images\";\r\n"
                       "$THUMB_couvertures = \"images/couvertures/thumbs\";\r\n"
                       "$THUMB_planches = \"images/planches/thumbs\";\r\n"
                       // thumbnails off for photos: their folder is the image folder
                       "$THUMB_photos = \"images/photos\";\r\n"
                       "?>\r\n");
        generate(site_, QStringLiteral("_retaille.php"), QStringLiteral("conf/"));
        // Names are Latin-1 bytes on the host, as the pages send them.
        makeJpeg(QStringLiteral("images/couvertures/l%27%EEle.jpg"), 600, 800);
        makeJpeg(QStringLiteral("images/planches/sous/dossier/p.jpg"), 400, 560);
        makeJpeg(QStringLiteral("images/photos/auteur.jpg"), 120, 150);
        makeJpeg(QStringLiteral("../secret.jpg"), 10, 10);
        test::writeAll(site_ + QStringLiteral("/images/couvertures/faux.jpg"), "GIF89a not a jpeg");
        // A thumbnail made in the second its picture was put there is not kept.
        test::waitForNextSecond();
    }

    void TearDown() override {
        // QTemporaryDir cannot name the Latin-1 files to remove them.
        QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), dir_.path()});
    }

    // `path` URL-encoded, so that any byte can be named.
    void makeJpeg(const QString& path, int width, int height) {
        const PhpRun run =
            runPhp(site_, {QStringLiteral("-r"),
                           QStringLiteral("$i = imagecreatetruecolor(%1, %2);"
                                          "imagefilledrectangle($i, 0, 0, %1 / 2, %2, 0xCC3300);"
                                          "imagejpeg($i, urldecode($argv[1]), 90);")
                               .arg(width)
                               .arg(height),
                           QStringLiteral("--"), path});
        ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
    }

    // Width, height, type and MD5 of an image as PHP reads them; `path` URL-encoded.
    QByteArray sizeOf(const QString& path) {
        return runPhp(site_, {QStringLiteral("-r"),
                              QStringLiteral(
                                  "$f = urldecode($argv[1]); $s = @getimagesize($f);"
                                  "if ($s) echo $s[0], 'x', $s[1], ' ', $s[2], ' ', md5_file($f);"),
                              QStringLiteral("--"), path})
            .out;
    }

    void expectRefused(const QString& query) {
        const QStringList before = filesUnder(dir_.path());
        const PhpRun run = request(site_, QStringLiteral("_retaille.php"), query);
        EXPECT_EQ(run.exitCode, 0) << query.toStdString();
        EXPECT_EQ(run.out, QByteArray()) << query.toStdString();
        EXPECT_EQ(filesUnder(dir_.path()), before) << query.toStdString();
    }

    QTemporaryDir dir_;
    QString site_;
};

TEST_F(ThumbnailMaker, MakesTheStretchedThumbnailUnderThePrefixedNameAndSendsIt) {
    // As the site core writes it: each path URL-encoded, apostrophe and all.
    const PhpRun run =
        request(site_, QStringLiteral("_retaille.php"),
                QStringLiteral("image=images%2Fcouvertures/l%27%EEle.jpg"
                               "&miniature=images%2Fcouvertures%2Fthumbs%2Ftn_l%27%EEle.jpg"
                               "&width=107&height=145"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.startsWith("\xFF\xD8\xFF")) << run.out.left(300).toStdString();
    EXPECT_EQ(sizeOf(QStringLiteral("images/couvertures/thumbs/tn_l%27%EEle.jpg")),
              "107x145 2 " + QCryptographicHash::hash(run.out, QCryptographicHash::Md5).toHex());
}

TEST_F(ThumbnailMaker, MakesEachKindAtTheSizeThePagesShowItAndNoOther) {
    const QString cover = QStringLiteral(
        "image=images/couvertures/l%27%EEle.jpg&miniature=images/couvertures/thumbs/"
        "tn_l%27%EEle.jpg");
    // A visitor's size for a cover whose thumbnail is still to make.
    for (const char* size :
         {"&width=1000&height=2", "&width=5000&height=-3", "&width=145&height=107",
          "&width=107&height=145.0", "&width=200&height=280", "&width=107"}) {
        expectRefused(cover + QLatin1String(size));
    }
    // Sample pages at theirs, in sub-folders written either way.
    const PhpRun planche =
        request(site_, QStringLiteral("_retaille.php"),
                QStringLiteral("image=images/planches/sous%5Cdossier%5Cp.jpg"
                               "&miniature=images/planches/thumbs/tn_sous%5Cdossier%5Cp.jpg"
                               "&width=200&height=280"));
    EXPECT_TRUE(planche.out.startsWith("\xFF\xD8\xFF")) << planche.out.left(300).toStdString();
    EXPECT_EQ(
        sizeOf(QStringLiteral("images/planches/thumbs/tn_sous/dossier/p.jpg")),
        "200x280 2 " + QCryptographicHash::hash(planche.out, QCryptographicHash::Md5).toHex());
    expectRefused(
        QStringLiteral("image=images/planches/sous/dossier/p.jpg"
                       "&miniature=images/planches/thumbs/tn_sous/dossier/p.jpg"
                       "&width=107&height=145"));
    // A thumbnail made is sent only at its own size.
    const PhpRun made = request(site_, QStringLiteral("_retaille.php"),
                                cover + QStringLiteral("&width=107&height=145"));
    EXPECT_TRUE(sizeOf(QStringLiteral("images/couvertures/thumbs/tn_l%27%EEle.jpg"))
                    .startsWith("107x145 2 "));
    expectRefused(cover + QStringLiteral("&width=1000&height=2"));
    EXPECT_EQ(request(site_, QStringLiteral("_retaille.php"),
                      cover + QStringLiteral("&width=107&height=145"))
                  .out,
              made.out);
}

// An upload writes a picture in place: a thumbnail made while it ended, in
// the same second, is made of half of it, and is made again.
TEST_F(ThumbnailMaker, MakesAgainAThumbnailMadeInTheSecondItsPictureWasPutThere) {
    makeJpeg(QStringLiteral("images/couvertures/envoi.jpg"), 600, 800);
    const QString picture = site_ + QStringLiteral("/images/couvertures/envoi.jpg");
    const QByteArray whole = test::readAll(picture);
    ASSERT_TRUE(QFile::copy(picture, site_ + QStringLiteral("/images/couvertures/copie.jpg")));
    test::waitForNextSecond();
    const QByteArray ofWhole =
        request(site_, QStringLiteral("_retaille.php"),
                QStringLiteral("image=images/couvertures/copie.jpg"
                               "&miniature=images/couvertures/thumbs/tn_copie.jpg"
                               "&width=107&height=145"))
            .out;
    ASSERT_TRUE(ofWhole.startsWith("\xFF\xD8\xFF"));

    const QString envoi = QStringLiteral(
        "image=images/couvertures/envoi.jpg&miniature=images/couvertures/thumbs/tn_envoi.jpg"
        "&width=107&height=145");
    bool sameSecond = false;
    for (int tries = 0; tries < 3 && !sameSecond; ++tries) {
        test::waitForNextSecond();
        const qint64 second = QDateTime::currentSecsSinceEpoch();
        QFile file(picture);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(whole.left(whole.size() / 2));
        file.flush();
        const QByteArray ofHalf = request(site_, QStringLiteral("_retaille.php"), envoi).out;
        ASSERT_TRUE(ofHalf.startsWith("\xFF\xD8\xFF"));
        ASSERT_NE(ofHalf, ofWhole);
        file.write(whole.mid(whole.size() / 2));
        file.close();
        sameSecond = QFileInfo(picture).metadataChangeTime().toSecsSinceEpoch() == second &&
                     QDateTime::currentSecsSinceEpoch() == second;
    }
    ASSERT_TRUE(sameSecond) << "the upload never fitted in one second";
    // A second later: made from the whole picture, and kept.
    test::waitForNextSecond();
    EXPECT_EQ(request(site_, QStringLiteral("_retaille.php"), envoi).out, ofWhole);
    EXPECT_EQ(test::readAll(site_ + QStringLiteral("/images/couvertures/thumbs/tn_envoi.jpg")),
              ofWhole);
    const QDateTime kept =
        QFileInfo(site_ + QStringLiteral("/images/couvertures/thumbs/tn_envoi.jpg"))
            .metadataChangeTime();
    test::waitForNextSecond();
    EXPECT_EQ(request(site_, QStringLiteral("_retaille.php"), envoi).out, ofWhole);
    EXPECT_EQ(QFileInfo(site_ + QStringLiteral("/images/couvertures/thumbs/tn_envoi.jpg"))
                  .metadataChangeTime(),
              kept);
}

TEST_F(ThumbnailMaker, RefusesWhatIsNotAnImageOfTheSiteOrNotItsThumbnail) {
    const QString thumb = QStringLiteral("&miniature=images/couvertures/thumbs/tn_l%27%EEle.jpg");
    const QString size = QStringLiteral("&width=107&height=145");
    // Sources outside the image folders, or not JPEG files.
    expectRefused(QStringLiteral("image=images/couvertures/../../../secret.jpg"
                                 "&miniature=images/couvertures/thumbs/tn_../../../secret.jpg") +
                  size);
    expectRefused(
        QStringLiteral("image=../secret.jpg&miniature=images/couvertures/thumbs/tn_secret.jpg") +
        size);
    expectRefused(QStringLiteral("image=") + dir_.path() + QStringLiteral("/secret.jpg") + thumb +
                  size);
    expectRefused(QStringLiteral("image=images/couvertures/absent.jpg"
                                 "&miniature=images/couvertures/thumbs/tn_absent.jpg") +
                  size);
    expectRefused(QStringLiteral("image=images/couvertures/faux.jpg"
                                 "&miniature=images/couvertures/thumbs/tn_faux.jpg") +
                  size);
    expectRefused(QStringLiteral(
                      "image=conf/require.php&miniature=images/couvertures/thumbs/tn_require.php") +
                  size);
    // Thumbnails written anywhere but the kind's thumbnail folder, or under another name.
    expectRefused(QStringLiteral("image=images/couvertures/l%27%EEle.jpg&miniature=index.php") +
                  size);
    expectRefused(QStringLiteral("image=images/couvertures/l%27%EEle.jpg"
                                 "&miniature=images/couvertures/thumbs/../../../x.jpg") +
                  size);
    expectRefused(QStringLiteral("image=images/couvertures/l%27%EEle.jpg"
                                 "&miniature=images/couvertures/thumbs/autre.jpg") +
                  size);
    expectRefused(QStringLiteral("image=images/couvertures/l%27%EEle.jpg"
                                 "&miniature=images/photos/tn_l%27%EEle.jpg") +
                  size);
    // Missing, doubled or malformed parameters.
    expectRefused(QString());
    expectRefused(QStringLiteral("image=images/couvertures/l%27%EEle.jpg") + thumb);
    expectRefused(QStringLiteral("image[]=a") + thumb + size);
    expectRefused(QStringLiteral("image=images/couvertures/l%27%EEle.jpg") + thumb +
                  QStringLiteral("&width=abc&height=145"));
}

TEST_F(ThumbnailMaker, NeverWritesOverTheImageItself) {
    // Thumbnails off for photos and no prefix: the thumbnail would be the image.
    QByteArray config = test::readAll(site_ + QStringLiteral("/conf/require.php"));
    config.replace("$GV_prefix = \"tn_\";", "$GV_prefix = \"\";");
    config.replace("$THUMB_photos = \"images/photos\";", "$THUMB_photos = \"images/photos/.\";");
    test::writeAll(site_ + QStringLiteral("/conf/require.php"), config);
    const QByteArray image = test::readAll(site_ + QStringLiteral("/images/photos/auteur.jpg"));
    expectRefused(
        QStringLiteral("image=images/photos/auteur.jpg&miniature=images/photos/./auteur.jpg"
                       "&width=10&height=10"));
    EXPECT_EQ(test::readAll(site_ + QStringLiteral("/images/photos/auteur.jpg")), image);
}
