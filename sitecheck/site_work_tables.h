#pragma once

#include <QList>
#include <QString>

#include "sitecheck/site_check_state.h"

namespace kalvor {

class Prompt;

// Module `site`: the work tables that the site file check keeps in the
// catalogue between its steps.
namespace site {

inline const QString kTableFiles = QStringLiteral("TEMP_KALVOR_FILES");
inline const QString kTableThumbs = QStringLiteral("TEMP_KALVOR_THUMBS");

// Row kinds of the `key` column.
inline const QString kKeyListed = QStringLiteral("EX");
inline const QString kKeyMissing = QStringLiteral("MI");

// Room for any name: the catalogue's image columns and the site's file
// systems both allow 255 characters.
constexpr int kFileNameSize = 255;
// Room for the text of a thumbnail's problem.
constexpr int kProblemSize = 255;

// Removes both work tables from the catalogue when they are there. A
// catalogue held by another user is reported; any other failure is silent.
// False after a failure, whose description goes to `cause` when given.
bool Drop_Tables_Temp(const QString& GV_Chemin_Base, Prompt& prompt, QString* cause = nullptr);

// Creates both work tables, empty: key, type, file, creation, ok, and for the
// thumbnails probleme. Reports a catalogue held by another user as the drop
// does; false after any failure (what was created stays), described in
// `cause` when given.
bool Create_Tables_Temp(const QString& GV_Chemin_Base, Prompt& prompt, QString* cause = nullptr);

// Removes what the work tables hold of folders whose listing did not come
// whole, so that none of it is compared or judged: the listed files of a kind
// whose image listing failed, and every thumbnail of a kind whose image or
// thumbnail listing failed. Raises kalvor::Error.
void Forget_Unread_Listings(const QString& GV_Chemin_Base, const QList<UnreadListing>& unread);

}  // namespace site
}  // namespace kalvor
