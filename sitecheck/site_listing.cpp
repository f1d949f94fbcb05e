#include "sitecheck/site_listing.h"

#include <algorithm>
#include <optional>

#include "common/republish.h"
#include "platform/dao/db_engine.h"
#include "platform/dao/jet_sql.h"
#include "platform/error.h"
#include "platform/inet.h"
#include "sitecheck/site_work_tables.h"
#include "sitecheck/work_batch.h"

namespace kalvor::site {
namespace {

constexpr int kNotFound = 404;
const QString kPlaceholder = QStringLiteral("ENCOURS.JPG");

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

// Whether a listing script answers as the site's own does: check_files.php
// the lines of its folder settings, check_thumbs.php its invalid-folder
// text, after any message of PHP.
bool scriptAnswers(Inet& inet, const QString& box_site, const QString& script) {
    QString reply;
    try {
        reply = inet.OpenURL(Listing_Url(box_site, script, QStringLiteral("kalvorhelper")));
    } catch (const Error&) {
        return false;
    }
    if (script != kScriptFiles) {
        return replies::EndsWithInvalidFolder(reply);
    }
    static const char* const settings[] = {
        "PATH_couvertures",  "PATH_planches",  "PATH_versos",  "PATH_photos",
        "PATH_dedicaces",    "PATH_parabd",    "PATH_revues",  "PATH_images",
        "THUMB_couvertures", "THUMB_planches", "THUMB_versos", "THUMB_photos",
        "THUMB_dedicaces",   "THUMB_parabd",   "THUMB_revues"};
    const QStringList lines =
        reply.mid(std::max<qsizetype>(0, reply.indexOf(QLatin1String("PATH_couvertures : "))))
            .split(u'\n');
    qsizetype i = 0;
    for (const char* name : settings) {
        if (!lines.value(i++).startsWith(QLatin1String(name) + QStringLiteral(" : "))) {
            return false;
        }
    }
    return true;
}

// Whether `script` is of this version, which always ends a listing with its
// mark: it sent one so during this check, or this version's check_files.php,
// published with check_thumbs.php, ends its folder settings with it. Asked
// once a check.
bool markedScript(Inet& inet, const QString& box_site, const QString& script,
                  SiteCheckState& state) {
    if (state.markedScripts.contains(script)) {
        return true;
    }
    if (!state.markedSite) {
        try {
            inet.OpenURL(Listing_Url(box_site, kScriptFiles, QStringLiteral("kalvorhelper")),
                         replies::kListingEnd);
            state.markedSite = inet.lastCameWhole();
        } catch (const Error&) {
            state.markedSite = false;
        }
    }
    return *state.markedSite;
}

const QString kNotWhole =
    QStringLiteral("réponse sans sa marque de fin (coupée ou page de l'hébergeur)");
const QString kEmptyReply = QStringLiteral("réponse vide (fichier vide sur le site ?)");

// A listing without the end mark or its header, as a site published before
// the mark sends it: read only in its own form, every line a name, "@@@"
// and a date, and ended by its line feed (white space or a host's banner may
// follow the last).
// An empty one is believed only once the script answered as the site's own:
// an emptied file sends nothing too. The cause when it is refused.
std::optional<QString> readOlder(Inet& inet, const QString& box_site, const QString& script,
                                 const QString& reply, Listing& listing) {
    const qsizetype end = replies::EarlierListingEnd(reply);
    if (end == 0) {
        if (scriptAnswers(inet, box_site, script)) {
            listing = Listing();
            return std::nullopt;
        }
        return reply.isEmpty() ? kEmptyReply : kNotWhole;
    }
    if (end < 0) {
        return kNotWhole;
    }
    listing = Parse_Listing(reply.left(end));
    return listing.malformed > 0 ? std::optional<QString>(kNotWhole) : std::nullopt;
}

}  // namespace

QString Listing_Url(const QString& box_site, const QString& script, const QString& rep) {
    return SiteFileUrl(box_site, script + QStringLiteral(".php?current_rep=") + rep);
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
        const qsizetype at = line.lastIndexOf(replies::kFieldSeparator);
        const QDateTime creation =
            at > 0 ? siteTime(line.mid(at + replies::kFieldSeparator.size())) : QDateTime();
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
        reply = inet.OpenURL(Listing_Url(box_site, script, rep), replies::kListingEnd,
                             Inet::Text::LinesInTheirOwnEncoding);
    } catch (const Error&) {
        if (inet.lastStatus() == kNotFound) {
            state.GV_Site_OK = false;
            state.unread.append({script, rep, QStringLiteral("fichier absent du site")});
            return ListingOutcome::NotListed;
        }
        throw;
    }
    // This version's refusal goes without the mark.
    if (!inet.lastCameWhole() && replies::IsInvalidFolder(reply)) {
        return ListingOutcome::NotListed;
    }
    Listing listing = Parse_Listing(reply);
    if (inet.lastWasNotFoundPage(reply, !listing.files.isEmpty())) {
        state.GV_Site_OK = false;
        state.unread.append({script, rep, QStringLiteral("fichier absent du site")});
        return ListingOutcome::NotListed;
    }
    // A message of PHP amid the lines would make files of the folder
    // missing: the listing is refused, the message named.
    if (const std::optional<QString> message = replies::PhpMessage(reply)) {
        state.unread.append({script, rep, QStringLiteral("message de PHP (« %1 »)").arg(*message)});
        return ListingOutcome::Failed;
    }
    // An empty or cut script, a host's own page: not a list of the folder,
    // which would make every image of it missing. This version's scripts
    // always end a listing with the mark, headers or not.
    if (inet.lastCameWhole()) {
        if (!state.markedScripts.contains(script)) {
            state.markedScripts.append(script);
        }
    } else if (markedScript(inet, box_site, script, state)) {
        state.unread.append(
            {script, rep, QStringView(reply).trimmed().isEmpty() ? kEmptyReply : kNotWhole});
        return ListingOutcome::Failed;
    } else {
        if (const std::optional<QString> refused =
                readOlder(inet, box_site, script, reply, listing)) {
            state.unread.append({script, rep, *refused});
            return ListingOutcome::Failed;
        }
        if (!state.olderScripts.contains(script)) {
            state.olderScripts.append(script);
        }
        if (replies::EarlierListingEnd(reply) == 0) {
            state.emptyFromOlder.append({script, rep, QString()});
        }
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

QString Older_Listings_Text(const SiteCheckState& state) {
    QStringList files;
    for (const QString& script : state.olderScripts) {
        files << script + QStringLiteral(".php");
    }
    QString text = QStringLiteral("Les listes de ") + files.join(QStringLiteral(" et de ")) +
                   QStringLiteral(
                       " viennent de fichiers d'une version antérieure, sans marque de fin : une "
                       "liste coupée entre deux lignes ne s'y distingue pas d'une liste entière.");
    if (!state.emptyFromOlder.isEmpty()) {
        text += QStringLiteral(
            "\nCes répertoires ont été listés vides, ce qu'une erreur du site peut aussi "
            "donner :");
        for (const UnreadListing& listing : state.emptyFromOlder) {
            text += (listing.script == kScriptThumbs ? QStringLiteral("\n- miniatures « ")
                                                     : QStringLiteral("\n- images « ")) +
                    listing.rep + QStringLiteral(" » (") + listing.script + QStringLiteral(".php)");
        }
    }
    return text + u'\n' + kRepublish;
}

}  // namespace kalvor::site
