#include "sqlscripts/incremental_export.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <exception>
#include <optional>

#include "catalogue/catalogue_schema.h"
#include "common/general.h"
#include "common/table_prefix.h"
#include "common/vb.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "platform/system_reason.h"
#include "settings/settings.h"
#include "sqlscripts/album_rows.h"
#include "sqlscripts/collaborator_rows.h"
#include "sqlscripts/collectible_rows.h"
#include "sqlscripts/data_export_run.h"
#include "sqlscripts/data_script.h"
#include "sqlscripts/export_lock.h"
#include "sqlscripts/export_settings.h"
#include "sqlscripts/full_export_record.h"
#include "sqlscripts/incremental_references.h"
#include "sqlscripts/magazine_rows.h"
#include "sqlscripts/purchase_window.h"
#include "sqlscripts/replacing_row_writer.h"
#include "sqlscripts/schema_scripts.h"
#include "sqlscripts/script_set.h"
#include "sqlscripts/script_set_disk.h"
#include "sqlscripts/sql_statements.h"
#include "sqlscripts/sql_values.h"

namespace kalvor {
namespace {

const QString& kFile = schema_scripts::kIncrementalScript;

bool checked(int box) {
    return box == 1;
}

// A group whose mark was never set is sent whole: moved to the highest id
// without sending what lies below, the mark would keep those items off the
// site for good.
bool neverExported(qint32 mark) {
    return mark == Settings::kNeverExported;
}

// The items above the mark, all of them when it was never set.
QString above(const QString& id, qint32 mark) {
    return neverExported(mark) ? id + QStringLiteral(" is not null")
                               : id + QStringLiteral(" > ") + QString::number(mark);
}

// The items an earlier export sent: none when the mark was never set.
QString upTo(const QString& id, qint32 mark) {
    return neverExported(mark) ? id + QStringLiteral(" is null")
                               : id + QStringLiteral(" <= ") + QString::number(mark);
}

QString number(qint32 n) {
    return QString::number(n);
}

// What a group gave the site, for its summary: the items written, and the
// series and authors new to the site.
struct Written {
    qint32 items = 0, series = 0, authors = 0;
    qint32 total() const { return items + series + authors; }
    QString counts(const QString& items) const {
        return number(this->items) + u' ' + items + QStringLiteral(" - ") + number(series) +
               QStringLiteral(" série(s) - ") + number(authors) + QStringLiteral(" auteur(s)");
    }
};

class IncrementalExport {
  public:
    explicit IncrementalExport(Settings& s)
        : s_(s),
          folder_(schema_scripts::ScriptsFolder(s.GV_Export)),
          prefix_(s.GV_Prefixe_Table),
          version_(s.GV_Version_Base),
          v6_(catalogue::IsV6(s.GV_Version_Base)),
          now_(vb::Now()),
          out_(s.opt_utf8()),
          references_(out_, prefix_, version_) {}

