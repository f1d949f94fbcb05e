// The style sheet, the client scripts, the image pop-up and the thumbnail
// maker, served by PHP 8 and seen in headless Chromium, on a page of our own
// that uses the site's ids and classes.
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QThread>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>

#include "e2e/browser/web_driver.h"
#include "e2e/e2e_servers.h"
#include "platform/cp1252.h"
#include "sitegen/site_file.h"
#include "sitegen/site_files.h"
#include "support/next_second.h"
#include "support/test_paths.h"

using namespace kalvor;
using kalvor::e2e::WebDriver;

namespace {

struct Served {
    int status = 0;
    QString contentType;
    QByteArray body;
};

Served get(const QString& url) {
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl::fromEncoded(url.toLatin1())};
    request.setTransferTimeout(30000);
    QNetworkReply* reply = manager.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    Served served{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                  reply->header(QNetworkRequest::ContentTypeHeader).toString(), reply->readAll()};
    reply->deleteLater();
    return served;
}

void runPhp(const QString& folder, const QString& code, const QStringList& args = {}) {
    QProcess php;
    php.setWorkingDirectory(folder);
    php.setProcessChannelMode(QProcess::MergedChannels);
    php.start(QStringLiteral("php"),
              QStringList{QStringLiteral("-r"), code, QStringLiteral("--")} + args);
    php.waitForFinished(60000);
    ASSERT_EQ(php.exitCode(), 0) << php.readAll().toStdString();
}

const char kRequire[] =
    "<?php\r\n"
    "$GV_miniature = 1;\r\n"
    "$GV_prefix = \"tn_\";\r\n"
    "$PATH_couvertures = \"images/couvertures\";\r\n"
    "$PATH_images       = \"images\";\r\n"
    "$THUMB_couvertures = \"images/couvertures/thumbs\";\r\n"
    "?>\r\n";

// The cover "l'ile.jpg", with the links that the site core builds for it.
// (An accented name would not do here: browsers ask for a path in UTF-8.)
const char kCoverThumb[] =
    "_retaille.php?image=images%2Fcouvertures/l%27ile.jpg&amp;miniature=images%2Fcouvertures%2F"
    "thumbs%2Ftn_l%27ile.jpg&amp;width=107&amp;height=145";
const char kCoverPopup[] = "_image.php?image=images%2Fcouvertures%2Fl%26%2339%3Bile.jpg";

QByteArray page() {
    QByteArray html =
        "<?php header('Content-type: text/html; charset=ISO-8859-1'); ?>"
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
        "<html>\r\n<head>\r\n"
        "<meta http-equiv=\"content-type\" content=\"text/html; charset=ISO-8859-1\">\r\n"
        "<title>Orme Lo' &amp; Kalvor - Essai</title>\r\n"
        "<link rel=\"icon\" href=\"data:,\">\r\n"
        "<link rel=\"stylesheet\" type=\"text/css\" href=\"kalvor.php\">\r\n"
        "</head>\r\n<body>\r\n"
        "<ul id=\"menu\">\r\n"
        "<li class=\"sub\" id=\"menu-listes\">Listes<ul><li><a href=\"#\">S\xE9ries</a></li>"
        "<li><a href=\"#\">Auteurs</a></li></ul></li>\r\n"
        "<li class=\"narrow\" id=\"menu-stats\"><a href=\"#\">Statistiques</a></li>\r\n"
        "</ul>\r\n"
        "<div id=\"iliste\">\r\n"
        "<iframe name=\"liste\" frameborder=\"0\" src=\"liste.php?coll=albums&amp;liste=series\">"
        "<a href=\"liste.php?coll=albums&amp;liste=series\">Liste par series</a></iframe>\r\n"
        "</div>\r\n"
        "  <div id=\"albums\" class=\"principal\">\r\n"
        "<table id=\"Entete\"><tr><td>Essai</td></tr></table>\r\n"
        "<p>Nombre total d'albums&nbsp;: 2</p>\r\n"
        "<table id=\"Recap\" width=\"100%\" cellpadding=\"0\" cellspacing=\"0\">\r\n"
        "<tr><th><a class=\"asc\" href=\"#\">Titre</a></th><th><a href=\"#\">Num</a></th></tr>\r\n"
        "<tr><td><a href=\"#i1\">L'\xEEle</a></td><td><a href=\"#i1\">1</a></td></tr>\r\n"
        "<tr class=\"Paire\"><td><a href=\"#i2\">Deux</a></td><td><a "
        "href=\"#i2\">2</a></td></tr>\r\n"
        "</table>\r\n"
        "<div class=\"Fiche\" id=\"i1\"><span class=\"Illus\"><a id=\"cover\" href=\"@POPUP@\" "
        "target=\"_blank\" Onclick=\" javascript:window.open(this.href,'','menubar=no, toolbar=no, "
        "location=no,directories=no,status=no,scrollbars=yes, resizable=yes, copyhistory=no,"
        "width=620,height=600, left=10, top=10');return false;\"><img id=\"thumb\" src=\"@THUMB@\" "
        "height=\"145\" width=\"107\" alt=\"couverture\"></a></span><h2>L'\xEEle</h2></div>\r\n"
        "<div class=\"Fiche\" id=\"i2\"><h2>Deux</h2></div>\r\n"
        "<hr>\r\n"
        "  </div>\r\n"
        "</body>\r\n</html>\r\n";
    html.replace("@POPUP@", kCoverPopup);
    html.replace("@THUMB@", kCoverThumb);
    return html;
}

