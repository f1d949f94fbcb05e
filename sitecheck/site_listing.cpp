#include "sitecheck/site_listing.h"

#include "platform/dao/db_engine.h"
#include "platform/dao/jet_sql.h"
#include "platform/error.h"
#include "platform/inet.h"
#include "sitecheck/site_work_tables.h"
#include "sitecheck/work_batch.h"

namespace kalvor::site {
namespace {

constexpr int kNotFound = 404;
const QString kSeparator = QStringLiteral("@@@");
const QString kPlaceholder = QStringLiteral("ENCOURS.JPG");
// The last line of a whole listing.
const QByteArray kListingEnd = QByteArrayLiteral("#fin#\n");

// The site writes PHP's "d/m/Y H:i:s", whatever the locale of either side.
QDateTime siteTime(QStringView text) {
    if (text.size() != 19) {
        return {};
    }
    const QDate date = QDate::fromString(text.left(10), QStringLiteral("dd/MM/yyyy"));
    const QTime time = QTime::fromString(text.mid(11), QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid() || text[10] != u' ') {
        return {};
    }
    return QDateTime(date, time);
}

}  // namespace

QString Listing_Url(const QString& box_site, const QString& script, const QString& rep) {
    // An address typed with its closing "/" names the same folder.
    QString site = box_site;
    while (site.endsWith(u'/')) {
        site.chop(1);
    }
    return site + u'/' + script + QStringLiteral(".php?current_rep=") + rep;
}

Listing Parse_Listing(const QString& reply) {
    Listing listing;
    qsizetype from = 0;
    while (from < reply.size()) {
        qsizetype end = reply.indexOf(u'\n', from);
        if (end < 0) {
            end = reply.size();  // a last line without its line feed still counts
        }
        QStringView line = QStringView(reply).mid(from, end - from);
        from = end + 1;
        if (line == u"\r" || line.left(11).toString().toUpper() == kPlaceholder) {
            continue;
        }
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        // The date never holds the separator; a name may.
        const qsizetype at = line.lastIndexOf(kSeparator);
        const QDateTime creation =
            at > 0 ? siteTime(line.mid(at + kSeparator.size())) : QDateTime();
        if (!creation.isValid()) {
            ++listing.malformed;
            continue;
        }
        listing.files.append({line.left(at).toString(), creation});
    }
    return listing;
}

ListingOutcome Get_Fichiers_Site(Inet& inet, const QString& box_site, const QString& GV_Chemin_Base,
                                 const QString& script, const QString& table, const QString& rep,
                                 SiteCheckState& state) {
    // Busy with another caller's request: a failure of this one, not a
    // status to read.
    if (inet.StillExecuting()) {
        throw Error(err::HttpError, QStringLiteral("Une requête est déjà en cours."));
    }
    QString reply;
    try {
        reply = inet.OpenURL(Listing_Url(box_site, script, rep), kListingEnd,
                             Inet::Text::LinesInTheirOwnEncoding);
    } catch (const Error&) {
        if (inet.lastStatus() == kNotFound) {
            state.GV_Site_OK = false;
            state.unread.append({script, rep, QStringLiteral("fichier absent du site")});
            return ListingOutcome::NotListed;
        }
        throw;
    }
    if (reply == kInvalidFolder) {
        return ListingOutcome::NotListed;
    }
    const Listing listing = Parse_Listing(reply);
    if (inet.lastWasNotFoundPage(reply, !listing.files.isEmpty())) {
        state.GV_Site_OK = false;
        state.unread.append({script, rep, QStringLiteral("fichier absent du site")});
        return ListingOutcome::NotListed;
    }
    // An empty or cut script, a host's own page: not a list of the folder,
    // which would make every image of it missing.
    if (!inet.lastCameWhole()) {
        state.unread.append(
            {script, rep,
             reply.isEmpty()
                 ? QStringLiteral("réponse vide (fichier vide sur le site ?)")
                 : QStringLiteral("réponse sans sa marque de fin (coupée, page de l'hébergeur "
                                  "ou fichier d'une version antérieure)")});
        return ListingOutcome::Failed;
    }
    ++state.GV_Nb_Rep;
    state.malformedLines += listing.malformed;
    try {
        auto db = dao::DBEngine::OpenDatabase(GV_Chemin_Base);
        QList<QVariantList> rows;
        rows.reserve(listing.files.size());
        for (const ListedFile& f : listing.files) {
            if (f.file.size() > kFileNameSize) {
                ++state.malformedLines;  // no file system names a file so
                continue;
            }
            rows.append({kKeyListed, rep, f.file, f.creation, false});
        }
        const WorkBatch batch(*db);
        db->ExecuteBound(
            QStringLiteral("INSERT INTO ") + dao::jetsql::QuoteName(table) +
                QStringLiteral(" (key, type, file, creation, ok) VALUES (?, ?, ?, ?, ?)"),
            rows);
        return ListingOutcome::Read;
    } catch (const Error& e) {
        state.unread.append({script, rep, e.Description()});
        return ListingOutcome::Failed;
    }
}

}  // namespace kalvor::site
