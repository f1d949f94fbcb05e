// Time of the recovery's reading and storing of the site's largest table:
// the albums of the 20,000-album catalogue, or of the catalogue given, sent
// as recovery.php sends them, read and stored into a new recovery base, the
// number of times given. No server: the fetch is not timed.
//   recovery_bench [catalogue.mdb] [--runs N]
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "platform/site_replies.h"
#include "recovery/recovery_base.h"
#include "recovery/recovery_database.h"
#include "recovery/table_import.h"

using namespace kalvor;

namespace {

// The album columns in the site's order.
const char* const kColumns[] = {
    "idAlbum",   "Num",        "Titre",     "IdSerie",     "IdDessinateur", "IdScenariste",
    "DateAchat", "Editeur",    "Format",    "Collection",  "CoteActuelle",  "Reference",
    "DL",        "Couverture", "NoteAlbum", "IdColoriste", "Broche",        "NbPages",
    "NumA",      "Exlibris",   "EdO",       "Integrale",   "Dedicace",      "Commentaire",
    "Perso1",    "Perso2",     "Perso3",    "Perso4",      "HorsSerie",     "EditionLimitee"};

QString siteText(const QVariant& v) {
    if (v.isNull()) {
        return QString();
    }
    if (v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate) {
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    }
    return v.toString();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString catalogue = QStringLiteral("/work/shared/fixtures/large/catalogue-20k-v6.mdb");
    int runs = 3;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--runs" && i + 1 < args.size()) {
            runs = args[++i].toInt();
        } else {
            catalogue = args[i];
        }
    }
    try {
        QString reply;
        qint64 rows = 0;
        {
            auto db = dao::DBEngine::OpenDatabase(catalogue);
            auto rs = db->OpenRecordset(QStringLiteral("select * from ALBUMS order by 1"));
            // The catalogue's column of each site field; -1 when it has none.
            QList<int> at;
            for (const char* c : kColumns) {
                int found = -1;
                for (int i = 0; i < rs->FieldCount(); ++i) {
                    if (rs->FieldName(i).compare(QLatin1String(c), Qt::CaseInsensitive) == 0) {
                        found = i;
                    }
                }
                at << found;
            }
            for (; !rs->Eof(); rs->MoveNext(), ++rows) {
                QStringList fields;
                for (int i = 0; i < at.size(); ++i) {
                    // The site sends ratings as its own text: none here.
                    fields << (i == 14 || at[i] < 0 ? QString() : siteText(rs->Fields(at[i])));
                    fields.last().remove(QStringLiteral("@@@"));
                    fields.last().remove(QStringLiteral("#end#"));
                }
                reply += fields.join(QStringLiteral("@@@")) + QStringLiteral("#end#");
            }
        }
        std::printf("%lld albums, reply of %lld characters\n", rows, qlonglong(reply.size()));
        {
            // What the fetch reads of every reply before it is stored.
            QElapsedTimer clock;
            clock.start();
            const bool message = replies::PhpMessage(reply).has_value();
            const double messages = clock.restart() / 1000.0;
            const bool earlier = replies::EarlierTableEnd(reply) > 0;
            std::printf(
                "read for PHP's messages in %.3f s, for the earlier form in %.3f s (%d %d)\n",
                messages, clock.elapsed() / 1000.0, int(message), int(earlier));
        }
        QTemporaryDir dir;
        for (int run = 0; run < runs; ++run) {
            recovery::RecoveryState state;
            const QString base = dir.path() + QStringLiteral("/recovery%1.db").arg(run);
            recovery::CreateRecoveryDatabase(QStringLiteral(KALVOR_RECOVERY_LAYOUT), base);
            QElapsedTimer clock;
            clock.start();
            recovery::Store_MYSQL_Table(state, recovery::RecoveryBase(base),
                                        QStringLiteral("albums"), 29, reply);
            if (!state.Continue_Recovery) {
                std::fprintf(stderr, "%s\n", qPrintable(state.Continue_Error));
                return 1;
            }
            std::printf("run %d: stored in %.2f s\n", run + 1, clock.elapsed() / 1000.0);
        }
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Description()));
        return 1;
    }
    return 0;
}
