#pragma once

#include <QByteArray>
#include <QString>

namespace kalvor::sitebench {

// Visitors asking for a kept page, alone and beside `others` clients that
// ask for that page too (the floor: a junk value costs a kept page), that
// send each method a page does not answer, then that ask for the pages with
// a new junk value each time; the ratios of their p95 printed. The pages are
// kept first where `cache` names the cache folder.
void besideOtherRequests(int port, const QString& cache, const QByteArray& prefix,
                         const QByteArray& serie, const QByteArray& auteur, int clients,
                         int others);

}  // namespace kalvor::sitebench
