#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace kalvor::site {

inline const QString kScriptFiles = QStringLiteral("check_files");
inline const QString kScriptThumbs = QStringLiteral("check_thumbs");

// A listing the check goes on without: which one, and why it could not be read.
struct UnreadListing {
    QString script;  // "check_files" or "check_thumbs"
    QString rep;     // the image kind
    QString reason;
};

// What the steps of one site check tell each other.
struct SiteCheckState {
    bool GV_Site_OK = true;  // false once a listing script was not found
    int GV_Nb_Rep = 0;       // listings accepted
    int malformedLines = 0;  // listing lines that were not a file and its date
    QList<UnreadListing> unread;
    // The scripts read as a site published before the end mark sends them,
    // and the folders they listed empty (reason left empty).
    QStringList olderScripts;
    QList<UnreadListing> emptyFromOlder;
    // The scripts whose listings came with the mark alone, as from the
    // version before counts: a line left out on the way goes unseen.
    QStringList uncountedScripts;
    // The scripts that sent a listing with its end mark, and whether the
    // site's listing scripts are of this version, once asked.
    QStringList markedScripts;
    std::optional<bool> markedSite;
    // What the host puts after the replies of an earlier version's scripts,
    // learned from its folder settings.
    QString hostText;
};

}  // namespace kalvor::site
