// Work tables and row changes, on a SQLite catalogue and in the memory copy
// of an Access catalogue.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "dao_fixture.h"
#include "platform/dao/dao_errors.h"
#include "platform/dao/db_engine.h"
#include "platform/long_work.h"

using namespace kalvor;
using namespace kalvor::dao;

namespace {

int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.Number();
    }
    return 0;
}

void createWorkTables(Database& db) {
    auto defs = db.TableDefs();
    TableDef files = db.CreateTableDef(QStringLiteral("TEMP_KALVOR_FILES"));
    files.Append(files.CreateField(QStringLiteral("key"), FieldType::Text, 2));
    files.Append(files.CreateField(QStringLiteral("type"), FieldType::Text, 20));
    files.Append(files.CreateField(QStringLiteral("file"), FieldType::Text, 150));
    files.Append(files.CreateField(QStringLiteral("creation"), FieldType::Date));
    files.Append(files.CreateField(QStringLiteral("ok"), FieldType::Boolean));
    defs.Append(files);
}

class WorkTables : public testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        path = GetParam() ? test::copyOf(test::accessCatalogue(QStringLiteral("v6")), dir)
                          : test::copyOf(test::sqliteCatalogue(QStringLiteral("v6")), dir);
    }
    QTemporaryDir dir;
    QString path;
};

TEST_P(WorkTables, CreateFillListAndDrop) {
    {
        auto db = DBEngine::OpenDatabase(path);
        EXPECT_EQ(db->IsAccessCopy(), GetParam());
        createWorkTables(*db);
        auto rs = db->OpenRecordset(QStringLiteral("TEMP_KALVOR_FILES"));
        EXPECT_EQ(rs->RecordCount(), 0);
        rs->AddNew();
        rs->SetField(QStringLiteral("Key"), QStringLiteral("EX"));
        rs->SetField(QStringLiteral("Type"), QStringLiteral("couvertures"));
        rs->SetField(QStringLiteral("file"), QStringLiteral("Couv_Album01.JPG"));
        rs->SetField(QStringLiteral("Creation"), QStringLiteral("25/12/2024 10:30:00"));
        rs->SetField(QStringLiteral("OK"), false);
        rs->Update();
        rs->AddNew();
        rs->SetField(QStringLiteral("file"), QString(151, u'x'));
        EXPECT_EQ(errorOf([&] { rs->Update(); }), errors::FieldTooSmall);
        rs->CancelUpdate();
        rs->AddNew();
        rs->SetField(QStringLiteral("creation"), QStringLiteral("pas une date"));
        EXPECT_EQ(errorOf([&] { rs->Update(); }), errors::ConversionError);
        rs->CancelUpdate();
        // A table in use cannot be dropped.
        EXPECT_EQ(errorOf([&] { db->Execute(QStringLiteral("DROP table TEMP_KALVOR_FILES")); }),
                  errors::TableLocked);
        rs->Close();
        db->Close();
    }
    // The work table outlives the database that made it.
    auto db = DBEngine::OpenDatabase(path);
    auto defs = db->TableDefs();
    bool seen = false;
    for (int i = 0; i < defs.Count(); ++i)
        seen = seen || defs[i].Name() == QLatin1String("TEMP_KALVOR_FILES");
    EXPECT_TRUE(seen);
    auto rs = db->OpenRecordset(QStringLiteral("select * from temp_kalvor_files order by 2, 3"));
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->Fields(QStringLiteral("creation")).toDateTime(),
              QDateTime(QDate(2024, 12, 25), QTime(10, 30)));
    EXPECT_EQ(rs->Fields(QStringLiteral("ok")).toInt(), 0);
    rs->Close();
    // Edit and Delete through the table.
    auto table = db->OpenRecordset(QStringLiteral("TEMP_KALVOR_FILES"));
    table->Edit();
    table->SetField(QStringLiteral("ok"), true);
    table->Update();
    EXPECT_EQ(table->Fields(QStringLiteral("ok")).toInt(), -1);
    table->Delete();
    table->MoveNext();
    EXPECT_TRUE(table->Eof());
    table->Close();
    EXPECT_EQ(db->OpenRecordset(QStringLiteral("TEMP_KALVOR_FILES"))->RecordCount(), 0);
    db->Execute(QStringLiteral("DROP table TEMP_KALVOR_FILES"));
    EXPECT_FALSE(db->TableDefs().Contains(QStringLiteral("TEMP_KALVOR_FILES")));
    EXPECT_EQ(errorOf([&] {
                  createWorkTables(*db);
                  createWorkTables(*db);
              }),
              errors::TableExists);
    db->TableDefs().Delete(QStringLiteral("temp_kalvor_files"));
}

