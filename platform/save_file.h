#pragma once

#include <QString>

class QSaveFile;

namespace kalvor {

// The steps of a file written whole or not at all through a QSaveFile. Each
// returns "" when done, else why not, in French; on failure the caller drops
// the QSaveFile, which removes its temporary file and leaves the target as it
// was.

// Opens for writing. Qt refuses a read-only target without saying why: the
// system is asked.
QString OpenSaveFile(QSaveFile& file);

// Writes out what is still buffered and syncs it to disk. commit() renames
// the file even when its last buffered bytes could not be written (Qt 6.4):
// this runs first.
QString FlushSaveFile(QSaveFile& file);

// Renames the temporary file over the target.
QString CommitSaveFile(QSaveFile& file);

// Whether `name` is one of the temporary names under which a file named
// `target` is written: the target's name, a point and six random letters
// and digits, what a killed run leaves. A name a person would give (all
// lower-case letters: "backup") is never taken for one.
bool IsSaveTemporary(const QString& target, const QString& name);

}  // namespace kalvor
