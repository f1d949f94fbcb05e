#include "recovery/recovery_driver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/inet.h"
#include "platform/long_work.h"
#include "platform/prompt.h"
#include "platform/system_reason.h"
#include "recovery/recovery_database.h"
#include "recovery/work_copy.h"
#include "support/file_size_limit.h"
#include "support/test_paths.h"
#include "support/work_end.h"
#include "unit/recovery/fake_site.h"

namespace kalvor::recovery {
namespace {

using test::FakeSite;

const QString kKept = QStringLiteral("\nLa base Recovery garde la récupération précédente.");

// The dialog as the driver sees it; each message notes the status line
// shown with it.
class FakeDialog : public RecoveryView, public RecordingPrompt {
  public:
    void SetStatus(const QString& text) override {
        status = text;
        statuses << text;
    }
    QString ChooseDatabase() override {
        ++chooserCalls;
        labelsWhenChoosing = labels;
        return chosen;
    }
    void Labels_Show(bool shown) override { labels = shown; }
    void ShowCounts(const RecoveryCounts& c) override {
        counts = c;
        shownAlbums << c.albums;
    }
    void message(const QString& text, const QString& title, PromptIcon icon) override {
        statusAtMessage << status;
        RecordingPrompt::message(text, title, icon);
    }

    QString chosen;
    QString status;
    QStringList statuses, statusAtMessage;
    bool labels = true, labelsWhenChoosing = true;
    int chooserCalls = 0;
    RecoveryCounts counts;
    QList<qint64> shownAlbums;
};

// The file system, its syncs and renames noted in order; the folders in
// `readOnly` take no writes.
class RecordingDisk : public WorkCopyDisk {
  public:
    int Writable(const QString& path) const override {
        return readOnly.contains(path) ? EROFS : WorkCopyDisk::Writable(path);
    }
    int Sync(const QString& path) const override {
        noted(QStringLiteral("sync ") + path);
        return WorkCopyDisk::Sync(path);
    }
    int Rename(const QString& from, const QString& to) const override {
        noted(QStringLiteral("rename ") + from + QStringLiteral(" to ") + to);
        return WorkCopyDisk::Rename(from, to);
    }

    QStringList readOnly;
    mutable QStringList calls;
    std::function<void(const QString&)> onCall;  // before the call is made

  private:
    void noted(const QString& call) const {
        calls << call;
        if (onCall) {
            onCall(call);
        }
    }
};

QByteArray rows(std::initializer_list<QStringList> list) {
    QByteArray reply;
    for (const QStringList& fields : list) {
        reply += FakeSite::row(fields);
    }
    return reply;
}

QStringList album(const char* id, const char* writer, const char* artist, const char* colour) {
    return {id,     "1", "Titre", "1", artist, writer, "",  "", "0", "", "", "", "", "",  "",
            colour, "0", "",      "",  "",     "0",    "0", "", "",  "", "", "", "", "0", "0"};
}

class Recovery : public testing::Test {
  protected:
    void SetUp() override {
        ui.chosen = dir.path() + QStringLiteral("/recovery.db");
        CreateRecoveryDatabase(test::sourceDir() + QStringLiteral("/recovery/older_layout.sql"),
                               ui.chosen);
        site.setReply(QStringLiteral("series"), rows({{"1", "Série", "", "", "", "", "0"},
                                                      {"2", "Autre", "", "", "", "", "1"}}));
        site.setReply(QStringLiteral("auteurs"),
                      rows({{"5", "Nom", "", "", "", "", "", "", "", "1", "1", "0", ""}}));
        // Album 10: writer 5, artist 5, colourist 6; wish-list album 20:
        // writer 7, artist 8, colourist 9.
        site.setReply(QStringLiteral("collaborateurs"), rows({{"10", "5", "0"},
                                                              {"10", "5", "1"},
                                                              {"10", "6", "2"},
                                                              {"10", "6", "1"},
                                                              {"10", "5", "2"},
                                                              {"20", "8", "1"},
                                                              {"20", "7", "2"},
                                                              {"99", "5", "0"}}));
        site.setReply(QStringLiteral("albums"), rows({album("10", "5", "5", "6")}));
        site.setReply(QStringLiteral("acheter"), rows({album("20", "7", "8", "9")}));
        site.setReply(QStringLiteral("parabd"),
                      rows({{"30", "10", "1", "Ex", "5", "",     "",  "", "", "", "",
                             "",   "0",  "0", "0",  "0", "1009", "1", "", "", "", ""}}));
        site.setReply(QStringLiteral("revues"),
                      rows({{"40", "1", "1", "", "", "", "", "", "", "",      "",
                             "",   "",  "",  "", "", "", "", "", "", "Spirou"}}));
    }