TEST_P(WorkTables, CatalogueTablesChangeOnlyInSqliteFiles) {
    auto db = DBEngine::OpenDatabase(path);
    auto change = [&] {
        db->Execute(
            QStringLiteral("UPDATE ALBUMS SET ALBUMS.Couverture = UCase([couverture]) where "
                           "AACHETER=0"));
    };
    if (GetParam()) {
        EXPECT_EQ(errorOf(change), errors::ReadOnly);
        EXPECT_EQ(errorOf([&] { db->Execute(QStringLiteral("delete from ALBUMS")); }),
                  errors::ReadOnly);
        auto rs = db->OpenRecordset(QStringLiteral("SERIES"));
        EXPECT_EQ(errorOf([&] { rs->Edit(); }), errors::ReadOnly);
        return;
    }
    change();
    EXPECT_EQ(db->RecordsAffected(), 70);
    auto rs = db->OpenRecordset(QStringLiteral("select Couverture from ALBUMS where IdAlbum = 1"));
    EXPECT_EQ(rs->Fields(0).toString(), QStringLiteral("COUV_ALBUM01.JPG"));
    EXPECT_EQ(db->OpenRecordset(QStringLiteral("select Couverture from ALBUMS where IdAlbum = 71"))
                  ->Fields(0)
                  .toString(),
              QStringLiteral("couv_album71.jpg"));  // wish list left alone

    // Purchases at midnight and at 23:59 on the bound day.
    auto albums = db->OpenRecordset(QStringLiteral("ALBUMS"));
    albums->AddNew();
    albums->SetField(QStringLiteral("Titre"), QStringLiteral("Minuit"));
    albums->SetField(QStringLiteral("DateAchat"), QDateTime(QDate(2030, 5, 1), QTime(0, 0)));
    albums->SetField(QStringLiteral("AAcheter"), 0);
    albums->Update();
    albums->AddNew();
    albums->SetField(QStringLiteral("Titre"), QStringLiteral("Presque minuit"));
    albums->SetField(QStringLiteral("DateAchat"), QDateTime(QDate(2030, 5, 1), QTime(23, 59)));
    albums->SetField(QStringLiteral("AAcheter"), 0);
    albums->Update();
    EXPECT_EQ(albums->RecordCount(), 87);
    auto within =
        db->OpenRecordset(QStringLiteral("select IdAlbum, Titre from ALBUMS where DateAchat > "
                                         "#4/30/2030# and DateAchat <= #5/1/2030#"));
    ASSERT_EQ(within->RecordCount(), 1);
    EXPECT_EQ(within->Fields(1).toString(), QStringLiteral("Minuit"));
    EXPECT_EQ(within->Fields(0).toInt(), 90);  // the AutoNumber goes on after the highest id
    EXPECT_EQ(db->OpenRecordset(
                    QStringLiteral("select count(*) from ALBUMS where DateAchat > #5/1/2030#"))
                  ->Fields(0)
                  .toInt(),
              1);
}

