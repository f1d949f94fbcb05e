#pragma once

#include <QString>

class QFileDevice;

namespace kalvor {

// Why a file operation failed, in French only, as the messages around it:
// "disque plein". Every message about a file that cannot be opened, written
// or renamed words its cause with these.
QString SystemReason(int errnum);

// For a Qt file: Qt keeps no errno, so the caller reads errno right after the
// call that failed; 0 falls back on the system failure that the file's
// errorString() names, else on its error().
QString FileReason(const QFileDevice& file, int errnum);

}  // namespace kalvor