    void run(const QString& address = QString(),
             const QString& password = QStringLiteral("secret")) {
        runOn(driver, address.isNull() ? site.url() : address, password);
    }
    // As the dialog runs it: what is asked on this thread, the imports on
    // the work's, this thread answering for the site meanwhile.
    static void runOn(RecoveryDriver& d, const QString& address,
                      const QString& password = QStringLiteral("secret")) {
        if (d.Prepare(address, password)) {
            LongWork work;
            ASSERT_TRUE(work.start(
                [&d] {
                    Inet inet(5000);
                    d.Run(inet);
                },
                {}));
            test::waitForWork(work);
        }
    }
    QList<QStringList> collaborators() const {
        auto db = dao::DBEngine::OpenDatabase(ui.chosen);
        auto rs = db->OpenRecordset(
            QStringLiteral("select IdAlbum, IdAuteur, TypeCollaboration from collaborateurs "
                           "order by IdAlbum, IdAuteur, TypeCollaboration"));
        QList<QStringList> out;
        for (; !rs->Eof(); rs->MoveNext()) {
            out << QStringList{rs->Fields(0).toString(), rs->Fields(1).toString(),
                               rs->Fields(2).toString()};
        }
        return out;
    }
    qint64 count(const QString& table) const {
        auto db = dao::DBEngine::OpenDatabase(ui.chosen);
        return db->OpenRecordset(QStringLiteral("select * from ") + table)->RecordCount();
    }

    QTemporaryDir dir;
    FakeSite site;
    FakeDialog ui;
    RecordingDisk disk;
    RecoveryDriver driver{ui, ui, disk};
};

TEST_F(Recovery, ARunImportsEveryTableRemovesRepeatedAuthorsAndShowsTheCounts) {
    run();
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Récupération réussie")});
    EXPECT_EQ(ui.shown().at(0).icon, PromptIcon::Information);
    EXPECT_EQ(
        ui.statuses,
        (QStringList{"Sélection de la base Recovery ...", "Vérification de la base Recovery ...",
                     "Importation des séries ...", "Importation des auteurs ...",
                     "Importation des collaborateurs ...", "Importation des albums ...",
                     "Importation des albums à acheter ...", "Importation des parabd ...",
                     "Importation des revues ...", "traitement des collaborateurs ...",
                     "Comptage des enregistrements ...", ""}));
    EXPECT_TRUE(ui.labels);
    EXPECT_FALSE(ui.busy());

    // The same author in another role stays, and so do albums of neither table.
    EXPECT_EQ(collaborators(),
              (QList<QStringList>{
                  {"10", "5", "2"}, {"10", "6", "1"}, {"20", "7", "2"}, {"99", "5", "0"}}));
    EXPECT_EQ(ui.counts.series, 2);
    EXPECT_EQ(ui.counts.auteurs, 1);
    EXPECT_EQ(ui.counts.albums, 1);
    EXPECT_EQ(ui.counts.acheter, 1);
    EXPECT_EQ(ui.counts.exlibris, 1);
    EXPECT_EQ(ui.counts.revues, 1);
    EXPECT_EQ(ui.counts.collaborateurs, 4);

    // On disk before it takes the base's name, then the folder: a power cut
    // leaves one base or the other.
    const QString base = QFileInfo(ui.chosen).canonicalFilePath();
    const QString copy = base + QStringLiteral(".recuperation");
    EXPECT_EQ(disk.calls,
              (QStringList{QStringLiteral("sync ") + copy,
                           QStringLiteral("rename ") + copy + QStringLiteral(" to ") + base,
                           QStringLiteral("sync ") + QFileInfo(base).absolutePath()}));
}

// A large table keeps the window answering and shows its rows as they come;
// a second run counts from nothing, not from the first run's figures.
TEST_F(Recovery, ALargeTableCountsThisRunsRowsAsTheyCome) {
    QByteArray many;
    for (int i = 1; i <= 4000; ++i) {
        many += FakeSite::row(album(QByteArray::number(i).constData(), "5", "5", "6"));
    }
    site.setReply(QStringLiteral("albums"), many);
    run();
    const QList<qint64>& seen = ui.shownAlbums;
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](qint64 n) { return n > 0 && n < 4000; }));
    EXPECT_EQ(ui.counts.albums, 4000);

    ui.shownAlbums.clear();
    QFile::remove(ui.chosen);
    CreateRecoveryDatabase(test::sourceDir() + QStringLiteral("/recovery/older_layout.sql"),
                           ui.chosen);
    run();
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.first(), 0);
}

