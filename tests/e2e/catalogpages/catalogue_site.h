#pragma once

#include <QByteArray>
#include <QString>

#include "e2e/site/site_harness.h"

// Sites built from the fixture catalogues through the full data export.
namespace kalvor::e2e {

// A SQLite copy of tests/fixtures/catalogue/catalogue-<generation>.sql under
// `folder`, with the three rows that stop an export mended as the fixtures'
// README says.
QString mendedCatalogue(const QString& generation, const QString& folder);

// Data step of the harness: the schema and the full export of the catalogue
// of the inputs, in the version and encoding their settings name.
QList<SqlScript> fullExportData(const SiteInputs& inputs);

// Another site on the database and the files of `base`, with its own
// require.php; returns its folder's address.
QString variantSite(const SiteHarness& base, const QString& name, Settings settings);

// The cards, headings and rules of a page, in order: "H" a heading, "L" a
// wide card, "F" a narrow one, "-" a rule.
QString cardFlow(const QByteArray& body);

}  // namespace kalvor::e2e
