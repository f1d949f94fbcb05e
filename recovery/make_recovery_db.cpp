// Build step: writes the empty recovery database shipped beside the program.
#include <QCoreApplication>
#include <cstdio>

#include "platform/error.h"
#include "recovery/recovery_database.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: make_recovery_db <older layout script> <recovery.db>\n");
        return 2;
    }
    try {
        kalvor::recovery::CreateRecoveryDatabase(args.at(1), args.at(2));
    } catch (const kalvor::Error& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Description()));
        return 1;
    }
    return 0;
}
