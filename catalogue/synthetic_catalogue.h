#pragma once

#include <QDate>
#include <QString>

#include "catalogue/catalogue_schema.h"

namespace kalvor::catalogue {

// What an invented catalogue holds besides its regular rows. The defaults give
// the benchmarks' catalogue; the rest brings in the rows that real catalogues
// hold and that the published site must still show.
struct SyntheticOptions {
    int albums = 0;
    // Owned albums without a writer, an artist or a colourist, each role left
    // Null on some albums and 0 on others, and albums without any author.
    bool absentAuthors = false;
    // Owned albums naming, in each role, an author id that has no row.
    bool danglingAuthors = false;
    // Owned albums without a purchase date, among them the only albums of one
    // author and of one series.
    bool undatedAlbums = false;
    // Author 1, the colourist of most albums: an author like the others, the
    // row that the catalogue application keeps for "no author", or no row.
    enum class AuthorOne { Regular, NoAuthor, Missing };
    AuthorOne authorOne = AuthorOne::Regular;
    // Wish-list albums that GrowSyntheticCatalogue adds, numbered on from
    // the wish list's highest id as the catalogue's counter numbers them: in
    // an older catalogue they share their ids with owned albums.
    int grownWishList = 0;
};

// A large invented catalogue for benchmarks: `albums` albums (a sixth of them
// on the wish list) with proportionate series, authors, collaborators,
// collectibles and magazines, in the given generation's tables and column
// orders, written as a new SQLite file. Returns the number of rows written.
long WriteSyntheticCatalogue(const QString& databasePath, Generation generation, int albums);
long WriteSyntheticCatalogue(const QString& databasePath, Generation generation,
                             const SyntheticOptions& options);

// What a catalogue written with `options` gains after an export made on
// `lastExport`, added to the file: a new artist, a new writer, two new series,
// and owned albums bought on the following days, naming
// - a new series and the new artist, no colourist (Null);
// - the new writer and a new series, which an album added without a purchase
//   date names too, colourist 1;
// - an artist id without a row, no colourist (0), and with `undatedAlbums`
//   the writer and the series known so far only from undated albums;
// - no writer (0), no artist (Null), the new artist as colourist;
// and `grownWishList` wish-list albums, every other one by the writer of the
// owned album of the same id (an older catalogue's link that repeats the
// collection's), the first with a collaborator and a collaborator row that
// repeats that owned album's artist.
// Returns the number of rows added.
long GrowSyntheticCatalogue(const QString& databasePath, Generation generation,
                            const SyntheticOptions& options, const QDate& lastExport);

}  // namespace kalvor::catalogue