    QString Run() {
        RequireTablePrefix(prefix_);
        export_settings::RequireGroups(s_);
        // A catalogue that cannot be read says so before any setting.
        openCatalogue()->Close();
        s_.Reload_Marks();
        requireMarks();
        makeFolder();
        // No full export mixes into the folder while this one writes there,
        // and the marks are those of the last export that ended.
        lock_.emplace(folder_, ExportLock::Export::Incremental);
        mended_ = ScriptSet::Mend(folder_);
        s_.Reload_Marks();
        requireMarks();
        from_ = FullExportRecord::Read(s_.GV_LastFull);
        out_.Open(path());
        // Rows and marks from one view: what the catalogue gains meanwhile
        // lies above the marks, for the next export.
        db_ = openCatalogue();
        db_->HoldView();
        // What would leave an album or a link off the site without a word.
        if (checked(s_.opt_albums) || checked(s_.opt_acheter)) {
            album_rows::RequireListFlags(*db_, version_);
            if (s_.Opt_Collaborateurs != 0) {
                collaborator_rows::RequireAlbumIds(*db_);
            }
        }
        if (checked(s_.opt_albums)) {
            collection();
        }
        if (checked(s_.opt_acheter)) {
            wishList();
        }
        if (checked(s_.opt_revues)) {
            magazines();
        }
        if (checked(s_.opt_parabd)) {
            collectibles();
        }
        db_->Close();
        out_.Write(sql::LastUpdate(prefix_, now_.date()));
        out_.Close();
        // The script on disk before the marks move past what it carries.
        if (const int errnum = ScriptSetDisk::System().Sync(folder_); errnum != 0) {
            throw Error(err::DiskError,
                        QStringLiteral("Impossible d'enregistrer le fichier %1 (%2).")
                            .arg(path(), SystemReason(errnum)));
        }
        marks_.Write();
        QString text = summary();
        if (sendsUnrecordedGroups()) {
            text += QStringLiteral(
                "\n\nAucune exportation complète n'est enregistrée pour une partie des "
                "données : le fichier les envoie toutes, comme nouvelles, jusqu'à la "
                "prochaine exportation complète.");
        }
        if (carriesEarlierExports()) {
            text += QStringLiteral(
                "\n\nLe fichier reprend aussi ce que les exportations des dernières données "
                "ont envoyé depuis la dernière exportation complète : chargez-le seul, après "
                "les scripts de celle-ci.");
        }
        return mended_.isEmpty() ? text : text + QStringLiteral("\n\n") + mended_;
    }

    const ExportMarks& marks() const { return marks_; }

  private:
    QString path() const { return folder_ + u'/' + kFile; }

    void makeFolder() { schema_scripts::MakeScriptsFolder(s_.GV_Export); }

    // Refused before anything is written, and again as the file has them
    // once the folder is held: another export may have moved them between.
    void requireMarks() {
        if (checked(s_.opt_albums)) {
            lastRun_ = export_settings::LastRun(s_);
        }
        export_settings::RequireReadableMarks(s_);
        export_settings::RequireLinksSent(s_);
    }

    // Each group is sent from what its last full export sent: what the
    // incremental exports sent since may never have been loaded, and the
    // newest script alone must hold it. A group no full export sent goes
    // whole.
    static qint32 sentBy(const std::optional<qint32>& full) {
        return full.value_or(Settings::kNeverExported);
    }

    // The collection from its last full export's day, or from an earlier
    // day typed in "après le"; whole when no full export sent it.
    std::optional<QDate> collectionFrom() const {
        if (!from_.collection) {
            return std::nullopt;
        }
        return std::min(*from_.collection, lastRun_.date());
    }

    // Whether a group that no full export recorded goes whole: its counts
    // are then all it holds, not what the site gains.
    bool sendsUnrecordedGroups() const {
        return wroteAny_ && ((checked(s_.opt_albums) && !from_.collection) ||
                             (checked(s_.opt_acheter) && !from_.wishList) ||
                             (checked(s_.opt_revues) && !from_.magazines) ||
                             (checked(s_.opt_parabd) && !from_.collectibles));
    }

    // Whether the script sends again what incremental exports since the
    // last full one sent; a group that goes whole sends nothing "again".
    bool carriesEarlierExports() const {
        if (!wroteAny_) {
            return false;
        }
        const auto moved = [](const std::optional<qint32>& full, qint32 mark) {
            return full && *full != mark;
        };
        return (checked(s_.opt_albums) && from_.collection &&
                from_.collection->toString(QStringLiteral("dd/MM/yyyy")) != s_.GV_LastRun) ||
               (checked(s_.opt_acheter) && moved(from_.wishList, s_.GV_LastId)) ||
               (checked(s_.opt_revues) && moved(from_.magazines, s_.GV_LastIdRevue)) ||
               (checked(s_.opt_parabd) && moved(from_.collectibles, s_.GV_LastIdPara));
    }

    std::unique_ptr<dao::Database> openCatalogue() const {
        return dao::DBEngine::OpenDatabase(s_.GV_Chemin_Base);
    }

    static std::optional<qint32> highest(dao::Database& db, const QString& sql) {
        auto rs = db.OpenRecordset(sql);
        const QVariant max = rs->Fields(0);
        rs->Close();
        if (max.isNull()) {
            return std::nullopt;
        }
        return vb::CLng(max);
    }

