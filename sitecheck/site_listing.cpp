#include "sitecheck/site_listing.h"

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
    return script == kScriptFiles ? replies::AfterFolderSettings(reply).has_value()
                                  : replies::EndsWithInvalidFolder(reply);
}

// Whether the site's listing scripts are of this version, which always ends
// a listing with its mark: a script sent one so during this check, or
// check_files.php ends its folder settings with it. Only an answer decides:
// the settings whole, with the whole mark line or nothing of it. A probe
// that failed on the way, was refused by a server (5xx) or came cut, in its
// mark too, proves nothing; it is asked once more, then again for the next
// listing. The text the host put after an earlier version's settings is
// kept, to be told from a line cut short.
std::optional<bool> markedScript(Inet& inet, const QString& box_site, const QString& script,
                                 SiteCheckState& state, QString& undecided) {
    if (state.markedScripts.contains(script)) {
        return true;
    }
    for (int tries = 0; !state.markedSite && tries < 2; ++tries) {
        try {
            const QString reply =
                inet.OpenURL(Listing_Url(box_site, kScriptFiles, QStringLiteral("kalvorhelper")),
                             replies::ListingEnd(kScriptFiles, QStringLiteral("kalvorhelper")));
            if (inet.lastCameWhole()) {
                state.markedSite = true;
            } else if (const std::optional<QString> after = replies::AfterFolderSettings(reply);
                       after && replies::MayBeCutMark(*after)) {
                undecided =
                    QStringLiteral("marque de fin coupée ou altérée (« %1 »)").arg(after->left(20));
            } else if (after) {
                state.markedSite = false;
                state.hostText = *after;
            } else {
                undecided = QStringLiteral("réponse tronquée ou étrangère");
            }
        } catch (const Error& e) {
            undecided = e.Description();
        }
    }
    return state.markedSite;
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
                                 const QString& reply, const QString& hostText, Listing& listing) {
    const qsizetype end = replies::EarlierListingEnd(reply, hostText);
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

Listing Parse_Listing(const QString& reply, bool escaped) {
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
        // A name's own CR comes escaped.
        if (line.endsWith(u'\r') && !escaped) {
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
        const QString name = line.left(at).toString();
        listing.files.append({escaped ? replies::Unescaped(name) : name, creation});
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
        reply = inet.OpenURL(Listing_Url(box_site, script, rep), replies::ListingEnd(script, rep),
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
    const bool proved = inet.lastCameProved();
    Listing listing = Parse_Listing(reply, proved);
    if (!proved && inet.lastWasNotFoundPage(reply, !listing.files.isEmpty())) {
        state.GV_Site_OK = false;
        state.unread.append({script, rep, QStringLiteral("fichier absent du site")});
        return ListingOutcome::NotListed;
    }
    // A message of PHP amid the lines would make files of the folder
    // missing: the listing is refused, the message named. A proved reply
    // holds the script's lines alone.
    if (const std::optional<QString> message = proved ? std::nullopt : replies::PhpMessage(reply)) {
        state.unread.append({script, rep, QStringLiteral("message de PHP (« %1 »)").arg(*message)});
        return ListingOutcome::Failed;
    }
    // An empty or cut script, a host's own page: not a list of the folder,
    // which would make every image of it missing. This version's scripts
    // always end a listing with the mark, headers or not.
    QString undecided;
    if (inet.lastCameWhole()) {
        if (!state.markedScripts.contains(script)) {
            state.markedScripts.append(script);
        }
        if (!inet.lastCameCounted() && !state.uncountedScripts.contains(script)) {
            state.uncountedScripts.append(script);
        }
    } else if (const std::optional<bool> marked =
                   markedScript(inet, box_site, script, state, undecided);
               !marked) {
        state.unread.append(
            {script, rep,
             QStringView(reply).trimmed().isEmpty()
                 ? kEmptyReply
                 : QStringLiteral("réponse sans sa marque de fin, et la version des fichiers du "
                                  "site n'a pas pu être vérifiée (") +
                       kScriptFiles + QStringLiteral(".php?current_rep=kalvorhelper : ") +
                       undecided + u')'});
        return ListingOutcome::Failed;
    } else if (*marked) {
        state.unread.append(
            {script, rep, QStringView(reply).trimmed().isEmpty() ? kEmptyReply : kNotWhole});
        return ListingOutcome::Failed;
    } else {
        if (const std::optional<QString> refused =
                readOlder(inet, box_site, script, reply, state.hostText, listing)) {
            state.unread.append({script, rep, *refused});
            return ListingOutcome::Failed;
        }
        if (!state.olderScripts.contains(script)) {
            state.olderScripts.append(script);
        }
        if (replies::EarlierListingEnd(reply, state.hostText) == 0) {
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
    const auto files = [](const QStringList& scripts) {
        QStringList names;
        for (const QString& script : scripts) {
            names << script + QStringLiteral(".php");
        }
        return QStringLiteral("Les listes de ") + names.join(QStringLiteral(" et de ")) +
               QStringLiteral(" viennent de fichiers d'une version antérieure, ");
    };
    QStringList said;
    if (!state.olderScripts.isEmpty()) {
        said << files(state.olderScripts) +
                    QStringLiteral(
                        "sans marque de fin : une liste coupée entre deux lignes ne s'y "
                        "distingue pas d'une liste entière.");
    }
    if (!state.uncountedScripts.isEmpty()) {
        said << files(state.uncountedScripts) +
                    QStringLiteral(
                        "dont la marque de fin ne compte pas les lignes : une ligne "
                        "perdue en route ne s'y voit pas.");
    }
    QString text = said.join(u'\n');
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