// The list frame: many series, all replacing the whole window, and one link
// that stays in the frame.
const char kListe[] =
    "<?php header('Content-type: text/html; charset=ISO-8859-1'); ?>"
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
    "<html>\r\n<head>\r\n"
    "<meta http-equiv=\"content-type\" content=\"text/html; charset=ISO-8859-1\">\r\n"
    "<link rel=\"icon\" href=\"data:,\">\r\n"
    "<link rel=\"stylesheet\" type=\"text/css\" href=\"kalvor.php\">\r\n"
    "<script type=\"text/javascript\" src=\"fonctions.js\"></script>\r\n"
    "</head>\r\n<body>\r\n"
    "<div id=\"titre-lst\"><a href=\"#\">S\xE9ries</a></div>\r\n"
    "<ul id=\"liste\">\r\n"
    "<li><a id=\"local\" href=\"liste.php?coll=albums&amp;liste=auteurs\">Sans cible</a></li>\r\n"
    "<?php for ($i = 1; $i <= 120; $i++) { ?>"
    "<li><a id=\"s<?php echo $i; ?>\" href=\"page.php?n=<?php echo $i; ?>\" target=\"_top\">"
    "S\xE9rie <?php echo $i; ?></a></li>\r\n"
    "<?php } ?>"
    "</ul>\r\n</body>\r\n</html>\r\n";

