#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

#include "platform/error.h"
#include "platform/registry/registry.h"
#include "settings/settings.h"
#include "sqlscripts/export_lock.h"
#include "sqlscripts/script_set.h"
#include "support/test_paths.h"

using namespace kalvor;

// Run once between the open of a file and its lock, as another process
// might: every lock of this program goes through here.
namespace kalvor::test {
std::function<void(int fd)> beforeLock;
}
using test::beforeLock;
extern "C" int flock(int fd, int operation) noexcept {
    if (beforeLock) {
        std::exchange(beforeLock, nullptr)(fd);
    }
    return int(::syscall(SYS_flock, fd, operation));
}

namespace {

// Step `at` (from 0) fails; `kill`: it and every step after do nothing, as
// after a kill or a power cut, so the disk stays as the step before left it.
class CutDisk : public ScriptSetDisk {
  public:
    CutDisk(int at, bool kill) : at_(at), kill_(kill) {}
    int Rename(const QString& f, const QString& t) const override {
        return step("rename") ? ScriptSetDisk::Rename(f, t) : EIO;
    }
    int Sync(const QString& p) const override {
        return step("sync") ? ScriptSetDisk::Sync(p) : EIO;
    }
    int Write(const QString& p, const QByteArray& b) const override {
        return step("write") ? ScriptSetDisk::Write(p, b) : EIO;
    }
    int Remove(const QString& p) const override {
        return step("remove") ? ScriptSetDisk::Remove(p) : EIO;
    }
    mutable QString cutOn;  // the step it fell on, empty when none

  private:
    bool step(const char* what) const {
        if (n_ == at_) {
            cutOn = QString::fromLatin1(what);
        }
        const int n = n_++;
        return kill_ ? n < at_ : n != at_;
    }
    int at_;
    bool kill_;
    mutable int n_ = 0;
};

const QStringList kEarlier = {"donnees_ALBUMS_1sur2.sql", "donnees_ALBUMS_2sur2.sql",
                              "donnees_AUTEURS.sql", "donnees_SERIES.sql"};
const QStringList kNew = {"donnees_AUTEURS.sql", "donnees_SERIES.sql", "donnees_ALBUMS.sql",
                          "donnees_REVUES.sql"};
const QStringList kOthers = {"tables.sql", "dernieres_donnees.sql", "donnees_perso.sql"};

class ScriptSetTest : public ::testing::Test {
  protected:
    void SetUp() override { s.GV_Export = dir.path(); }

    static QMap<QString, QByteArray> set(const QStringList& names, const QByteArray& which) {
        QMap<QString, QByteArray> all;
        for (const QString& name : names) {
            all[name] = which + name.toUtf8();
        }
        for (const QString& name : kOthers) {
            all[name] = "earlier" + name.toUtf8();
        }
        return all;
    }
    // The folder, hidden entries included, by path; a folder ends with '/'.
    QMap<QString, QByteArray> folder(const QString& under = {}) const {
        QMap<QString, QByteArray> all;
        for (const QFileInfo& e :
             QDir(dir.filePath("scripts/" + under))
                 .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
            const QString path = under + e.fileName();
            if (e.isDir()) {
                all[path + u'/'] = "";
                all.insert(folder(path + u'/'));
            } else {
                all[path] = test::readAll(e.filePath());
            }
        }
        return all;
    }
    void lay(const QMap<QString, QByteArray>& all) {
        QDir(dir.filePath("scripts")).removeRecursively();
        QDir().mkpath(dir.filePath("scripts"));
        for (auto it = all.begin(); it != all.end(); ++it) {
            if (it.key().endsWith(u'/')) {
                QDir().mkpath(dir.filePath("scripts/" + it.key()));
            } else {
                test::writeAll(dir.filePath("scripts/" + it.key()), it.value());
            }
        }
    }
    // The earlier set, whose export left lastid 7, replaced by one that
    // moves it to 50.
    bool publish(const ScriptSetDisk& disk) {
        lay(set(kEarlier, "earlier"));
        Settings::Write_Marks({{Settings::Mark::LastId, "7"}});
        ScriptSet scripts(dir.filePath("scripts"), disk);
        for (const QString& name : kNew) {
            test::writeAll(scripts.Stage(name), "new" + name.toUtf8());
        }
        try {
            scripts.Publish({{Settings::Mark::LastId, "50"}});
            return true;
        } catch (const Error&) {
            return false;
        }
    }
    // whole(), when the stored lastid is the one of that set.
    QString agreed() const {
        const QString now = whole();
        const QString id = Registry(env.registryPath(), env.path())
                               .value("software\\Kalvor\\Config", "lastid")
                               .value_or("");
        return id == (now == "new" ? "50" : "7") ? now : now + " with lastid " + id;
    }
    // Which set the folder holds whole, nothing hidden: "" for neither.
    QString whole() const {
        const QMap<QString, QByteArray> now = folder();
        return now == set(kEarlier, "earlier") ? "earlier"
               : now == set(kNew, "new")       ? "new"
                                               : QStringList(now.keys()).join(' ');
    }

    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    Settings s;
};

}  // namespace

