#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include "platform/site_replies.h"
#include "sitecheck/site_check_state.h"

namespace kalvor {

class Inet;

// Module `site`: the listings of the site's image and thumbnail folders,
// fetched from check_files.php and check_thumbs.php.
namespace site {

using replies::kInvalidFolder;

struct ListedFile {
    QString file;
    QDateTime creation;
};

struct Listing {
    QList<ListedFile> files;
    int malformed = 0;  // lines skipped because they were not "name@@@date"
};

// The address of a listing: `box_site` (without its closing "/"), "/", script,
// ".php?current_rep=", rep.
QString Listing_Url(const QString& box_site, const QString& script, const QString& rep);

// Reads a listing reply: one "name@@@dd/mm/yyyy hh:mm:ss" line per file, the
// name running to the last "@@@", `escaped` as this version's scripts send
// it. The site's placeholder (any name beginning with "Encours.jpg") and lone
// carriage returns are passed over; any other line that is not a name, "@@@"
// and a date is counted in `malformed` and the reading goes on.
Listing Parse_Listing(const QString& reply, bool escaped = false);

enum class ListingOutcome {
    Read,       // stored to its end
    Failed,     // not whole, or storing stopped on an error
    NotListed,  // the script was not found, or the folder is not valid
};

// Fetches one listing and stores a row ("EX", rep, file, date, false) in
// `table` per listed file. A script that is not found (status 404, or a
// not-found page) lowers GV_Site_OK; a listing read whole (it ends with its
// end mark, or is of the form the scripts of a site published before the
// mark give, which are then named in the state) counts in GV_Nb_Rep; a
// listing not found, not whole or that cannot be stored is added to
// `unread`, the rows it may have stored left to the caller. A request that
// fails otherwise raises kalvor::Error.
ListingOutcome Get_Fichiers_Site(Inet& inet, const QString& box_site, const QString& GV_Chemin_Base,
                                 const QString& script, const QString& table, const QString& rep,
                                 SiteCheckState& state);

// The message that names the scripts read as a site published before the
// end mark sends them, or before the count after it, and the folders they
// listed empty.
QString Older_Listings_Text(const SiteCheckState& state);

}  // namespace site
}  // namespace kalvor