class SiteInBrowser : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!e2e::serversAnnounced()) {
            return;
        }
        folderName_ =
            QStringLiteral("resources_") + QUuid::createUuid().toString(QUuid::Id128).left(8);
        folder_ = e2e::phpRoot() + u'/' + folderName_;
        QDir(e2e::phpRoot()).mkpath(folderName_ + QStringLiteral("/images/couvertures/thumbs"));
        for (const sitegen::SiteFileLayout& layout : sitegen::siteFiles()) {
            if (QStringList{"kalvor.php", "fonctions.js", "csshover.htc", "_image.php",
                            "_retaille.php"}
                    .contains(layout.name)) {
                sitegen::writeSiteFile({folder_, QString()}, layout);
            }
        }
        test::writeAll(folder_ + QStringLiteral("/require.php"), kRequire);
        test::writeAll(folder_ + QStringLiteral("/page.php"), page());
        test::writeAll(folder_ + QStringLiteral("/liste.php"), kListe);
        // The pictures that the site owner provides.
        runPhp(folder_,
               QStringLiteral("foreach (array('asc', 'desc', 'annee_actif', 'annee_inactif', "
                              "'mois_actif', 'mois_inactif', 'gotop') as $n) {"
                              "$i = imagecreate(12, 12); imagecolorallocate($i, 200, 30, 30);"
                              "imagegif($i, \"images/$n.gif\"); }"
                              "$i = imagecreatetruecolor(600, 800);"
                              "imagefilledrectangle($i, 0, 0, 300, 800, 0x3366CC);"
                              "imagejpeg($i, urldecode($argv[1]), 90);"),
               {QStringLiteral("images/couvertures/l%27ile.jpg")});
        // A thumbnail made in the second its picture was put there is not kept.
        test::waitForNextSecond();
        if (WebDriver::installed()) {
            browser_ = std::make_unique<WebDriver>();
        }
    }

    static void TearDownTestSuite() {
        browser_.reset();
        if (!folder_.isEmpty()) {
            // Latin-1 file names: QDir cannot name them to remove them.
            QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), folder_});
        }
    }

    void SetUp() override {
        KALVOR_REQUIRE_SERVERS();
        // scripts/test installs the browser: without it the run is not complete.
        ASSERT_TRUE(WebDriver::installed()) << "chromium and chromium-driver are not installed";
        ASSERT_TRUE(browser_->ok()) << browser_->startError().toStdString();
        browser_->browserLog();  // what earlier tests left
    }

    static QString url(const QString& file) {
        return e2e::phpUrl() + u'/' + folderName_ + u'/' + file;
    }

    // Opens a page of the folder and waits for it and its pictures.
    void open(const QString& file) {
        browser_->navigate(url(file));
        ASSERT_TRUE(browser_->waitUntil(QStringLiteral(
            "return document.readyState == 'complete' && "
            "Array.prototype.every.call(document.images, function (i) { return i.complete; });")));
    }

    void keepScreenshot(const QString& name) {
        QDir().mkpath(QStringLiteral(KALVOR_ARTEFACT_DIR));
        const QByteArray png = browser_->screenshot();
        EXPECT_TRUE(png.startsWith("\x89PNG"));
        test::writeAll(QStringLiteral(KALVOR_ARTEFACT_DIR "/") + name + QStringLiteral(".png"),
                       png);
    }

    // Console errors and failed loads since the last look; the browser's own
    // request for the server's icon is not the site's.
    void expectNoConsoleError() {
        for (const QJsonValue& entry : browser_->browserLog()) {
            const QJsonObject e = entry.toObject();
            const QString message = e.value(QStringLiteral("message")).toString();
            if (e.value(QStringLiteral("level")).toString() == QStringLiteral("SEVERE") &&
                !message.startsWith(e2e::phpUrl() + QStringLiteral("/favicon.ico "))) {
                ADD_FAILURE() << message.toStdString();
            }
        }
    }

    QJsonObject style(const QString& css, const QStringList& properties) {
        return browser_
            ->execute(
                QStringLiteral("var s = getComputedStyle(document.querySelector(arguments[0]));"
                               "var r = {}; arguments[1].forEach(function (p) { r[p] = s[p]; });"
                               "return r;"),
                {css, QJsonArray::fromStringList(properties)})
            .toObject();
    }

    static inline QString folderName_;
    static inline QString folder_;
    static inline std::unique_ptr<WebDriver> browser_;
};

}  // namespace

TEST_F(SiteInBrowser, StyleSheetIsServedAsCssWithTheImagesFolder) {
    const Served css = get(url(QStringLiteral("kalvor.php")));
    EXPECT_EQ(css.status, 200);
    EXPECT_TRUE(css.contentType.startsWith(QStringLiteral("text/css")))
        << css.contentType.toStdString();
    EXPECT_TRUE(css.body.startsWith("/*****")) << css.body.left(100).toStdString();
    EXPECT_TRUE(css.body.contains("background-image: url(images/asc.gif);"));
    EXPECT_FALSE(css.body.contains("<?"));
    EXPECT_FALSE(css.body.contains("Warning")) << css.body.toStdString();
}

