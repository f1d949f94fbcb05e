#pragma once

#include <QString>

namespace kalvor::catalogue {

// Row counts of the catalogue's tables ALBUMS and SERIES, as the status bar
// shows them ("v6": ALBUMS counts the wish list too). Opens the catalogue and
// closes it before returning; raises kalvor::Error when it cannot be read.
struct Counts {
    long albums = 0;
    long series = 0;
};
Counts ReadCounts(const QString& GV_Chemin_Base);

// "<n> albums" and "<n> series": the status bar's panels 2 and 3.
QString AlbumsPanelText(const Counts& counts);
QString SeriesPanelText(const Counts& counts);

}  // namespace kalvor::catalogue