TEST_F(Recovery, ASiteOfAnEarlierVersionNamesItsEmptyTablesAndIsRefusedWhenAllAre) {
    const QString republish = QStringLiteral(
        "\nLes fichiers PHP du site peuvent être publiés à nouveau sans catalogue, par "
        "« Génération des fichiers PHP ».");
    const QString checkedNext =
        republish + QStringLiteral(" Une récupération faite ensuite est vérifiée jusqu'à sa fin.");
    // Again, the base emptied.
    const auto rerun = [&] {
        ui.clear();
        ui.queueAnswers({true});
        run();
    };
    site.setAddressOnly(true);
    site.setWithoutMark(true);
    site.setReply(QStringLiteral("parabd"), QByteArray());
    site.setReply(QStringLiteral("revues"), QByteArray());
    run();
    EXPECT_EQ(ui.texts(),
              QStringList{QStringLiteral("Récupération réussie\nLe fichier recovery.php du site "
                                         "est d'une version antérieure, sans marque de fin : une "
                                         "table coupée entre deux lignes par une erreur du site "
                                         "ne s'y distingue pas d'une table entière.\nCes tables "
                                         "sont revenues vides, ce qu'une erreur du site peut "
                                         "aussi donner : parabd, revues.") +
                          checkedNext});
    EXPECT_EQ(count(QStringLiteral("albums")), 1);

    for (const char* table : {"series", "auteurs", "collaborateurs", "albums", "acheter"}) {
        site.setReply(QString::fromLatin1(table), QByteArray());
    }
    rerun();
    EXPECT_EQ(ui.texts().value(1),
              QStringLiteral("Aucune table n'a été récupérée : le fichier recovery.php du site, "
                             "d'une version antérieure, les a toutes renvoyées vides, ce qu'une "
                             "erreur du site peut aussi donner.") +
                  republish + kKept);
    EXPECT_EQ(count(QStringLiteral("albums")), 1);

    // The version before counts: a row left out on the way cannot be seen,
    // and is said so.
    site.setAddressOnly(false);
    site.setWithoutMark(false);
    site.setUncounted(true);
    site.setReply(QStringLiteral("series"), rows({{"1", "Série", "", "", "", "", "0"}}));
    rerun();
    EXPECT_EQ(ui.texts().value(1),
              QStringLiteral("Récupération réussie\nLe fichier recovery.php du site est d'une "
                             "version antérieure, dont la marque de fin ne compte pas les lignes "
                             ": une ligne perdue en route ne s'y voit pas.") +
                  checkedNext);
    EXPECT_EQ(count(QStringLiteral("series")), 1);
}

TEST_F(Recovery, NoSiteOrNoFileStopsBeforeAnythingIsTouched) {
    run(QStringLiteral(""));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Veuillez renseigner le nom du site")});
    EXPECT_EQ(ui.shown().at(0).icon, PromptIcon::Critical);
    EXPECT_EQ(ui.chooserCalls, 0);
    EXPECT_TRUE(ui.labels);

    ui.clear();
    ui.chosen.clear();
    run();
    EXPECT_EQ(ui.texts(), QStringList());
    // The result lines were hidden before the file was asked for.
    EXPECT_FALSE(ui.labelsWhenChoosing);
    EXPECT_EQ(ui.status, QStringLiteral("Sélection de la base Recovery ..."));
    EXPECT_TRUE(site.requests().isEmpty());
}

TEST_F(Recovery, ANonEmptyBaseIsEmptiedOnYesAndLeftAloneOnNo) {
    {
        auto db = dao::DBEngine::OpenDatabase(ui.chosen);
        db->Execute(QStringLiteral("insert into revues (idRevue, NomRevue) values (7, 'Vieille')"));
    }
    run();
    EXPECT_EQ(
        ui.texts(),
        QStringList{QStringLiteral("la base Recovery n'est pas vide - Voulez-vous la vider ?")});
    EXPECT_TRUE(ui.shown().at(0).question);
    EXPECT_EQ(ui.status, QStringLiteral("Vérification de la base Recovery ..."));
    EXPECT_EQ(count(QStringLiteral("revues")), 1);
    EXPECT_TRUE(site.requests().isEmpty());

    ui.clear();
    ui.queueAnswers({true});
    run();
    EXPECT_EQ(ui.texts().last(), QStringLiteral("Récupération réussie"));
    EXPECT_EQ(count(QStringLiteral("revues")), 1);
    EXPECT_EQ(count(QStringLiteral("revues where idRevue = 7")), 0);
    EXPECT_EQ(driver.state().Continue_Error, QStringLiteral("non vide"));
}