    // The authors and series of the group's new items (`fresh`), then the
    // items; `earlier` chooses the items the site held already.
    Written writeReferences(dao::Database& db, ExportGroup group, const QString& fresh,
                            const QString& earlier, bool few = true) {
        const auto gained = references_.Write(db, group, fresh, earlier, few);
        Written w;
        w.authors = gained.authors;
        w.series = gained.series;
        return w;
    }

    // In an older catalogue an album's id may also name an album of the
    // other table, whose links the site holds under the same id: the wish
    // list never removes the collection's, and the collection keeps the wish
    // list's when it is exported too, as the full export gives both.
    bool keepsSharedIdLinks(ExportGroup group) const {
        return !v6_ && (group == ExportGroup::Acheter || checked(s_.opt_acheter));
    }

    // Each album, then its links: the site's links of that id are replaced.
    // The extra collaborators of all the albums come from one query.
    // `few`: the condition chooses a few albums through their keys.
    qint32 writeAlbums(dao::Database& db, ExportGroup group, const QString& condition,
                       album_rows::Cote cote, bool few = true) {
        using namespace catalogue::album;
        ReplacingRowWriter writer(out_, prefix_, AlbumsTable(group), QStringLiteral("idalbum"));
        collaborator_rows::LinkWriter links(prefix_, out_.Utf8());
        links.SetTarget(&out_);
        links.SetReplacing(true);
        const bool extras = s_.Opt_Collaborateurs != 0;
        if (extras) {
            links.HoldExtraCollaborators(db, group, version_, condition);
        }
        const bool shared = keepsSharedIdLinks(group);
        if (shared) {
            links.HoldSharedIdLinks(db,
                                    collaborator_rows::SharedIdAlbumsQuery(group, condition, few));
        }
        qint32 written = 0;
        auto albums = db.OpenCursor(album_rows::AlbumSource(group, version_, condition));
        while (albums->Next()) {
            writer.Write(album_rows::AlbumRow(writer.line(), *albums, cote));
            links.WriteOwnLinks(*albums);
            if (extras) {
                links.WriteHeldExtras(*albums);
            }
            if (shared) {
                links.WriteHeldSharedIdLinks(*albums);
            }
            ++written;
        }
        if (written > 0 && !extras) {
            marks_.collaborateurs = QStringLiteral("0");
        }
        return written;
    }

