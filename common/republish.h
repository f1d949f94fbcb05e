#pragma once

#include <QString>

namespace kalvor {

// The cure for PHP files of the site that are of an earlier version or
// broken: the generation tab publishes them again, without any catalogue.
inline const QString kRepublish = QStringLiteral(
    "Les fichiers PHP du site peuvent être publiés à nouveau sans catalogue, par « Génération "
    "des fichiers PHP ».");
// The same, asked of the user.
inline const QString kRepublishRequest = QStringLiteral(
    "Publiez à nouveau les fichiers PHP du site, par « Génération des fichiers PHP » (sans "
    "catalogue).");

}  // namespace kalvor
