#pragma once

#include <QString>

namespace kalvor {

class Prompt;
class Settings;

// The file renamer: the name of one file, or of every file of a folder, in
// lower case, in upper case, or with a text replaced by another.
namespace renamer {

enum class Conversion { None, Minuscule, Majuscule, Caractere };
enum class Selection { None, Fichier, Repertoire };

// What the renamer view holds when its button is pressed.
struct Request {
    Conversion conversion = Conversion::None;
    Selection selection = Selection::None;
    QString from;    // box_caract_from
    QString to;      // box_caract_to
    QString folder;  // the folder of Dir1
    QString file;    // the name selected in File1, "" when none
};

// Paths that must keep their names: the open catalogue, the program folder,
// the current folder. A folder that is or holds one of them is not renamed,
// and the catalogue file itself keeps its name.
struct Kept {
    QString catalogue;
    QString programFolder;
    QString currentFolder;
};

// The new name of `name` (a name, not a path). Upper and lower case follow
// Unicode; the replacement is case-sensitive, left to right, without overlap.
QString NewName(const QString& name, const Request& request);

// The renaming itself, once asked. Every file name is listed before the first
// rename, so no file is renamed twice; a new name that another file has
// already is a failure, and both files stay as they are. Raises kalvor::Error
// at the first failure, the renames before it staying done. Returns the
// folder's path afterwards (in upper-case folder mode the folder is renamed
// too).
QString Convertir(const Request& request, const Kept& kept);

// The button: checks, question, renaming. Returns the folder that the lists
// show afterwards, or "" when they are not to be refreshed (a refused check
// or a failure, which is also traced, logged and shown).
QString btn_convertir_Click(const Request& request, Settings& settings, Prompt& prompt);

}  // namespace renamer
}  // namespace kalvor