    // Group A: the collection's albums bought from the last full export's
    // day to today, whole days, with their authors and series. That day is
    // sent again: an album of that day entered after the export goes now,
    // its row replacing the site's copy if it went then; one of today,
    // whatever its time, goes now and again with the next export. An
    // undated album is never in the window: only the full export sends it.
    void collection() {
        const std::optional<QDate> from = collectionFrom();
        const QString L = from ? from->toString(QStringLiteral("MM/dd/yyyy")) : QString();
        const QString U = now_.toString(QStringLiteral("MM/dd/yyyy"));
        // Each date as the rows write it, whatever form it is stored in.
        const QString before =
            QStringLiteral("ifnull(read_date(ALBUMS.DateAchat), '') < #%1#").arg(L);

        dao::Database* db = db_.get();
        // When no dated album of the collection lies outside the window (a
        // first run, a reset date), the window is the albums that have a
        // date: the rows are read without reading dates on each, and an
        // index on the date (not the one on the wish-list flag, which would
        // fetch every owned album) answers the question at once. The index
        // holds the dates as stored: one in another form (a number, a blank,
        // most day-first dates) sorts outside; one that sorts inside is sent
        // whatever it reads, as every dated album is then, or refused by its
        // row.
        bool whole = !from;
        if (!whole) {
            const QString own = v6_ ? QStringLiteral("+ALBUMS.AAcheter = 0 and ") : QString();
            auto outside = db->OpenCursor(
                QStringLiteral("SELECT ALBUMS.IdAlbum FROM ALBUMS where ") + own +
                QStringLiteral("(ALBUMS.DateAchat < #%1# or ALBUMS.DateAchat > #%2 23:59:59#)")
                    .arg(L, U));
            whole = !outside->Next();
        }
        const QString chosen = whole ? QStringLiteral("ALBUMS.DateAchat is not null")
                                     : purchase_window::RowsOf(QStringLiteral("ALBUMS"),
                                                               purchase_window::AlbumsOfTheWindow(
                                                                   *db, *from, now_.date()));
        collectionEarlier_ = whole ? QStringLiteral("ALBUMS.DateAchat is null") : before;
        Written w;
        try {
            w = writeReferences(*db, ExportGroup::Albums, chosen, collectionEarlier_, !whole);
            if (!v6_ && checked(s_.opt_acheter)) {
                w.authors += references_.WriteSharedIdAuthors(
                    *db, ExportGroup::Albums, chosen,
                    upTo(QStringLiteral("ACHETER.IdAlbum"), sentBy(from_.wishList)));
            }
            w.items = writeAlbums(*db, ExportGroup::Albums, chosen, album_rows::Cote::AsIs, !whole);
        } catch (const Error& e) {
            // The engine stops at a purchase date it cannot read without
            // naming the album: found again, to name it.
            if (e.Number() == err::TypeMismatch) {
                album_rows::RequireReadablePurchaseDates(*db, version_);
            }
            throw;
        }
        if (w.items > 0) {
            marks_.lastRun = now_.toString(QStringLiteral("dd/MM/yyyy"));
            marks_.changed = true;
        }
        if (w.total() > 0) {
            collectionText_ = QStringLiteral("\nALBUMS DE LA COLLECTION\n") +
                              w.counts(QStringLiteral("album(s)"));
        }
    }

    // Group B: the wish-list albums above the last full export's mark, with
    // their authors and series; the mark becomes the highest wish-list id.
    void wishList() {
        const qint32 mark = sentBy(from_.wishList);
        const QString key = (v6_ ? QStringLiteral("ALBUMS") : QStringLiteral("ACHETER")) +
                            QStringLiteral(".IdAlbum");
        dao::Database* db = db_.get();
        // Chosen through the key, in the table's order.
        const QString fresh = purchase_window::RowsOf(
            v6_ ? QStringLiteral("ALBUMS") : QStringLiteral("ACHETER"),
            purchase_window::Rowids(
                *db, QStringLiteral("SELECT rowid FROM %1 WHERE %2")
                         .arg(v6_ ? QStringLiteral("ALBUMS") : QStringLiteral("ACHETER"),
                              above(key, mark) +
                                  (v6_ ? QStringLiteral(" and +AAcheter = 1") : QString()))));
        Written w = writeReferences(*db, ExportGroup::Acheter, fresh, upTo(key, mark));
        if (!v6_ && !collectionEarlier_.isEmpty()) {
            w.authors += references_.WriteSharedIdAuthors(*db, ExportGroup::Acheter, fresh,
                                                          collectionEarlier_);
        }
        w.items = writeAlbums(*db, ExportGroup::Acheter, fresh, album_rows::Cote::Whole);
        if (w.total() > 0) {
            wishListText_ =
                QStringLiteral("\nALBUMS A ACHETER\n") + w.counts(QStringLiteral("album(s)"));
        }
        // From the highest id down: the flag's index would read the whole list.
        if (const auto id = highest(
                *db, v6_ ? QStringLiteral("select max(IdAlbum) from (select IdAlbum from ALBUMS "
                                          "where +AAcheter=1 order by IdAlbum desc limit 1)")
                         : QStringLiteral("select max(IdAlbum) from ACHETER"))) {
            marks_.lastId = *id;
        }
        marks_.changed = true;
    }