TEST_F(Recovery, ABaseThatCannotServeIsRefusedWithTheReason) {
    const struct {
        QString file;
        QString reason;
    } cases[] = {
        {test::fixturePath(QStringLiteral("catalogue/catalogue-v5.mdb")),
         QStringLiteral("base Access")},
        {dir.path() + QStringLiteral("/absente.db"), QString()},
        {test::fixturePath(QStringLiteral("catalogue/README.md")), QString()},
    };
    for (const auto& c : cases) {
        ui.clear();
        ui.chosen = c.file;
        run();
        ASSERT_EQ(ui.texts().size(), 1) << c.file.toStdString();
        EXPECT_TRUE(ui.texts().at(0).startsWith(
            QStringLiteral("la structure de la base sélectionnée est invalide !\n")))
            << ui.texts().at(0).toStdString();
        EXPECT_TRUE(ui.texts().at(0).contains(c.reason));
        EXPECT_EQ(ui.status, QString());
    }

    ui.clear();
    ui.chosen = dir.path() + QStringLiteral("/recovery.db");
    {
        auto db = dao::DBEngine::OpenDatabase(ui.chosen);
        db->ExecuteScript(
            QStringLiteral("DROP TABLE EXLIBRIS;"
                           "CREATE TABLE EXLIBRIS (IdExlibris LONG, IdAlbum LONG);"));
    }
    run();
    ASSERT_EQ(ui.texts().size(), 1);
    EXPECT_TRUE(
        ui.texts().at(0).endsWith(QStringLiteral("la table exlibris n'a pas de colonne idSerie.")))
        << ui.texts().at(0).toStdString();
    EXPECT_TRUE(site.requests().isEmpty());
}

TEST_F(Recovery, ACopyThatCannotBeMadeBesideTheBaseIsNamedAndKeepsTheLastRecovery) {
    {
        auto db = dao::DBEngine::OpenDatabase(ui.chosen);
        db->Execute(QStringLiteral("insert into revues (idRevue, NomRevue) values (7, 'Vieille')"));
    }
    const QString copy = ui.chosen + QStringLiteral(".recuperation");
    const struct {
        const char* name;
        bool folderInTheWay;
        qint64 sizeLimit;  // 0: none
        QString message;   // its start
    } rows[] = {
        // Where the copy goes, a folder of the user's: no file can be made
        // there, as in a folder that is read-only.
        {"no file can be made", true, 0,
         QStringLiteral("Impossible de créer la copie de travail « ") + copy +
             QStringLiteral(" » de la base Recovery (")},
        // The copy is what could not be written, not the base.
        {"a full disk", false, 8192,
         QStringLiteral("Impossible de copier la base Recovery « ") + ui.chosen +
             QStringLiteral(" » : erreur d'écriture dans le fichier « ") + copy +
             QStringLiteral(" » (fichier trop volumineux).")},
    };
    for (const auto& row : rows) {
        ui.clear();
        ASSERT_TRUE(!row.folderInTheWay || QDir().mkpath(copy + QStringLiteral("/garde")));
        ui.queueAnswers({true});
        {
            std::optional<test::FileSizeLimit> limit;
            if (row.sizeLimit > 0) {
                limit.emplace(row.sizeLimit);
            }
            run();
        }
        ASSERT_EQ(ui.texts().size(), 2) << ui.texts().join(u'|').toStdString();
        const QString message = ui.texts().last();
        EXPECT_TRUE(message.startsWith(row.message)) << message.toStdString();
        EXPECT_TRUE(message.endsWith(kKept)) << message.toStdString();
        EXPECT_EQ(ui.shown().back().icon, PromptIcon::Critical);
        EXPECT_TRUE(site.requests().isEmpty());
        EXPECT_EQ(count(QStringLiteral("revues where idRevue = 7")), 1);
        EXPECT_EQ(QFileInfo(copy + QStringLiteral("/garde")).isDir(), row.folderInTheWay)
            << row.name;
        EXPECT_FALSE(ui.labels);
        QDir(copy).removeRecursively();
    }

    // The disk fills while the copy takes the site's rows: the base is
    // named, and no statement.
    site.setReply(QStringLiteral("series"),
                  FakeSite::row({"1", "Titre", "", QString(300000, u'x'), "", "", "0"}));
    ui.clear();
    ui.queueAnswers({true});
    {
        test::FileSizeLimit limit(QFileInfo(ui.chosen).size() + 65536);
        run();
    }
    const QString full = ui.texts().last();
    EXPECT_TRUE(
        full.startsWith(QStringLiteral("Erreur lors de l'importation de la table series : ")))
        << full.toStdString();
    EXPECT_TRUE(full.contains(QStringLiteral("la base « ") + ui.chosen + QStringLiteral(" » (")))
        << full.toStdString();
    EXPECT_FALSE(full.contains(QStringLiteral("COMMIT"))) << full.toStdString();
    EXPECT_TRUE(full.endsWith(kKept)) << full.toStdString();
    EXPECT_EQ(count(QStringLiteral("revues where idRevue = 7")), 1);
    // Nothing of the copy stays beside the base.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"recovery.db"});
}

