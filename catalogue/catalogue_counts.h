#pragma once

#include <QString>
#include <optional>

#include "catalogue/catalogue_schema.h"

namespace kalvor::catalogue {

// Row counts of the catalogue's tables ALBUMS and SERIES, as the status bar
// shows them ("v6": ALBUMS counts the wish list too), and the generation its
// tables show. Opens the catalogue and closes it before returning; raises
// kalvor::Error when it cannot be read.
struct Counts {
    long albums = 0;
    long series = 0;
    std::optional<Generation> generation;
};
Counts ReadCounts(const QString& GV_Chemin_Base);
// The same for a file that must be a catalogue: raises kalvor::Error when its
// tables are those of neither generation.
Counts ReadCatalogueCounts(const QString& GV_Chemin_Base);

// "<n> albums" and "<n> series": the status bar's panels 2 and 3.
QString AlbumsPanelText(const Counts& counts);
QString SeriesPanelText(const Counts& counts);

}  // namespace kalvor::catalogue