    // Group C: when an issue is above the mark, both magazine tables are
    // written again whole, as the full export writes them.
    void magazines() {
        dao::Database* db = db_.get();
        auto fresh = db->OpenRecordset(QStringLiteral("SELECT count(*) FROM REVUES where ") +
                                       above(QStringLiteral("idRevue"), sentBy(from_.magazines)));
        const qint32 issues = vb::CLng(fresh->Fields(0));
        fresh->Close();
        if (issues > 0) {
            out_.Write(sql::DeleteRows(prefix_, QStringLiteral("series4")));
            out_.Write(sql::DeleteRows(prefix_, QStringLiteral("revues")));
            magazine_rows::WriteMagazines(*db, version_, prefix_, out_);
            marks_.lastIdRevue = highest(*db, QStringLiteral("select max(IdRevue) from REVUES"));
            marks_.changed = true;
            magazinesText_ =
                QStringLiteral("\nREVUES \n") + number(issues) + QStringLiteral(" revue(s)");
        }
    }

    // Group D: the collectibles above the mark, with their authors and series.
    void collectibles() {
        const qint32 mark = sentBy(from_.collectibles);
        const QString key = v6_ ? QStringLiteral("IdParabd") : QStringLiteral("IdExlibris");

        dao::Database* db = db_.get();
        Written w = writeReferences(*db, ExportGroup::Parabd, above(key, mark), upTo(key, mark));
        {
            ReplacingRowWriter writer(out_, prefix_, QStringLiteral("parabd"),
                                      QStringLiteral("idparabd"));
            auto items = db->OpenCursor(collectible_rows::CollectibleQuery(
                version_, neverExported(mark) ? std::nullopt : std::optional<qint32>(mark)));
            while (items->Next()) {
                writer.Write(collectible_rows::CollectibleRow(writer.line(), *items));
                ++w.items;
            }
        }
        if (w.items > 0) {
            marks_.lastIdPara =
                highest(*db, v6_ ? QStringLiteral("select max(IdParabd) from PARABD")
                                 : QStringLiteral("select max(IdEXlibris) from EXLIBRIS"));
            marks_.changed = true;
        }
        if (w.total() > 0) {
            collectiblesText_ = QStringLiteral("\nPARABD\n") + w.counts(QStringLiteral("objet(s)"));
        }
    }

    // The groups in the order collection, collectibles, magazines, wish
    // list, each after an empty line.
    QString summary() {
        QString text = collectionText_;
        if (!text.isEmpty()) {
            text += u'\n';
        }
        if (!collectiblesText_.isEmpty()) {
            text += collectiblesText_ + u'\n';
        }
        if (!magazinesText_.isEmpty()) {
            text += magazinesText_ + u'\n';
        }
        QString wishList = wishListText_;
        wroteAny_ = !wishList.isEmpty() || !text.isEmpty();
        if (!wroteAny_) {
            wishList = QStringLiteral("\nPas de nouvelles données");
        }
        return QStringLiteral("fichier ") + path() + QStringLiteral(" généré\n") + text + wishList;
    }

    Settings& s_;
    QString folder_, prefix_, version_;
    QString mended_;  // what this run finished of a killed one
    FullExportRecord from_;
    bool wroteAny_ = false;
    bool v6_;
    // The one reading of the clock: an export across midnight is of one day.
    QDateTime now_;
    QDateTime lastRun_;
    QString collectionEarlier_;       // chooses the albums of earlier exports, once exported
    std::optional<ExportLock> lock_;  // held until the script is whole or gone
    std::unique_ptr<dao::Database> db_;
    DataScript out_;
    IncrementalReferences references_;
    ExportMarks marks_;
    QString collectionText_, wishListText_, magazinesText_, collectiblesText_;
};

}  // namespace

bool btn_LastDonnees_SQL_Click(Settings& settings, Prompt& prompt) {
    std::optional<QString> lastRun;
    const bool ok =
        RunDataExport(settings, prompt, QStringLiteral("Kalvorform.btn_LastDonnees_SQL_click"),
                      [&](ExportMarks& marks) {
                          IncrementalExport run(settings);
                          const QString summary = run.Run();
                          marks = run.marks();
                          lastRun = marks.lastRun;
                          return summary;
                      });
    if (ok && lastRun) {
        // The next run of this session starts from the new date.
        settings.box_LastRun = *lastRun;
    }
    return ok;
}

}  // namespace kalvor