// The catalogue application saves the file while the program runs: its new
// contents are read, and the work tables of the last check stay.
TEST(AccessCopy, WorkTablesOutliveANewReadOfTheFile) {
    QTemporaryDir dir;
    const QString path = test::copyOf(test::accessCatalogue(QStringLiteral("v6")), dir);
    {
        auto db = DBEngine::OpenDatabase(path);
        createWorkTables(*db);
        auto rs = db->OpenRecordset(QStringLiteral("TEMP_KALVOR_FILES"));
        rs->AddNew();
        rs->SetField(QStringLiteral("key"), QStringLiteral("EX"));
        rs->SetField(QStringLiteral("file"), QStringLiteral("Cœur d'été.jpg"));
        rs->SetField(QStringLiteral("creation"), QDateTime(QDate(2024, 12, 25), QTime(10, 30)));
        rs->SetField(QStringLiteral("ok"), true);
        rs->Update();
        rs->AddNew();
        rs->SetField(QStringLiteral("key"), QStringLiteral("MI"));
        rs->SetField(QStringLiteral("file"), QStringLiteral("absent.jpg"));
        rs->Update();
        rs->Close();
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                 QFileDevice::FileModificationTime));
    file.close();

    auto db = DBEngine::OpenDatabase(path);
    auto rs = db->OpenRecordset(
        QStringLiteral("select key, type, file, creation, ok from TEMP_KALVOR_FILES order by 1"));
    ASSERT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->Fields(2).toString(), QStringLiteral("Cœur d'été.jpg"));
    EXPECT_EQ(rs->Fields(3).toDateTime(), QDateTime(QDate(2024, 12, 25), QTime(10, 30)));
    EXPECT_EQ(rs->Fields(4).toInt(), -1);
    rs->MoveNext();
    EXPECT_EQ(rs->Fields(2).toString(), QStringLiteral("absent.jpg"));
    EXPECT_TRUE(rs->Fields(3).isNull());
    rs->Close();
    // Still a work table, changed and dropped as before; the catalogue's own
    // tables are still read-only.
    db->Execute(QStringLiteral("UPDATE TEMP_KALVOR_FILES SET ok = False"));
    EXPECT_EQ(db->RecordsAffected(), 2);
    EXPECT_EQ(errorOf([&] { db->Execute(QStringLiteral("delete from ALBUMS")); }),
              errors::ReadOnly);
    db->Execute(QStringLiteral("DROP table TEMP_KALVOR_FILES"));
    EXPECT_FALSE(db->TableDefs().Contains(QStringLiteral("TEMP_KALVOR_FILES")));
}

INSTANTIATE_TEST_SUITE_P(Forms, WorkTables, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& i) {
                             return i.param ? std::string("access_copy") : std::string("sqlite");
                         });

TEST(OpenDatabase, MissingAndForeignFiles) {
    QTemporaryDir dir;
    EXPECT_EQ(errorOf([&] { DBEngine::OpenDatabase(dir.filePath(QStringLiteral("none.mdb"))); }),
              errors::FileNotFound);
    QFile text(dir.filePath(QStringLiteral("notes.mdb")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("pas une base de données, seulement du texte");
    text.close();
    EXPECT_EQ(errorOf([&] { DBEngine::OpenDatabase(text.fileName()); }),
              errors::UnrecognizedFormat);
}

TEST(OpenDatabase, ClosedDatabaseRefusesWork) {
    auto db = DBEngine::OpenDatabase(test::sqliteCatalogue(QStringLiteral("v5")));
    auto rs = db->OpenRecordset(QStringLiteral("SERIES"));
    db->Close();
    EXPECT_EQ(errorOf([&] { db->OpenRecordset(QStringLiteral("SERIES")); }), errors::ObjectClosed);
    EXPECT_EQ(rs->RecordCount(), 12);  // rows already read stay readable
    EXPECT_EQ(errorOf([&] { rs->Edit(); }), errors::ObjectClosed);
}

}  // namespace

// A long statement of a piece of work leaves the window's timers running:
// it runs on the work's own thread, with the connection the window made.
TEST(LongWork, ALongStatementLeavesTheWindowsTimersRunning) {
    QTemporaryDir dir;
    auto db = DBEngine::CreateDatabase(dir.filePath(QStringLiteral("long.db")));
    db->ExecuteScript(
        QStringLiteral("CREATE TABLE n AS WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                       "FROM c WHERE i < 2500) SELECT i FROM c"));
    int ticks = 0;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start();
    LongWork work;
    qint64 took = 0;
    bool ended = false;
    ASSERT_TRUE(work.start(
        [&] {
            QElapsedTimer clock;
            clock.start();
            db->OpenRecordset(QStringLiteral("select count(*) from n a, n b where a.i + b.i > 0"));
            took = clock.elapsed();
        },
        [&] { ended = true; }));
    EXPECT_FALSE(work.start([] {}, [] {}));  // one piece at a time
    while (!ended) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    EXPECT_GT(took, 100) << "too short to tell";
    EXPECT_GT(ticks, 10);
    EXPECT_FALSE(work.running());
}
