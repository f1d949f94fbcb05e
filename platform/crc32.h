#pragma once

#include <QByteArrayView>
#include <cstdint>

namespace kalvor {

// The CRC-32 of zlib and of PHP's "crc32b", by which the site's scripts
// vouch for the bytes of a reply: as cheap for the host as for the program.
std::uint32_t Crc32(QByteArrayView bytes);

}  // namespace kalvor
