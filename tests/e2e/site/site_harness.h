#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>

#include "sitegen/require_php.h"

// The generated site, served for real: require.php from a set of settings,
// the SQL scripts loaded into the private MariaDB, the site files written so
// far, the site images; then pages fetched from PHP 8 and judged.
namespace kalvor::e2e {

// What every page test sends in every parameter.
const QStringList& hostileValues();

struct SitePage {
    int status = 0;
    QByteArray body;
    QByteArray contentType;
    bool endMarked = false;  // the header that announces an end mark came
    QByteArray headers;      // as they came, from getOnce and postOnce only
    // Empty when the page is good: status 200 and no PHP message in the body.
    QString problem() const;
    // True when a value that HTML would read as markup stands in the body as
    // it was sent.
    bool echoesRaw(const QString& value) const;
};

// One SQL script of the site, in the order the scripts load.
struct SqlScript {
    QString name;
    QByteArray bytes;
};

// What the data step gets: the catalogue to publish (empty for the built-in
// sample), the settings, and the folder the export writes into.
struct SiteInputs {
    QString catalogue;
    Settings settings;
    QString exportFolder;
};

// Makes the schema and data scripts of the site. The full export plugs in
// here; until then the hand-written sample below stands in for it.
using SiteData = std::function<QList<SqlScript>(const SiteInputs&)>;

// The schema of the site's schema writer and a few rows with accented texts
// written by hand.
QList<SqlScript> sampleData(const SiteInputs&);

// The schema and the full data export of the catalogue, as the program
// publishes them.
QList<SqlScript> publishedData(const SiteInputs& inputs);

// Settings of a site with every option on, pointed at the private servers;
// image folders relative to the site folder.
Settings siteSettings();
QList<StatsEntry> siteStats();

class SiteHarness {
  public:
    // A fresh folder under `root` (the PHP server's root) and a fresh database.
    SiteHarness(const QString& hint, const QString& root, const QString& rootUrl);
    // Under e2e::phpRoot() / e2e::phpUrl().
    explicit SiteHarness(const QString& hint);

    // Writes and loads everything; an empty text when it all went well, else
    // what failed. `strict` makes require.php report every PHP message, where
    // the generated one leaves out notices and deprecations.
    QString build(const Settings& settings, const QList<StatsEntry>& stats = siteStats(),
                  const SiteData& data = sampleData, const QString& catalogue = QString(),
                  bool strict = true);

    // A test page that frames itself with Entete and Pied and prints the
    // request's collection and list kind and the sample's series titles.
    void writeFramePage(const QString& name = QStringLiteral("cadre.php")) const;

    SitePage get(const QString& pageAndQuery) const;
    // The same, sent once only on one connection (HTTP/1.0): for requests
    // whose effects on the server a test counts or that must not overlap.
    SitePage getOnce(const QString& pageAndQuery, const QString& from = QString()) const;
    // A form, already encoded, posted once. Each sent from the loopback
    // address `from`, when given, is another client's for the site.
    SitePage postOnce(const QString& pageAndQuery, const QByteArray& form,
                      const QString& from = QStringLiteral("127.0.0.1")) const;
    // The page with every parameter named set to `value`, URL-encoded.
    SitePage getWith(const QString& page, const QStringList& parameters,
                     const QString& value) const;
    // The page with a form posted to it, as a browser sends it from an
    // ISO-8859-1 page: each field's value in Windows-1252, URL-encoded.
    SitePage post(const QString& pageAndQuery,
                  const QList<std::pair<QString, QString>>& fields) const;

    const QString& folder() const { return folder_; }
    const QString& url() const { return url_; }
    const QString& database() const { return database_; }

  private:
    SitePage once(const QByteArray& method, const QString& pageAndQuery, const QByteArray& form,
                  const QString& from) const;

    QString folder_;
    QString url_;
    QString database_;
};

// A form's fields as a browser posts them from an ISO-8859-1 page: each value
// in Windows-1252, a character it lacks as "&#269;", URL-encoded.
QByteArray browserForm(const QList<std::pair<QString, QString>>& fields);
// The page at `url` with a form posted to it as browserForm sends it.
SitePage postForm(const QString& url, const QList<std::pair<QString, QString>>& fields);

// The site-images folder of the source tree.
QString siteImagesFolder();

}  // namespace kalvor::e2e
