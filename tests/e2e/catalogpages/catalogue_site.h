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

// Letters beyond Windows-1252 that putLettersBeyondWindows1252 puts into a
// fixture catalogue: author 4 writes album 1 of series 1; collectible 1
// belongs to that series.
namespace letters {
inline const QString kNom = QStringLiteral("Kovačević");
inline const QString kPrenom = QStringLiteral("Dražen");
inline const QString kSerie = QStringLiteral("Łódź nocą");
inline const QString kTitre = QStringLiteral("Rosiński → 😀");
inline const QString kComment = QStringLiteral("Né à Łódź → Kraków 😀 <é> œ € ‰ Ærø");
inline const QString kSerieComment = QStringLiteral("Grzegorz Rosiński, č ń Ł → 😀");
inline const QString kObjet = QStringLiteral("Ex-libris č ń Ł → 😀");
inline const QString kCouverture = QStringLiteral("Łódź nocą 01.jpg");
}  // namespace letters
void putLettersBeyondWindows1252(const QString& catalogue, bool v6);

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
