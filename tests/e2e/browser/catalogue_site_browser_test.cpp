// The generated site of the fixture catalogues, published through the full
// data export, seen in headless Chromium: the home page and a series page of
// each collection, and the picture pop-up of a card.
#include <QDir>
#include <QJsonDocument>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "e2e/browser/web_driver.h"
#include "e2e/catalogpages/catalogue_site.h"
#include "e2e/e2e_servers.h"
#include "support/next_second.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::e2e;

namespace {

// The pictures the owner uploads beside the site: a folder of the settings,
// the columns naming its files, and the size of its pictures.
struct PictureFolder {
    QString folder;
    QStringList columns;  // table.column, without the prefix
    int width;
    int height;
};

QList<PictureFolder> pictureFolders(const Settings& s) {
    return {
        {s.GV_Rep_Couvertures, {"albums.couverture", "acheter.couverture"}, 300, 400},
        {s.GV_Rep_Versos, {"albums.verso", "acheter.verso"}, 300, 400},
        {s.GV_Rep_Dedicaces, {"albums.dedicace", "acheter.dedicace"}, 400, 300},
        {s.GV_Rep_Planches,
         {"series.planche", "series2.planche", "series3.planche", "series4.planche"},
         400,
         560},
        {s.GV_Rep_Photos, {"auteurs.photo", "auteurs2.photo", "auteurs3.photo"}, 240, 300},
        {s.GV_Rep_Parabd, {"parabd.imageex"}, 400, 300},
        {s.GV_Rep_Revues, {"revues.couverture"}, 300, 400},
    };
}

Settings publishingSettings(const QString& version) {
    Settings s = siteSettings();
    s.GV_Version_Base = version;
    // One generation in each encoding of the data scripts.
    s.format = version == QStringLiteral("v6") ? Settings::FormatDonnees::Latin1
                                               : Settings::FormatDonnees::Utf8;
    return s;
}

// A published catalogue with every picture its rows name, built once.
struct PublishedSite {
    std::unique_ptr<QTemporaryDir> scratch;
    std::unique_ptr<SiteHarness> site;
    QString failed;
    int pictures = 0;
};

QString writePictures(const SiteHarness& site, const Settings& settings, int& count) {
    const QString prefix = settings.box_prefixe_table;
    QByteArray list;
    for (const PictureFolder& kind : pictureFolders(settings)) {
        QStringList selects;
        for (const QString& column : kind.columns) {
            const QStringList parts = column.split(u'.');
            selects << QStringLiteral("SELECT %1 FROM %2%3").arg(parts[1], prefix, parts[0]);
        }
        const SqlResult names = runSql(site.database(), selects.join(" UNION ").toUtf8());
        if (!names.ok) {
            return names.errors;
        }
        QDir().mkpath(site.folder() + u'/' + kind.folder);
        for (const QStringList& row : names.rows) {
            const QString name = row.value(0);
            if (name.isEmpty() || name == QStringLiteral("NULL") || name.contains(u'/') ||
                name.contains(u'\\') || name.startsWith(u'.')) {
                continue;
            }
            list += (kind.folder + u'/' + name).toUtf8() + '\t' + QByteArray::number(kind.width) +
                    '\t' + QByteArray::number(kind.height) + '\n';
            ++count;
        }
    }
    const QString listFile = site.folder() + QStringLiteral("/scripts/images.txt");
    test::writeAll(listFile, list);
    // Each picture in its own colour, its name written on it.
    QProcess php;
    php.setWorkingDirectory(site.folder());
    php.setProcessChannelMode(QProcess::MergedChannels);
    php.start(QStringLiteral("php"),
              {QStringLiteral("-r"),
               QStringLiteral("foreach (file($argv[1], FILE_IGNORE_NEW_LINES) as $l) {"
                              "  list($p, $w, $h) = explode(\"\\t\", $l);"
                              "  $i = imagecreatetruecolor($w, $h);"
                              "  imagefilledrectangle($i, 0, 0, $w, $h, crc32($p) & 0x7F7F7F);"
                              "  imagerectangle($i, 0, 0, $w - 1, $h - 1, 0xFFFFFF);"
                              "  imagestring($i, 5, 12, 12, basename($p), 0xFFFFFF);"
                              "  imagejpeg($i, $p, 85); }"),
               QStringLiteral("--"), listFile});
    php.waitForFinished(120000);
    if (php.exitCode() != 0) {
        return QString::fromUtf8(php.readAll());
    }
    // A thumbnail made in the second its picture was put there is not kept.
    test::waitForNextSecond();
    return QString();
}

PublishedSite& published(const QString& version) {
    static QMap<QString, std::shared_ptr<PublishedSite>> sites;
    if (!sites.contains(version)) {
        auto p = std::make_shared<PublishedSite>();
        p->scratch = std::make_unique<QTemporaryDir>();
        const QString catalogue = mendedCatalogue(version, p->scratch->path());
        p->site = std::make_unique<SiteHarness>(QStringLiteral("navigateur_") + version);
        const Settings settings = publishingSettings(version);
        p->failed = p->site->build(settings, siteStats(), fullExportData, catalogue);
        if (p->failed.isEmpty()) {
            p->failed = writePictures(*p->site, settings, p->pictures);
        }
        sites.insert(version, p);
    }
    return *sites[version];
}

// The first picture of a card that opens the pop-up.
const QString kCardPicture = QStringLiteral(
    ".Fiche .Illus a[href^=\"_image.php\"], .FicheLarge .Illus a[href^=\"_image.php\"]");

using Case = std::tuple<const char*, const char*>;  // generation, collection

class CatalogueSiteInBrowser : public testing::TestWithParam<Case> {
  protected:
    static void SetUpTestSuite() {
        if (serversAnnounced() && WebDriver::installed()) {
            browser_ = std::make_unique<WebDriver>();
        }
    }
    static void TearDownTestSuite() { browser_.reset(); }