TEST_F(Recovery, ACopyNotPutInPlaceGoesWithTheJournalAWriteCutShortLeftBesideIt) {
    {
        WorkCopy work(ui.chosen);
        work.Make();
        QFile journal(work.path() + QStringLiteral("-journal"));
        ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"recovery.db"});
}

TEST_F(Recovery, ABaseThatCannotBeWrittenIsNamedBeforeTheSiteIsAsked) {
    {
        auto db = dao::DBEngine::OpenDatabase(ui.chosen);
        db->Execute(QStringLiteral("insert into revues (idRevue, NomRevue) values (7, 'Vieille')"));
    }
    // A folder that takes no new file: no offer to empty a base that could
    // not be replaced.
    const QString base = QFileInfo(ui.chosen).canonicalFilePath();
    disk.readOnly = QStringList{QFileInfo(base).absolutePath()};
    run();
    disk.readOnly.clear();
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("La base Recovery « ") + base +
                                      QStringLiteral(" » ne peut pas être remplacée : son "
                                                     "dossier est en lecture seule (") +
                                      SystemReason(EROFS) + QStringLiteral(").")});
    EXPECT_TRUE(site.requests().isEmpty());
    EXPECT_EQ(count(QStringLiteral("revues where idRevue = 7")), 1);

    ui.clear();
    // Immutable: refused even to the super-user these tests may run as.
    const auto chattr = [this](const char* flag) {
        return QProcess::execute(QStringLiteral("chattr"), {QString::fromLatin1(flag), ui.chosen});
    };
    if (chattr("+i") != 0) {
        GTEST_SKIP() << "no immutable files here";
    }
    run();
    chattr("-i");
    // Said at once: no offer to empty a base that cannot be written.
    ASSERT_EQ(ui.texts().size(), 1) << ui.texts().join(u'|').toStdString();
    EXPECT_TRUE(ui.texts().last().startsWith(QStringLiteral("La base Recovery « ") + ui.chosen +
                                             QStringLiteral(" » est en lecture seule (")))
        << ui.texts().last().toStdString();
    EXPECT_EQ(ui.shown().back().icon, PromptIcon::Critical);
    EXPECT_TRUE(site.requests().isEmpty());
    EXPECT_EQ(count(QStringLiteral("revues where idRevue = 7")), 1);
    EXPECT_FALSE(QFile::exists(ui.chosen + QStringLiteral(".recuperation")));
}

TEST_F(Recovery, ASecondRunIntoTheSameBaseIsRefusedWhileTheFirstRuns) {
    FakeDialog other;
    other.chosen = ui.chosen;
    RecoveryDriver second{other, other};
    site.onRequest = [&](const QString& table) {
        if (table == QLatin1String("albums")) {
            runOn(second, site.url());
        }
    };
    run();
    site.onRequest = nullptr;
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Récupération réussie")});
    EXPECT_EQ(other.texts(),
              QStringList{QStringLiteral("La base Recovery « ") + ui.chosen +
                          QStringLiteral(" » est en cours de récupération dans une autre fenêtre "
                                         ": attendez la fin de cette récupération.")});
    EXPECT_EQ(count(QStringLiteral("albums")), 1);

    // Once it ended, the base is free again.
    other.clear();
    other.queueAnswers({true});
    runOn(second, site.url());
    EXPECT_EQ(other.texts().last(), QStringLiteral("Récupération réussie"));
}

