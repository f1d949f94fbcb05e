// The child of the CallInChild tests: its argument says how it ends.
#include <QByteArray>
#include <QStringList>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "platform/dao/child_call.h"
#include "platform/error.h"

int main(int argc, char** argv) {
    return kalvor::dao::AnswerCaller(argc, argv, [](const QStringList& arguments, qint64) {
        const QString what = arguments.value(0);
        if (what == u"fail") {
            std::fputs("mdb: complaint\n", stderr);
            throw kalvor::Error(3000, QStringLiteral("Échec « voulu »"));
        }
        if (what == u"crash") {
            std::raise(SIGSEGV);
        } else if (what == u"hang") {
            std::this_thread::sleep_for(std::chrono::hours(1));
        } else if (what == u"greedy") {
            return QByteArray(qsizetype(1) << 32, 'x');
        }
        return QByteArray(5 << 20, 'k');
    });
}
