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

}  // namespace kalvor::sitegen
