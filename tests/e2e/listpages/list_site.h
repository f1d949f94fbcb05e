#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

#include "e2e/site/site_harness.h"

// A site published from a fixture catalogue through the full data export,
// served with ONLY_FULL_GROUP_BY on, and what its list frame and selection
// pages show.
namespace kalvor::e2e::listpages {

struct Published {
    const char* catalogue;  // file under tests/fixtures/catalogue
    const char* version;    // "v6" or "v5"
    bool utf8;
    bool withUpdate;  // an update script loaded after the full one
};

// The album that the update script adds, bought on no known date.
inline constexpr const char* kUpdatedTitle = "Sans date (mise à jour)";

// Builds the site; an empty text when it all went well.
QString publish(SiteHarness& site, const Published& how);

// Tables a test changes on the site it shares with others, put back as they
// were when it ends.
class KeptTables {
  public:
    KeptTables(const QString& database, const QStringList& tables);
    ~KeptTables();
    KeptTables(const KeptTables&) = delete;
    KeptTables& operator=(const KeptTables&) = delete;

  private:
    QString database_;
    QStringList tables_;
};

// One link of the list frame.
struct ListLink {
    QString href;  // as a URL: "&amp;" read as "&"
    QString page;  // the page's name without ".php"
    int count;     // the count shown with it, -1 when none
    QString text;
};
QList<ListLink> listLinks(const QByteArray& body);

// The number of the count line of a selection page; -1 without a count line,
// -2 when the line shows no number.
int totalCount(const QByteArray& body);

}  // namespace kalvor::e2e::listpages