TEST_F(Recovery, ABaseChosenThroughALinkIsTheOneRecovered) {
    const QString real = dir.path() + QStringLiteral("/partage/recovery.db");
    ASSERT_TRUE(QDir().mkpath(dir.path() + QStringLiteral("/partage")));
    ASSERT_TRUE(QFile::rename(ui.chosen, real));
    ASSERT_TRUE(QFile::link(real, ui.chosen));
    run();
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Récupération réussie")});
    EXPECT_TRUE(QFileInfo(ui.chosen).isSymLink());
    auto db = dao::DBEngine::OpenDatabase(real);
    EXPECT_EQ(db->OpenRecordset(QStringLiteral("select * from series"))->RecordCount(), 2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System),
              QStringList{QStringLiteral("recovery.db")});
}

TEST_F(Recovery, ASiteThatStopsAnsweringNamesTheTableAndLeavesTheBaseAsItWas) {
    site.stopAt(QStringLiteral("albums"));
    run();
    ASSERT_EQ(ui.texts().size(), 1);
    EXPECT_EQ(ui.shown().at(0).icon, PromptIcon::Critical);
    EXPECT_TRUE(ui.texts().at(0).startsWith(
        QStringLiteral("Erreur lors de l'importation de la table albums : ")))
        << ui.texts().at(0).toStdString();
    EXPECT_EQ(ui.statusAtMessage, QStringList{QStringLiteral("Importation des albums ...")});
    EXPECT_EQ(ui.status, QString());
    EXPECT_FALSE(ui.labels);
    EXPECT_EQ(count(QStringLiteral("series")), 0);
    EXPECT_EQ(count(QStringLiteral("auteurs")), 0);
    EXPECT_EQ(count(QStringLiteral("collaborateurs")), 0);
    EXPECT_EQ(count(QStringLiteral("albums")), 0);
    EXPECT_FALSE(QFile::exists(ui.chosen + QStringLiteral(".recuperation")));

    // An earlier recovery.php that sent the first tables has the MySQL
    // functions it calls: no hint that it lacks them.
    FakeSite older;
    older.setAddressOnly(true);
    older.setWithoutMark(true);
    older.stopAt(QStringLiteral("albums"));
    ui.clear();
    run(older.url());
    ASSERT_EQ(ui.texts().size(), 1);
    EXPECT_FALSE(ui.texts().at(0).contains(QStringLiteral("PHP 7")))
        << ui.texts().at(0).toStdString();
}

