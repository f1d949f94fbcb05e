#pragma once

#include <QList>
#include <QString>

namespace kalvor {

class Prompt;

// Module `site`: the comparison of the listed files with the names the
// catalogue references, and the judgement of the thumbnails.
namespace site {

// The collections the check compares (check boxes of the main window).
struct CompareOptions {
    bool albums = false;
    bool acheter = false;
    bool collaborateurs = false;
    bool parabd = false;
    bool revues = false;
};

// An image kind and the catalogue statement that gives the names of its
// images, one per row.
struct CatalogueReference {
    QString rep;
    QString sql;
};

// The statements to compare, in order, for the catalogue at GV_Chemin_Base:
// the older layout's tables (ALBUMS, ACHETER, EXLIBRIS) when it has them,
// else the newer layout's (ALBUMS with AAcheter 0 or 1, PARABD). Raises
// kalvor::Error when the catalogue cannot be read.
QList<CatalogueReference> Catalogue_References(const QString& GV_Chemin_Base,
                                               const CompareOptions& options);

// Marks `ok` every listed file of kind `rep` whose name a row of `sql` gives
// exactly (letter case included), and adds one "MI" row per referenced name
// that no listed file matches, in the order the statement first gives them;
// a name already added so is marked `ok` when referenced again. A name longer
// than the `file` column fails the comparison once the names before it are
// added. Reports its own failure; false then.
bool Compare_Fichiers(const QString& GV_Chemin_Base, const QString& rep, const QString& sql,
                      Prompt& prompt);

// Judges every listed thumbnail: its name must begin with `prefix`
// (case-sensitive) and the rest name a listed image of its kind (any letter
// case) that is not newer than it. A thumbnail without problem is deleted
// from the table; the others keep the problem's text. Reports its own
// failure; the thumbnails not yet judged then stay without a problem.
void Compare_Miniatures(const QString& GV_Chemin_Base, const QString& prefix, Prompt& prompt);

}  // namespace site
}  // namespace kalvor