// Killed at any step of its publication, then at any step of the next
// start's mend: the start after holds one whole set, nothing hidden, with
// its marks; the new one only when the run had succeeded.
TEST_F(ScriptSetTest, APublicationKilledAtEachStepIsWholeAfterTheNextStart) {
    QStringList outcomes, renames;
    for (int at = 0;; ++at) {
        CutDisk disk(at, true);
        const bool published = publish(disk);
        if (disk.cutOn.isEmpty()) {
            EXPECT_TRUE(published);
            EXPECT_EQ(whole(), "new");
            break;
        }
        renames << (disk.cutOn == "rename" ? "rename" : "");
        const QMap<QString, QByteArray> cut = folder();
        const bool succeeded =
            cut.contains(".donnees-en-cours/.publication-faite") ||
            (!cut.contains(".donnees-en-cours/.publication") && cut.contains("donnees_REVUES.sql"));
        const QString expected = succeeded ? "new" : "earlier";
        for (int mendAt = 0;; ++mendAt) {
            lay(cut);
            CutDisk mendDisk(mendAt, true);
            try {
                ScriptSet::Mend(dir.filePath("scripts"), mendDisk);
            } catch (const Error&) {
            }
            MendScriptsFolder(s);
            EXPECT_EQ(agreed(), expected) << at << " " << mendAt;
            if (mendDisk.cutOn.isEmpty()) {
                outcomes << agreed();
                break;
            }
        }
    }
    EXPECT_TRUE(outcomes.contains("earlier") && outcomes.contains("new"));
    EXPECT_GE(renames.count("rename"), kEarlier.size() + kNew.size());
    EXPECT_FALSE(s.GV_Erreurs.contains("erreur")) << s.GV_Erreurs.toStdString();
}

// A file that cannot move, whichever, or a sync that fails: the run fails
// and the earlier set is back at once, with its marks, and stays so after
// the next start. A Kalvor without the list left earlier files hidden:
// they come back.
TEST_F(ScriptSetTest, AFileThatCannotMovePutsTheEarlierSetBack) {
    int failed = 0;
    for (int at = 0;; ++at) {
        CutDisk disk(at, false);
        const bool published = publish(disk);
        if (!published) {
            EXPECT_EQ(agreed().toStdString(), "earlier") << at;
        }
        if (disk.cutOn == "sync") {
            EXPECT_FALSE(published) << at;
        }
        MendScriptsFolder(s);
        EXPECT_EQ(agreed(), published ? "new" : "earlier") << at;
        failed += published ? 0 : 1;
        if (disk.cutOn.isEmpty()) {
            break;
        }
    }
    EXPECT_GE(failed, kEarlier.size() + kNew.size());
    QMap<QString, QByteArray> hidden = set(kEarlier, "earlier");
    hidden[".donnees-remplacees/donnees_SERIES.sql"] = hidden.take("donnees_SERIES.sql");
    lay(hidden);
    MendScriptsFolder(s);
    EXPECT_EQ(whole(), "earlier");
}

