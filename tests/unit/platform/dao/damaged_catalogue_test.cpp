// Damaged and cut copies of the fixture catalogues: each is read whole or
// refused with a French message naming the file; none takes the process down,
// and libmdb's own complaints stay off the standard error.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sqlite3.h>

#include <QTemporaryDir>
#include <QTemporaryFile>
#include <csignal>
#include <future>
#include <random>
#include <thread>

#include "dao_fixture.h"
#include "platform/dao/child_call.h"
#include "platform/dao/dao_errors.h"
#include "platform/dao/db_engine.h"
#include "platform/dao/mdb_damage.h"
#include "platform/dao/mdb_import.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::dao;

namespace {

constexpr int kPage = 4096;

// What opening the file gave: an empty text when it opened, else the refusal.
QString openingOf(const QString& path) {
    try {
        auto db = DBEngine::OpenDatabase(path);
        auto tables = db->TableDefs();
        for (int i = 0; i < tables.Count(); ++i)
            db->OpenRecordset(tables[i].Name())->RecordCount();
        return QString();
    } catch (const Error& e) {
        return e.Description().isEmpty() ? QStringLiteral("?") : e.Description();
    }
}

// Captures what this process writes on its standard error meanwhile.
class StderrCapture {
  public:
    StderrCapture() {
        file_.open();
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        dup2(file_.handle(), STDERR_FILENO);
    }
    ~StderrCapture() { restore(); }
    QByteArray text() {
        restore();
        file_.seek(0);
        return file_.readAll();
    }

  private:
    void restore() {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }
    QTemporaryFile file_;
    int saved_ = -1;
};

QString changed(const QTemporaryDir& dir, const QString& name, const QString& generation,
                const std::function<void(QByteArray&)>& change) {
    QByteArray bytes = test::readAll(test::accessCatalogue(generation));
    change(bytes);
    const QString path = dir.filePath(name);
    test::writeAll(path, bytes);
    return path;
}

}  // namespace

TEST(DamagedCatalogue, KnownDamagesAreRefusedNamingTheFile) {
    QTemporaryDir dir;
    const QString v6 = QStringLiteral("v6");
    struct Case {
        QString path;
        const char* reason;
    };
    const QList<Case> cases = {
        // An index count of four thousand million in ALBUMS' definition.
        {changed(dir, "index-count.mdb", v6, [](QByteArray& b) { b[0x2c032] = char(0xc5); }),
         "la définition de la table ALBUMS est incohérente"},
        // A usage map pointer that sends libmdb's row reader astray.
        {changed(dir, "usage-map.mdb", v6, [](QByteArray& b) { b[0x18037] = char(0x9c); }),
         "sa lecture s'est arrêtée brutalement (signal 11)"},
        // A row offset out of its page: two albums silently lost.
        {changed(dir, "row-offset.mdb", v6, [](QByteArray& b) { b[0x3a020] = char(0xce); }),
         "la table ALBUMS compte 85 lignes, 83 ont pu être lues (mdbtools : warning: Invalid page "
         "buffer detected in mdb_crack_row.)"},
        // A memo piece's row offset past its page: libmdb reads the comment as ''.
        {changed(dir, "memo-offset.mdb", v6, [](QByteArray& b) { b[163855] ^= char(0xff); }),
         "le mémo Commentaire de la table AUTEURS (IdAuteur 13) compte 26200 octets, 12216 ont "
         "pu être lus"},
        // Whole pages cut off the end: the magazines' data page is gone.
        {changed(dir, "cut-at-page.mdb", v6, [](QByteArray& b) { b.truncate(307200); }),
         "la table REVUES compte 20 lignes, 0 ont pu être lues"},
        {changed(dir, "cut-in-page.mdb", v6, [](QByteArray& b) { b.truncate(307300); }),
         "sa taille (307300 octets) n'est pas un multiple de ses pages de 4096 octets"},
    };
    StderrCapture stderrCapture;
    for (const Case& c : cases) {
        try {
            DBEngine::OpenDatabase(c.path);
            ADD_FAILURE() << "opened " << c.path.toStdString();
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), errors::UnrecognizedFormat);
            EXPECT_EQ(e.Description(),
                      QStringLiteral("La base Access « %1 » est endommagée ou incomplète : %2.")
                          .arg(c.path, QString::fromUtf8(c.reason)));
        }
    }
    EXPECT_EQ(stderrCapture.text(), QByteArray());

    // An empty file is no database, whatever its name says.
    const QString empty = changed(dir, "empty.mdb", v6, [](QByteArray& b) { b.clear(); });
    EXPECT_EQ(openingOf(empty),
              QStringLiteral("Le fichier « %1 » est vide : ce n'est pas une base de données.")
                  .arg(empty));
}

// Two damaged memos of one row are each named with their own counts.
TEST(DamagedCatalogue, EachDamagedMemoOfARowIsNamedWithItsOwnCounts) {
    EXPECT_EQ(mdb_damage::Memos(QStringLiteral("REVUES"), QStringLiteral("idRevue 4"),
                                {{QStringLiteral("Commentaire"), 26200, 12216},
                                 {QStringLiteral("Notes"), 900, 0}}),
              QStringLiteral("le mémo Commentaire de la table REVUES (idRevue 4) compte 26200 "
                             "octets, 12216 ont pu être lus ; le mémo Notes compte 900 octets, 0 "
                             "ont pu être lus"));
}

