// The Access reader: reads the catalogue named by its argument and hands its
// image back to the program that started it (ImportAccessFile), which reads
// it in this process of its own.
#include <QString>
#include <QStringList>
#include <exception>
#include <new>

#include "platform/dao/child_call.h"
#include "platform/dao/mdb_damage.h"
#include "platform/dao/mdb_reader.h"
#include "platform/error.h"

int main(int argc, char** argv) {
    using namespace kalvor::dao;
    return AnswerCaller(argc, argv, [](const QStringList& arguments, qint64 memory) {
        const QString path = arguments.value(0);
        try {
            return ReadAccessImage(path);
        } catch (const std::bad_alloc&) {
            mdb_damage::Refuse(path, QStringLiteral("sa lecture demande plus que les %1 Mo de "
                                                    "mémoire permis")
                                         .arg(memory >> 20));
        } catch (const kalvor::Error&) {
            throw;
        } catch (const std::exception& e) {
            mdb_damage::Refuse(
                path, QStringLiteral("sa lecture a échoué (%1)").arg(QString::fromUtf8(e.what())));
        }
    });
}
