#pragma once

#include <QString>

namespace kalvor {

// The two codes that both data exports compute for the site: the rating text
// of an album and the object-type code of a collectible (an item of list 0 of
// the site table model_item).
namespace site_codes {

// One "¤" for every two points and one "l" for an odd point: "7" gives "¤¤¤l".
// The text is read as a number (decimal point or comma, a half rounded to the
// even neighbour); Error 13 when it is not one, 6 beyond 32 bits. A negative
// rating gives the empty text rather than stopping the export.
QString GetNote(const QString& wValue);

// wCategorie 999 marks a collectible of the older catalogue, whose single
// type 0-5 maps onto the codes the upgrade script also moves them to;
// otherwise wType is the family (1-4) and wCategorie the item within it.
// Anything unknown is 1000, "Divers".
int GetTypeObjet(int wType, int wCategorie);

}  // namespace site_codes
}  // namespace kalvor
