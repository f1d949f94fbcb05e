#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "platform/textfile.h"

namespace kalvor::sitegen {

// The comment box that opens a generated site file.
enum class SiteBox {
    Php,         // "<?php" then a // box
    Html,        // an <!-- --> box, an empty line, then "<?php" (menu.php)
    StyleSheet,  // the text/css header lines, then a /* */ box (kalvor.php)
    None,        // the file's own text from its first line
};

struct SiteFileLayout {
    QString name;  // file name in the export folder, also the template's name
    SiteBox box;
    bool blankAfterBox;
    // Meant only to be included by the site's pages: fetched by itself it
    // answers nothing.
    bool includedOnly = false;
};

// Where the site goes and what the computed lines need.
struct SiteTarget {
    QString GV_Export;   // export folder
    QString GV_Require;  // web folder of require.php, empty or ending with "/"
};

// The box lines with the time stamp "dd/mm/yy hh:nn" of `when`.
QStringList commentBox(SiteBox box, const QString& banner, const QDateTime& when);

// The text of a site file as kept under sitegen/site/, with its markers
// replaced: {{GV_Require|sq}} and {{GV_Require|dq}} give GV_Require escaped
// for a single- or double-quoted PHP string, {{case_folds}} the lines of
// CaseFoldLines(). Throws when there is no such file.
QStringList templateLines(const QString& name, const SiteTarget& target);

// Writes one site file: opening and box (stamped with vb::Now()), blank line,
// then its template text. Complete on return, or not written at all.
void writeSiteFile(const SiteTarget& target, const SiteFileLayout& layout);

}  // namespace kalvor::sitegen