// The list on disk before anything moves, the moves on disk before the
// first file they hid goes.
TEST_F(ScriptSetTest, EachStepIsOnDiskBeforeTheNextDependsOnIt) {
    struct Recording : ScriptSetDisk {
        explicit Recording(QString root) : root(std::move(root)) {}
        int Rename(const QString& f, const QString& t) const override {
            return note("rename " + rel(t), ScriptSetDisk::Rename(f, t));
        }
        int Sync(const QString& p) const override {
            return note("sync " + rel(p), ScriptSetDisk::Sync(p));
        }
        int Remove(const QString& p) const override {
            return note("remove " + rel(p), ScriptSetDisk::Remove(p));
        }
        QString rel(const QString& p) const { return p.mid(root.size() + 1); }
        int note(const QString& step, int result) const {
            steps << step;
            return result;
        }
        QString root;
        mutable QStringList steps;
    } disk(dir.path());
    ASSERT_TRUE(publish(disk));
    const auto first = [&](const char* step) {
        return disk.steps.indexOf(QRegularExpression(step));
    };
    const QList<qsizetype> order{first("^rename scripts/.donnees-en-cours/.publication$"),
                                 first("^sync scripts/.donnees-en-cours$"),
                                 first("^rename scripts/donnees_.*"),
                                 disk.steps.lastIndexOf(QRegularExpression(
                                     "^rename scripts/(?!.donnees-en-cours/.publication).*")),
                                 first("^sync scripts$"),
                                 first(".*publication-faite"),
                                 first("^remove .*")};
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()) && !order.contains(-1))
        << disk.steps.join('\n').toStdString();
}

// A run killed while it held the folder, even before it wrote a script,
// leaves the lock's file: the next start removes it, unless an export holds
// the folder now.
TEST_F(ScriptSetTest, TheLockFileOfAKilledRunGoesAtTheNextStart) {
    QMap<QString, QByteArray> killed = set(kEarlier, "earlier");
    killed[ExportLock::kFileName] = "exportation complète (donnees) du processus 1";
    lay(killed);
    {
        ExportLock held(dir.filePath("scripts"), ExportLock::Export::Full);
        MendScriptsFolder(s);
        EXPECT_TRUE(QFileInfo::exists(dir.filePath("scripts/" + ExportLock::kFileName)));
    }
    lay(killed);
    MendScriptsFolder(s);
    EXPECT_EQ(whole(), "earlier");
    EXPECT_EQ(s.GV_Erreurs, "");

    // What a killed incremental export was writing goes with it, unless an
    // export is writing it; a start that mends is named by an export it
    // turns away.
    killed["dernieres_donnees.sql.Xy3kQz"] = "killed";
    killed["dernieres_donnees.sql.backup"] = "yours";
    lay(killed);
    {
        const std::optional<ExportLock> start = ExportLock::TryHold(dir.filePath("scripts"));
        ASSERT_TRUE(start);
        MendScriptsFolder(s);
        EXPECT_TRUE(folder().contains("dernieres_donnees.sql.Xy3kQz"));
        try {
            ExportLock(dir.filePath("scripts"), ExportLock::Export::Incremental);
            ADD_FAILURE();
        } catch (const Error& e) {
            EXPECT_TRUE(e.Description().contains(
                QStringLiteral("Le démarrage de Kalvor du processus %1,").arg(::getpid())))
                << e.Description().toStdString();
        }
    }
    MendScriptsFolder(s);
    EXPECT_FALSE(folder().contains("dernieres_donnees.sql.Xy3kQz"));
    EXPECT_EQ(folder().value("dernieres_donnees.sql.backup"), "yours");
}

// A lock taken on a file that another process replaced meanwhile holds
// nothing: it is taken again on the file the name leads to.
TEST_F(ScriptSetTest, TheLockIsOnTheFileItsNameLeadsTo) {
    QDir().mkpath(dir.filePath("scripts"));
    const QString path = dir.filePath("scripts/" + ExportLock::kFileName);
    beforeLock = [&](int) {
        QFile::remove(path);
        test::writeAll(path, "");
    };
    ExportLock held(dir.filePath("scripts"), ExportLock::Export::Full);
    EXPECT_FALSE(beforeLock);
    EXPECT_FALSE(ExportLock::TryHold(dir.filePath("scripts")));
}