TEST_F(SiteInBrowser, PageTakesTheFrameLayoutAndColours) {
    open(QStringLiteral("page.php"));
    const QJsonObject principal = style(QStringLiteral(".principal"),
                                        {"position", "left", "top", "right", "bottom", "overflow"});
    EXPECT_EQ(principal, (QJsonObject{{"position", "absolute"},
                                      {"left", "256px"},
                                      {"top", "21px"},
                                      {"right", "8px"},
                                      {"bottom", "8px"},
                                      {"overflow", "auto"}}));
    EXPECT_EQ(style(QStringLiteral("#iliste"), {"position", "left", "top", "width"}),
              (QJsonObject{
                  {"position", "absolute"}, {"left", "8px"}, {"top", "0px"}, {"width", "240px"}}));
    EXPECT_EQ(style(QStringLiteral("#menu"), {"left", "height", "zIndex"}),
              (QJsonObject{{"left", "256px"}, {"height", "21px"}, {"zIndex", "1"}}));
    EXPECT_EQ(style(QStringLiteral("body"), {"backgroundColor", "fontSize"}),
              (QJsonObject{{"backgroundColor", "rgb(109, 152, 195)"}, {"fontSize", "11px"}}));
    EXPECT_EQ(style(QStringLiteral("#Recap .Paire"), {"backgroundColor"}).value("backgroundColor"),
              QStringLiteral("rgb(235, 241, 247)"));
    const QJsonObject sorted =
        style(QStringLiteral("#Recap th a.asc"), {"backgroundImage", "backgroundRepeat", "color"});
    EXPECT_EQ(sorted.value("backgroundImage").toString(),
              QStringLiteral("url(\"%1\")").arg(url(QStringLiteral("images/asc.gif"))));
    EXPECT_EQ(sorted.value("backgroundRepeat"), QStringLiteral("no-repeat"));
    EXPECT_EQ(sorted.value("color"), QStringLiteral("rgb(255, 255, 255)"));
    EXPECT_EQ(style(QStringLiteral("#albums hr"), {"visibility", "clear"}),
              (QJsonObject{{"visibility", "hidden"}, {"clear", "both"}}));
    EXPECT_EQ(style(QStringLiteral("#menu ul"), {"display"}).value("display"),
              QStringLiteral("none"));
    keepScreenshot(QStringLiteral("page"));
    expectNoConsoleError();
}

TEST_F(SiteInBrowser, CoverThumbnailIsMadeOnDemandAndFoundByTheNextPage) {
    open(QStringLiteral("page.php"));
    const QJsonObject thumb =
        browser_
            ->execute(QStringLiteral("var i = document.getElementById('thumb');"
                                     "return {w: i.naturalWidth, h: i.naturalHeight};"))
            .toObject();
    EXPECT_EQ(thumb, (QJsonObject{{"w", 107}, {"h", 145}}));
    expectNoConsoleError();
    // Where the site core looks for it next time.
    const Served stored = get(url(QStringLiteral("images/couvertures/thumbs/tn_l%27ile.jpg")));
    EXPECT_EQ(stored.status, 200);
    EXPECT_TRUE(stored.body.startsWith("\xFF\xD8\xFF"));
    const Served made = get(url(
        QString::fromLatin1(kCoverThumb).replace(QStringLiteral("&amp;"), QStringLiteral("&"))));
    EXPECT_EQ(made.contentType, QStringLiteral("image/jpeg"));
}

