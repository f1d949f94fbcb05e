#pragma once

#include <QList>

#include "sitegen/site_file.h"

namespace kalvor::sitegen {

// The fixed files of the site, in the order they are written; recovery.php is
// always last.
const QList<SiteFileLayout>& siteFiles();

// PHP.Create_Pages: writes every file of siteFiles() into the export folder.
// The first failure ends the run; the files already written stay complete.
void Create_Pages(const SiteTarget& target);

// The lines of the .htaccess that keeps require.php from the web on Apache:
// a require.php of an earlier publication, opened with "<?", is sent as its
// text, MySQL password included, where short tags are off.
QStringList requireGuardLines();

// Writes that .htaccess into `folder`: the lines of an .htaccess already
// there stay, the guard of an earlier run is replaced. One that cannot be
// read is refused, never replaced. Complete on return, or not written at all.
void Create_Require_Guard(const QString& folder);

// The same in two steps, so that a run reads the owner's lines before it
// writes anything: they are read (or refused), then written with the guard.
QList<QByteArray> Read_Require_Guard(const QString& folder);
void Create_Require_Guard(const QString& folder, const QList<QByteArray>& kept);

}  // namespace kalvor::sitegen