    void SetUp() override {
        KALVOR_REQUIRE_SERVERS();
        ASSERT_TRUE(WebDriver::installed()) << "chromium and chromium-driver are not installed";
        ASSERT_TRUE(browser_->ok()) << browser_->startError().toStdString();
        version_ = QString::fromLatin1(std::get<0>(GetParam()));
        coll_ = QString::fromLatin1(std::get<1>(GetParam()));
        p_ = &published(version_);
        ASSERT_TRUE(p_->failed.isEmpty()) << p_->failed.toStdString();
        ASSERT_GT(p_->pictures, 0);
        browser_->browserLog();  // what earlier tests left
    }

    const SiteHarness& site() const { return *p_->site; }

    // Opens a page and waits for it, its list frame and every picture.
    void open(const QString& page) {
        const SitePage served = site().get(page);
        ASSERT_TRUE(served.problem().isEmpty())
            << page.toStdString() << ": " << served.problem().toStdString();
        browser_->navigate(site().url() + u'/' + page);
        waitForPage();
    }

    void waitForPage() {
        ASSERT_TRUE(browser_->waitUntil(
            QStringLiteral("function ready(d) { return d.readyState == 'complete' &&"
                           "  Array.prototype.every.call(d.images, function (i) {"
                           "    return i.complete; }); }"
                           "return ready(document) && Array.prototype.every.call("
                           "  document.getElementsByTagName('iframe'), function (f) {"
                           "    return f.contentDocument && ready(f.contentDocument); });"),
            20000));
    }