TEST_F(Recovery, AFirstTableThatFailsShowsItsMessageUnderTheNextStatusAndKeepsTheLastRecovery) {
    run();  // a first run fills the base
    const auto whole = [this] {
        return count(QStringLiteral("series")) == 2 && count(QStringLiteral("albums")) == 1 &&
               count(QStringLiteral("revues")) == 1;
    };
    ASSERT_TRUE(whole());

    // Agreed to empty it for a new recovery, not for none: a missing
    // recovery.php, a refused password, a site that cannot be reached.
    const struct {
        QString address;
        QByteArray password;
        QString message;
    } refusals[] = {
        {site.url() + QStringLiteral("/ailleurs"), "secret",
         QStringLiteral("fichier recovery.php introuvable !")},
        {site.url(), "autre", QStringLiteral("Mot de passe invalide !")},
        {QStringLiteral("http://127.0.0.1:1"), "secret",
         QStringLiteral("Erreur lors de l'importation de la table series : ")},
    };
    for (const auto& r : refusals) {
        ui.clear();
        ui.statuses.clear();
        ui.statusAtMessage.clear();
        ui.queueAnswers({true});
        site.setPassword(r.password);
        run(r.address);
        ASSERT_EQ(ui.texts().size(), 2) << r.message.toStdString();
        EXPECT_TRUE(ui.texts().last().startsWith(r.message)) << ui.texts().last().toStdString();
        EXPECT_TRUE(ui.texts().last().endsWith(kKept)) << ui.texts().last().toStdString();
        EXPECT_EQ(ui.statusAtMessage.last(), QStringLiteral("Importation des auteurs ..."));
        EXPECT_EQ(ui.statuses.filter(QStringLiteral("Importation")).size(), 2);
        EXPECT_TRUE(whole()) << r.message.toStdString();
    }
    site.setPassword("secret");

    // Cancelled while the site answers the first table or a later one, or
    // while the copy goes to disk: not emptied either. Once the copy takes
    // the base's place it is too late, and the run says what the base holds.
    {
        auto db = dao::DBEngine::OpenDatabase(ui.chosen);
        db->Execute(QStringLiteral("insert into auteurs (idAuteur, Nom) values (77, 'Ancien')"));
    }
    const QString copy = QFileInfo(ui.chosen).canonicalFilePath() + QStringLiteral(".recuperation");
    const struct {
        const char* at;
        bool late;
    } cancels[] = {{"series", false}, {"auteurs", false}, {"sync", false}, {"rename", true}};
    for (const auto& c : cancels) {
        ui.clear();
        ui.queueAnswers({true});
        const QString at = QString::fromLatin1(c.at);
        site.onRequest = [this, at](const QString& table) {
            if (table == at) {
                driver.Cancel();
            }
        };
        disk.onCall = [this, at, copy](const QString& call) {
            if ((at == QLatin1String("sync") && call == QStringLiteral("sync ") + copy) ||
                (at == QLatin1String("rename") && call.startsWith(QStringLiteral("rename ")))) {
                driver.Cancel();
            }
        };
        run();
        site.onRequest = nullptr;
        disk.onCall = nullptr;
        EXPECT_EQ(ui.texts().last(),
                  c.late ? QStringLiteral("Récupération réussie\nL'annulation est arrivée après le "
                                          "remplacement de la base : la base Recovery contient "
                                          "cette récupération.")
                         : QStringLiteral("Récupération annulée") + kKept)
            << c.at;
        EXPECT_TRUE(whole()) << c.at;
        EXPECT_EQ(count(QStringLiteral("auteurs where idAuteur = 77")), c.late ? 0 : 1) << c.at;
    }

    // Replies that are no whole table, to the first table or a later one;
    // a site that fails after the first tables.
    const QByteArray albums = FakeSite::row(album("10", "5", "5", "6"));
    const struct {
        const char* table;
        QByteArray reply;
        QString cause;
    } broken[] = {
        {"series", "", QStringLiteral("le site a envoyé une réponse vide")},
        {"series", "erreur de lecture de la table series",
         QStringLiteral("le site n'a pas pu la lire (« erreur de lecture de la table series »)")},
        {"series", "<html><body>Bienvenue chez votre hébergeur</body></html>",
         QStringLiteral("la réponse du site n'est pas une table entière")},
        {"albums", FakeSite::row(album("10", "5", "5", "6")),
         QStringLiteral("la réponse du site n'est pas une table entière")},
        // A row left out on the way, the mark and the count kept.
        {"albums", FakeSite::row(album("10", "5", "5", "6")) + "#fin##2#",
         QStringLiteral("La réponse du site pour ") + site.url() +
             QStringLiteral("/recovery.php est incomplète ou altérée (1 ligne(s) reçue(s) sur "
                            "les 2 envoyée(s)).")},
    };
    for (const auto& b : broken) {
        const QString table = QString::fromLatin1(b.table);
        ui.clear();
        ui.queueAnswers({true});
        site.setRawReply(table, b.reply);
        run();
        site.setReply(QStringLiteral("series"),
                      FakeSite::row({"1", "Série", "", "", "", "", "0"}) +
                          FakeSite::row({"2", "Autre", "", "", "", "", "1"}));
        site.setReply(QStringLiteral("albums"), albums);
        ASSERT_EQ(ui.texts().size(), 2) << b.reply.toStdString();
        EXPECT_TRUE(ui.texts().last().startsWith(
            QStringLiteral("Erreur lors de l'importation de la table ") + table +
            QStringLiteral(" : ") + b.cause))
            << ui.texts().last().toStdString();
        EXPECT_TRUE(ui.texts().last().endsWith(kKept));
        EXPECT_TRUE(whole()) << b.reply.toStdString();
    }
    // An empty password behind a proxy that strips the site's headers: the
    // first table whole, the second cut by an error PHP does not show.
    const QByteArray before = test::readAll(ui.chosen);
    ui.clear();
    ui.queueAnswers({true});
    site.setPassword("");
    site.setHeadersLost(true);
    site.setRawReply(QStringLiteral("auteurs"),
                     FakeSite::row({"5", "Nom", "", "", "", "", "", "", "", "1", "1", "0", ""}));
    run(site.url(), QString());
    site.setReply(QStringLiteral("auteurs"),
                  FakeSite::row({"5", "Nom", "", "", "", "", "", "", "", "1", "1", "0", ""}));
    site.setHeadersLost(false);
    site.setPassword("secret");
    EXPECT_TRUE(ui.texts().last().startsWith(
        QStringLiteral("Erreur lors de l'importation de la table auteurs : ")))
        << ui.texts().last().toStdString();
    EXPECT_EQ(test::readAll(ui.chosen), before);

    ui.clear();
    ui.queueAnswers({true});
    site.stopAt(QStringLiteral("acheter"));
    run();
    EXPECT_TRUE(ui.texts().last().startsWith(
        QStringLiteral("Erreur lors de l'importation de la table acheter : ")));
    EXPECT_TRUE(whole());
    site.stopAt(QString());

    // Emptied once the site gave the first table.
    ui.clear();
    ui.queueAnswers({true});
    site.setReply(QStringLiteral("albums"), QByteArray());
    run();
    EXPECT_EQ(ui.texts().last(), QStringLiteral("Récupération réussie"));
    EXPECT_EQ(count(QStringLiteral("series")), 2);
    EXPECT_EQ(count(QStringLiteral("albums")), 0);
}