TEST_F(SiteInBrowser, ThumbnailMakerRefusesPathsOutsideItsFolders) {
    const QStringList before = QDir(folder_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const QString& query :
         {QStringLiteral("image=images/couvertures/../../index.jpg&miniature=images/couvertures/"
                         "thumbs/tn_../../index.jpg&width=107&height=145"),
          QStringLiteral(
              "image=images/couvertures/l%40ile.jpg&miniature=evil.jpg&width=107&height=145"),
          QStringLiteral("image=images/couvertures/absent.jpg&miniature=images/couvertures/thumbs/"
                         "tn_absent.jpg&width=107&height=145"),
          QStringLiteral(
              "image=require.php&miniature=images/couvertures/thumbs/x.jpg&width=1&height=1")}) {
        const Served refused = get(url(QStringLiteral("_retaille.php?") + query));
        EXPECT_EQ(refused.status, 404) << query.toStdString();
        EXPECT_EQ(refused.body, QByteArray()) << query.toStdString();
    }
    EXPECT_EQ(QDir(folder_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    EXPECT_FALSE(QFileInfo::exists(folder_ + QStringLiteral("/evil.jpg")));
}

TEST_F(SiteInBrowser, CoverOpensThePopupWhichClosesOnClick) {
    open(QStringLiteral("page.php"));
    const QString home = browser_->windowHandle();
    browser_->click(browser_->element(QStringLiteral("#cover")));
    ASSERT_TRUE(browser_->waitUntil(QStringLiteral("return true;")));
    QStringList handles = browser_->windowHandles();
    ASSERT_EQ(handles.size(), 2);
    handles.removeAll(home);
    browser_->switchToWindow(handles.first());
    ASSERT_TRUE(browser_->waitUntil(
        QStringLiteral("return document.readyState == 'complete' && document.images.length == 1 &&"
                       " document.images[0].complete;")));
    EXPECT_EQ(browser_->title(), QStringLiteral("Gros Plan"));
    const QJsonObject image =
        browser_
            ->execute(QStringLiteral(
                "var i = document.images[0];"
                "return {src: i.getAttribute('src'), w: i.naturalWidth,"
                " h: i.naturalHeight, size: [window.outerWidth, window.outerHeight]};"))
            .toObject();
    EXPECT_EQ(image.value("src").toString(), QStringLiteral("images/couvertures/l'ile.jpg"));
    EXPECT_EQ(image.value("w"), 600);
    EXPECT_EQ(image.value("h"), 800);
    keepScreenshot(QStringLiteral("popup"));
    expectNoConsoleError();
    browser_->click(browser_->element(QStringLiteral("img")));
    QThread::msleep(300);
    browser_->switchToWindow(home);
    EXPECT_EQ(browser_->windowHandles(), QStringList{home});
}

TEST_F(SiteInBrowser, HoveringAMenuItemOpensItsSubMenu) {
    open(QStringLiteral("page.php"));
    browser_->hover(browser_->element(QStringLiteral("#menu-listes")));
    EXPECT_EQ(style(QStringLiteral("#menu-listes ul"), {"display"}).value("display"),
              QStringLiteral("block"));
    EXPECT_EQ(
        style(QStringLiteral("#menu-listes"), {"color", "backgroundColor"}),
        (QJsonObject{{"color", "rgb(255, 255, 0)"}, {"backgroundColor", "rgb(51, 102, 153)"}}));
    keepScreenshot(QStringLiteral("menu"));
    browser_->hoverAt(700, 500);
    EXPECT_EQ(style(QStringLiteral("#menu-listes ul"), {"display"}).value("display"),
              QStringLiteral("none"));
    expectNoConsoleError();
}

TEST_F(SiteInBrowser, ListKeepsItsScrollOnlyAcrossLinksThatReplaceTheWindow) {
    open(QStringLiteral("page.php"));
    const QJsonValue frame = browser_->element(QStringLiteral("#iliste iframe"));
    browser_->switchToFrame(frame);
    ASSERT_TRUE(browser_->waitUntil(QStringLiteral("return document.readyState == 'complete';")));
    EXPECT_EQ(
        browser_->execute(QStringLiteral("return document.getElementById('liste').scrollTop;")), 0);

    // Scroll, then follow a series that is in view.
    const QJsonValue scrolled = browser_->execute(QStringLiteral(
        "var l = document.getElementById('liste'); l.scrollTop = 600; return l.scrollTop;"));
    ASSERT_GT(scrolled.toInt(), 0);
    const QJsonObject link =
        browser_
            ->execute(
                QStringLiteral("var l = document.getElementById('liste');"
                               "var links = l.getElementsByTagName('a');"
                               "for (var i = 0; i < links.length; i++)"
                               "  if (links[i].offsetTop > l.scrollTop + 60) return links[i];"))
            .toObject();
    browser_->click(link);
    browser_->switchToFrame(QJsonValue::Null);
    ASSERT_TRUE(browser_->waitUntil(QStringLiteral(
        "return location.search.indexOf('n=') > 0 && document.readyState == 'complete';")));
    browser_->switchToFrame(browser_->element(QStringLiteral("#iliste iframe")));
    EXPECT_TRUE(browser_->waitUntil(
        QStringLiteral("return document.getElementById('liste').scrollTop == %1;")
            .arg(scrolled.toInt())))
        << browser_->execute(QStringLiteral("return document.getElementById('liste').scrollTop;"))
               .toInt();
    EXPECT_EQ(browser_->execute(QStringLiteral("return checkCookie('kvr_offset');")), QString());
    keepScreenshot(QStringLiteral("liste"));

    // A link that stays in the frame does not keep the offset.
    browser_->execute(QStringLiteral("document.getElementById('liste').scrollTop = 300;"));
    browser_->click(browser_->element(QStringLiteral("#local")));
    ASSERT_TRUE(browser_->waitUntil(QStringLiteral(
        "return location.search.indexOf('auteurs') > 0 && document.readyState == 'complete';")));
    QThread::msleep(100);  // startup runs on a timer after the load
    EXPECT_EQ(
        browser_->execute(QStringLiteral("return document.getElementById('liste').scrollTop;")), 0);
    browser_->switchToFrame(QJsonValue::Null);
    expectNoConsoleError();
}

TEST_F(SiteInBrowser, HoverBehaviourTwinsTheHoverRulesOfTheStyleSheet) {
    open(QStringLiteral("page.php"));
    // Chromium has no behaviours: the component's script runs with attachEvent
    // mapped onto addEventListener.
    const QJsonObject result =
        browser_
            ->executeAsync(
                QStringLiteral("var done = arguments[arguments.length - 1];"
                               "fetch('csshover.htc').then(function (r) { return r.text(); "
                               "}).then(function (text) {"
                               "  var start = text.indexOf('>', text.indexOf('<script')) + 1;"
                               "  var code = text.substring(start, text.lastIndexOf('</script>'));"
                               "  Element.prototype.attachEvent = function (name, fn) {"
                               "    this.addEventListener(name.substring(2), fn); };"
                               "  var sheet = document.styleSheets[0];"
                               "  var before = sheet.cssRules.length;"
                               "  (0, eval)(code);"
                               "  parseStylesheets();"
                               "  var twins = [];"
                               "  for (var i = before; i < sheet.cssRules.length; i++) "
                               "twins.push(sheet.cssRules[i].selectorText);"
                               "  var item = document.getElementById('menu-stats');"
                               "  var sub = document.getElementById('menu-listes');"
                               "  var row = document.querySelector('#Recap tr.Paire');"
                               "  var r = {twins: twins};"
                               "  item.dispatchEvent(new MouseEvent('mouseover'));"
                               "  r.itemOver = item.className;"
                               "  item.dispatchEvent(new MouseEvent('mouseout'));"
                               "  r.itemOut = item.className;"
                               "  sub.dispatchEvent(new MouseEvent('mouseover'));"
                               "  r.subOver = sub.className;"
                               "  r.subMenu = getComputedStyle(sub.querySelector('ul')).display;"
                               "  sub.dispatchEvent(new MouseEvent('mouseout'));"
                               "  r.subOut = sub.className;"
                               "  row.dispatchEvent(new MouseEvent('mouseover'));"
                               "  r.rowOver = getComputedStyle(row).backgroundColor;"
                               "  done(r);"
                               "}, function (e) { done({error: String(e)}); });"))
            .toObject();
    EXPECT_EQ(result.value("twins").toArray(),
              (QJsonArray{"#albums #Recap th.onhover a", "#albums #Recap tr.onhover",
                          "#menu li.onhover", "#menu li.subonhover ul"}))
        << QJsonDocument(result).toJson().toStdString();
    EXPECT_EQ(result.value("itemOver"), QStringLiteral("narrow onhover"));
    EXPECT_EQ(result.value("itemOut"), QStringLiteral("narrow"));
    EXPECT_EQ(result.value("subOver"), QStringLiteral("sub onhover subonhover"));
    EXPECT_EQ(result.value("subMenu"), QStringLiteral("block"));
    EXPECT_EQ(result.value("subOut"), QStringLiteral("sub"));
    EXPECT_EQ(result.value("rowOver"), QStringLiteral("rgb(255, 217, 217)"));
    expectNoConsoleError();
}