// A bounded run of the fuzzer: byte changes aimed mostly at the pages that
// describe the tables (definitions, usage maps, data page headers), and cuts.
// KALVOR_FUZZ_SEED and KALVOR_FUZZ_RUNS make a longer run by hand.
TEST(DamagedCatalogue, SeededMutationsAndCutsNeverCrash) {
    QTemporaryDir dir;
    bool given = false;
    const int seed = qEnvironmentVariableIntValue("KALVOR_FUZZ_SEED", &given);
    std::mt19937 random(given ? seed : 1);
    const int mutations = std::max(24, qEnvironmentVariableIntValue("KALVOR_FUZZ_RUNS"));
    auto below = [&random](qsizetype n) { return qsizetype(random() % quint64(n)); };
    int opened = 0;
    int refused = 0;
    for (const QString& generation : {QStringLiteral("v6"), QStringLiteral("v5")}) {
        const QByteArray sound = test::readAll(test::accessCatalogue(generation));
        QList<qsizetype> described;
        for (qsizetype page = 1; page < sound.size() / kPage; ++page)
            if (sound[page * kPage] == 1 || sound[page * kPage] == 2 || sound[page * kPage] == 5)
                described << page;
        for (int i = 0; i < mutations; ++i) {
            // Of eight files: two cut inside a page, one at a page's end, one
            // changed anywhere, four changed where the tables are described.
            const int kind = i % 8;
            QByteArray bytes = sound;
            if (kind < 2) {
                bytes.truncate(1 + below(bytes.size() - 1));
            } else if (kind == 2) {
                bytes.truncate(kPage * (2 + below(bytes.size() / kPage - 2)));
            } else {
                for (int k = 1 + below(3); k > 0; --k) {
                    const qsizetype at =
                        kind == 3 ? below(bytes.size())
                                  : described[below(described.size())] * kPage + below(0x300);
                    bytes[at] = char(random());
                }
            }
            const QString path = dir.filePath(QStringLiteral("%1-%2.mdb").arg(generation).arg(i));
            test::writeAll(path, bytes);
            const QString refusal = openingOf(path);
            if (refusal.isEmpty()) {
                ++opened;
                EXPECT_TRUE(kind >= 2) << "cut in a page, yet read: " << path.toStdString();
            } else {
                ++refused;
                EXPECT_TRUE(refusal.contains(QStringLiteral("« %1 »").arg(path)))
                    << refusal.toStdString();
            }
        }
    }
    EXPECT_GT(opened, 0);
    EXPECT_GT(refused, 0);
}

TEST(ChildCall, EveryEndOfTheChildIsReported) {
    using std::chrono::milliseconds;
    const auto call = [](const char* what, milliseconds limit = milliseconds(60000),
                         qint64 memory = 0) {
        return CallInChild(QStringLiteral(KALVOR_TEST_CHILD), {QString::fromLatin1(what)}, limit,
                           memory);
    };
    ChildOutcome done = call("big");
    EXPECT_EQ(done.end, ChildOutcome::End::Done);
    EXPECT_EQ(done.result, QByteArray(5 << 20, 'k'));

    ChildOutcome failed = call("fail");
    EXPECT_EQ(failed.end, ChildOutcome::End::Failed);
    EXPECT_EQ(failed.errorNumber, 3000);
    EXPECT_EQ(failed.description, QStringLiteral("Échec « voulu »"));
    EXPECT_EQ(failed.diagnostics, QByteArray("mdb: complaint\n"));

    ChildOutcome crashed = call("crash");
    EXPECT_EQ(crashed.end, ChildOutcome::End::Crashed);
    EXPECT_EQ(crashed.signal, SIGSEGV);

    ChildOutcome hung = call("hang", milliseconds(200));
    EXPECT_EQ(hung.end, ChildOutcome::End::TimedOut);

    // A runaway allocation fails in the child instead of eating the machine.
    ChildOutcome greedy = call("greedy", milliseconds(60000), qint64(64) << 20);
    EXPECT_EQ(greedy.end, ChildOutcome::End::Failed);
    EXPECT_EQ(greedy.description, QStringLiteral("mémoire insuffisante"));

    EXPECT_THROW(CallInChild(QStringLiteral("/nonexistent/reader"), {}, milliseconds(1000), 0),
                 Error);
}

// Another thread holds SQLite's memory lock while an Access file is read: a
// copy of this process, made by fork, would wait for it for ever.
TEST(ChildCall, ALockHeldByAnotherThreadDoesNotHoldTheReader) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    std::promise<void> held;
    std::thread holder([&] {
        sqlite3_mutex* memory = sqlite3_mutex_alloc(SQLITE_MUTEX_STATIC_MEM);
        sqlite3_mutex_enter(memory);
        held.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        sqlite3_mutex_leave(memory);
    });
    held.get_future().wait();
    QStringList tables;
    EXPECT_NO_THROW(tables = ImportAccessFile(test::accessCatalogue(QStringLiteral("v6")), db));
    holder.join();
    EXPECT_TRUE(tables.contains(QStringLiteral("ALBUMS")));
    sqlite3_close(db);
}