TEST_F(Recovery, AHostsNotFoundPageWithStatus200IsAMissingScript) {
    site.setMissing(true, 200);
    run();
    ASSERT_EQ(ui.texts().size(), 1);
    EXPECT_TRUE(ui.texts()[0].startsWith(QStringLiteral("fichier recovery.php introuvable !")));
    EXPECT_EQ(ui.shown().at(0).icon, PromptIcon::Critical);
    EXPECT_EQ(count(QStringLiteral("series")), 0);
}

// The steps after the imports, each made to fail by the base itself; the run
// works on a copy, which the base's own triggers go with.
TEST_F(Recovery, EmptyingCleanUpAndCountingEachStopTheRunWithTheirMessage) {
    const auto failOn = [this](const char* sql) {
        auto db = dao::DBEngine::OpenDatabase(ui.chosen);
        db->Execute(QString::fromLatin1(sql));
    };

    // Emptying: the old rows are refused their deletion.
    failOn("insert into revues (idRevue, NomRevue) values (7, 'Vieille')");
    failOn("create trigger keep before delete on revues begin select raise(abort, 'gardée'); end");
    ui.queueAnswers({true});
    run();
    ASSERT_EQ(ui.texts().size(), 2);
    EXPECT_TRUE(
        ui.texts().last().startsWith(QStringLiteral("Impossible de vider la base Recovery : ")))
        << ui.texts().last().toStdString();
    EXPECT_EQ(ui.shown().back().icon, PromptIcon::Critical);
    EXPECT_EQ(count(QStringLiteral("revues")), 1);
    EXPECT_EQ(count(QStringLiteral("series")), 0);  // nothing stored after the failure
    EXPECT_FALSE(ui.labels);
    failOn("drop trigger keep");
    failOn("delete from revues");

    // Clean-up: the collaborators refuse their deletion.
    failOn(
        "create trigger keep before delete on collaborateurs begin select raise(abort, "
        "'gardé'); end");
    ui.clear();
    run();
    ASSERT_EQ(ui.texts().size(), 1);
    EXPECT_TRUE(ui.texts().at(0).startsWith(
        QStringLiteral("Erreur lors du traitement de la table collaborateur : ")))
        << ui.texts().at(0).toStdString();
    EXPECT_EQ(ui.statusAtMessage.last(), QStringLiteral("traitement des collaborateurs ..."));
    EXPECT_EQ(count(QStringLiteral("collaborateurs")), 0);
    EXPECT_EQ(count(QStringLiteral("revues")), 0);
    EXPECT_FALSE(ui.labels);
    failOn("drop trigger keep");

    // Counting: a table goes while the last one is imported.
    ui.clear();
    site.onRequest = [this](const QString& table) {
        if (table == QStringLiteral("revues")) {
            auto db = dao::DBEngine::OpenDatabase(ui.chosen + QStringLiteral(".recuperation"));
            db->Execute(QStringLiteral("alter table series rename to series_partie"));
        }
    };
    run();
    ASSERT_EQ(ui.texts().size(), 1);
    EXPECT_TRUE(ui.texts().last().startsWith(QStringLiteral("Problème lors du comptage : ")))
        << ui.texts().last().toStdString();
    EXPECT_EQ(ui.statusAtMessage.last(), QStringLiteral("Comptage des enregistrements ..."));
    EXPECT_FALSE(ui.labels);
    EXPECT_EQ(count(QStringLiteral("albums")), 0);
    EXPECT_EQ(count(QStringLiteral("series")), 0);
}

}  // namespace
}  // namespace kalvor::recovery