    // What the page and its list frame show wrongly in the browser: pictures
    // that did not load, text read in the wrong character set, PHP messages.
    QJsonObject pageFaults() {
        return browser_
            ->execute(QStringLiteral(R"(
                function faults(d, where, r) {
                  Array.prototype.forEach.call(d.images, function (i) {
                    if (!i.naturalWidth) r.broken.push(where + ' ' + i.getAttribute('src'));
                  });
                  var text = d.body ? d.body.innerText : '';
                  var bad = text.search(/\uFFFD|\u00C3|\u00C2[\u00A0-\u00BF]/);
                  if (bad >= 0) r.text.push(where + ': ' + text.substr(Math.max(0, bad - 30), 60));
                  ['Warning', 'Notice', 'Deprecated', 'Fatal error', 'Parse error'].forEach(
                    function (w) { if (text.indexOf(w + ':') >= 0) r.php.push(where + ' ' + w); });
                }
                var r = {broken: [], text: [], php: []};
                faults(document, 'page', r);
                Array.prototype.forEach.call(document.getElementsByTagName('iframe'),
                  function (f) { faults(f.contentDocument, 'liste', r); });
                return r;)"))
            .toObject();
    }

    void expectCleanPage(const QString& name) {
        EXPECT_EQ(QJsonDocument(pageFaults()).toJson(QJsonDocument::Compact).toStdString(),
                  R"({"broken":[],"php":[],"text":[]})")
            << name.toStdString();
        // The browser's own request for the server's icon is not the site's.
        for (const QJsonValue& entry : browser_->browserLog()) {
            const QJsonObject e = entry.toObject();
            const QString message = e.value(QStringLiteral("message")).toString();
            if (e.value(QStringLiteral("level")).toString() == QStringLiteral("SEVERE") &&
                !message.startsWith(phpUrl() + QStringLiteral("/favicon.ico "))) {
                ADD_FAILURE() << name.toStdString() << ": " << message.toStdString();
            }
        }
    }

    void keepScreenshot(const QString& what) {
        QDir().mkpath(QStringLiteral(KALVOR_ARTEFACT_DIR));
        const QByteArray png = browser_->screenshot();
        EXPECT_TRUE(png.startsWith("\x89PNG"));
        test::writeAll(QStringLiteral(KALVOR_ARTEFACT_DIR "/catalogue-%1-%2-%3.png")
                           .arg(version_, coll_, what),
                       png);
    }

    // A series of the collection's list whose page has a card with a picture
    // that opens the pop-up: the link as the list frame writes it.
    QString seriesWithPicture() {
        const QString kind =
            coll_ == QStringLiteral("revue") ? QStringLiteral("revue") : QStringLiteral("series");
        const SitePage list =
            site().get(QStringLiteral("liste.php?coll=%1&liste=%2").arg(coll_, kind));
        EXPECT_TRUE(list.problem().isEmpty()) << list.problem().toStdString();
        static const QRegularExpression link(QStringLiteral(
            "href=\"((?:serie|revue)\\.php\\?coll=[a-z]+&amp;idserie=\\d+[^\"]*)\""));
        auto it = link.globalMatch(QString::fromLatin1(list.body));
        while (it.hasNext()) {
            const QString href = it.next().captured(1);
            const SitePage page =
                site().get(QString(href).replace(QStringLiteral("&amp;"), QStringLiteral("&")));
            const qsizetype cards = page.body.indexOf("class=\"Fiche");
            if (cards >= 0 &&
                page.body.indexOf("<span class=\"Illus\"><a href=\"_image.php", cards) > 0) {
                return href;
            }
        }
        return QString();
    }

    static inline std::unique_ptr<WebDriver> browser_;
    QString version_;
    QString coll_;
    PublishedSite* p_ = nullptr;
};

TEST_P(CatalogueSiteInBrowser, HomeSeriesPageAndPicturePopupShowCleanly) {
    // The home page, with its list frame.
    open(QStringLiteral("index.php?coll=") + coll_);
    EXPECT_TRUE(browser_->execute(QStringLiteral("return document.title;"))
                    .toString()
                    .startsWith(QStringLiteral("Orme Lo' & Kalvor - ")));
    keepScreenshot(QStringLiteral("accueil"));
    expectCleanPage(QStringLiteral("accueil"));

    // A series chosen in the list frame, as a visitor does.
    const QString href = seriesWithPicture();
    ASSERT_FALSE(href.isEmpty()) << "no series of the list shows a picture";
    const QString target = QString(href).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    browser_->switchToFrame(browser_->element(QStringLiteral("#iliste iframe")));
    browser_->click(browser_->element(QStringLiteral("a[href=\"%1\"]").arg(target)));
    browser_->switchToFrame(QJsonValue::Null);
    ASSERT_TRUE(browser_->waitUntil(
        QStringLiteral("return location.href.indexOf('%1') > 0;").arg(target), 10000))
        << target.toStdString();
    waitForPage();
    keepScreenshot(QStringLiteral("serie"));
    expectCleanPage(target);

    // The first picture of a card opens the pop-up, which a click closes.
    const QString home = browser_->windowHandle();
    const QJsonObject picture =
        browser_
            ->execute(
                QStringLiteral("var a = document.querySelector(arguments[0]);"
                               "var img = a.querySelector('img');"
                               "return {href: a.getAttribute('href'), w: img.naturalWidth, h: "
                               "img.naturalHeight};"),
                {kCardPicture})
            .toObject();
    // The card shows the thumbnail made on demand.
    EXPECT_EQ(picture.value("w"), 107) << QJsonDocument(picture).toJson().toStdString();
    EXPECT_EQ(picture.value("h"), 145);
    browser_->click(browser_->element(kCardPicture));
    QStringList handles;
    for (int tries = 0; tries < 50 && handles.size() < 2; ++tries) {
        QThread::msleep(100);
        handles = browser_->windowHandles();
    }
    ASSERT_EQ(handles.size(), 2) << picture.value("href").toString().toStdString();
    handles.removeAll(home);
    browser_->switchToWindow(handles.first());
    ASSERT_TRUE(browser_->waitUntil(
        QStringLiteral("return document.readyState == 'complete' && document.images.length == 1 &&"
                       " document.images[0].complete;")));
    EXPECT_EQ(browser_->title(), QStringLiteral("Gros Plan"));
    const QJsonObject shown =
        browser_
            ->execute(QStringLiteral("var i = document.images[0];"
                                     "return {w: i.naturalWidth, h: i.naturalHeight};"))
            .toObject();
    // The whole picture of its folder, not its thumbnail.
    const QString image =
        QUrl::fromPercentEncoding(picture.value("href").toString().section(u'=', 1).toLatin1());
    QJsonObject expected;
    for (const PictureFolder& kind : pictureFolders(publishingSettings(version_))) {
        if (image.startsWith(kind.folder + u'/')) {
            expected = {{"w", kind.width}, {"h", kind.height}};
        }
    }
    EXPECT_EQ(shown, expected) << image.toStdString();
    keepScreenshot(QStringLiteral("grosplan"));
    expectCleanPage(QStringLiteral("_image.php"));
    browser_->click(browser_->element(QStringLiteral("img")));
    for (int tries = 0; tries < 50 && browser_->windowHandles().size() > 1; ++tries) {
        QThread::msleep(100);
    }
    browser_->switchToWindow(home);
    EXPECT_EQ(browser_->windowHandles(), QStringList{home});
}

// Letters beyond Windows-1252 as a visitor sees them, and typed in the
// search form: the browser posts them from the ISO-8859-1 page in its own
// way, which the site's data must match.
TEST(LettersInBrowser, ShownAndFoundWhenTypedInTheSearchForm) {
    KALVOR_REQUIRE_SERVERS();
    ASSERT_TRUE(WebDriver::installed()) << "chromium and chromium-driver are not installed";
    QTemporaryDir scratch;
    const QString catalogue = mendedCatalogue(QStringLiteral("v6"), scratch.path());
    putLettersBeyondWindows1252(catalogue, true);
    SiteHarness site(QStringLiteral("navigateur_lettres"));
    Settings settings = siteSettings();
    settings.GV_Version_Base = QStringLiteral("v6");
    settings.format = Settings::FormatDonnees::Utf8;
    const QString failed = site.build(settings, siteStats(), fullExportData, catalogue);
    ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();

    WebDriver browser;
    ASSERT_TRUE(browser.ok()) << browser.startError().toStdString();
    const auto text = [&browser] {
        return browser.execute(QStringLiteral("return document.body.innerText;")).toString();
    };
    browser.navigate(site.url() + QStringLiteral("/serie.php?coll=albums&idserie=1"));
    const QString serie = text();
    for (const QString& shown : {letters::kSerie, letters::kTitre, letters::kComment,
                                 letters::kNom + QStringLiteral(", ") + letters::kPrenom}) {
        EXPECT_TRUE(serie.contains(shown)) << shown.toStdString() << "\n" << serie.toStdString();
    }

    browser.navigate(site.url() + QStringLiteral("/moteur.php?coll=albums"));
    browser.execute(QStringLiteral("var f = document.forms.question;"
                                   "f.elements.fnom.value = arguments[0];"
                                   "f.submit();"),
                    {QStringLiteral("Kovačević")});
    ASSERT_TRUE(browser.waitUntil(QStringLiteral(
        "return location.href.indexOf('search.php') > 0 && document.readyState == 'complete';")));
    const QString found = text();
    EXPECT_TRUE(found.contains(letters::kTitre)) << found.toStdString();
    EXPECT_TRUE(found.contains(letters::kSerie)) << found.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Catalogues, CatalogueSiteInBrowser,
                         testing::Combine(testing::Values("v6", "v5"),
                                          testing::Values("albums", "acheter", "dedicace", "parabd",
                                                          "revue")),
                         [](const testing::TestParamInfo<Case>& info) {
                             return std::string(std::get<0>(info.param)) + '_' +
                                    std::get<1>(info.param);
                         });

}  // namespace
