#include "sqlscripts/full_export.h"

#include <QDir>
#include <QFileInfo>
#include <exception>
#include <functional>
#include <optional>

#include "catalogue/catalogue_schema.h"
#include "common/general.h"
#include "common/table_prefix.h"
#include "common/vb.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "sqlscripts/album_rows.h"
#include "sqlscripts/author_rows.h"
#include "sqlscripts/collaborator_rows.h"
#include "sqlscripts/collectible_rows.h"
#include "sqlscripts/data_export_run.h"
#include "sqlscripts/data_script.h"
#include "sqlscripts/export_lock.h"
#include "sqlscripts/export_settings.h"
#include "sqlscripts/full_export_record.h"
#include "sqlscripts/magazine_rows.h"
#include "sqlscripts/referenced_rows.h"
#include "sqlscripts/schema_scripts.h"
#include "sqlscripts/script_set.h"
#include "sqlscripts/series_rows.h"
#include "sqlscripts/sql_statements.h"
#include "sqlscripts/sql_values.h"

namespace kalvor {
namespace {

bool checked(int box) {
    return box == 1;
}

QString partName(const QString& stem, qint32 part, qint32 parts) {
    return parts > 1 ? QStringLiteral("donnees_%1_%2sur%3.sql").arg(stem).arg(part).arg(parts)
                     : QStringLiteral("donnees_%1.sql").arg(stem);
}

// Names of a table's files, in order: one file, or its k-of-N parts.
QStringList partNames(const QString& stem, qint32 parts) {
    if (parts <= 1) {
        return {partName(stem, 1, 1)};
    }
    QStringList names;
    for (qint32 k = 1; k <= parts; ++k) {
        names << partName(stem, k, parts);
    }
    return names;
}

class FullExport {
  public:
    explicit FullExport(Settings& s)
        : s_(s),
          folder_(schema_scripts::ScriptsFolder(s.GV_Export)),
          prefix_(s.GV_Prefixe_Table),
          version_(s.GV_Version_Base),
          split_(s.Opt_split_yes()),
          now_(vb::Now()),
          scripts_(folder_),
          out_(s.opt_utf8()) {}

    QString Run() {
        RequireTablePrefix(prefix_);
        export_settings::RequireGroups(s_);
        if (split_) {
            if (checked(s_.opt_albums)) {
                splitSize_ = export_settings::SplitGroup(s_);
            }
        }
        makeFolder();
        // One export at a time in the folder, which holds one whole set.
        lock_.emplace(folder_, ExportLock::Export::Full);
        mended_ = ScriptSet::Mend(folder_);
        s_.Reload_Marks();
        // Rows and marks from one view: what the catalogue gains meanwhile
        // lies above the marks, for the next export.
        db_ = dao::DBEngine::OpenDatabase(s_.GV_Chemin_Base);
        db_->HoldView();
        // What would leave an album or a link off the site without a word.
        if (checked(s_.opt_albums) || checked(s_.opt_acheter)) {
            album_rows::RequireListFlags(*db_, version_);
            if (s_.Opt_Collaborateurs != 0) {
                collaborator_rows::RequireAlbumIds(*db_);
            }
        }
        if (!split_) {
            open(QStringLiteral("donnees.sql"));
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
        markLinks();
        FullExportRecord record = FullExportRecord::Read(s_.GV_LastFull);
        record.Take(marks_);
        marks_.lastFull = record.Text();
        scripts_.Publish(marks_.texts());
        return mended_.isEmpty() ? summary() : summary() + QStringLiteral("\n\n") + mended_;
    }

    const ExportMarks& marks() const { return marks_; }

  private:
    // A table cut into part files of `size` rows, read in the order of its
    // ids: each part replaces the rows of its own id range (the first from
    // the lowest id, the last with no top), so the parts load in any order,
    // and rows gone from the catalogue go at the load of their range's part.
    class Parts {
      public:
        struct Table {
            QString name, id;
        };
        // Walks the rows the part files write, in their order, giving each
        // row's id.
        using IdWalk = std::function<void(const std::function<void(const QVariant&)>&)>;
        // `walk` is read once here for the count and the ids that close each part.
        Parts(FullExport* run, QString stem, const IdWalk& walk, qint32 size, QList<Table> tables,
              collaborator_rows::LinkBuffer* held = nullptr)
            : run_(run),
              stem_(std::move(stem)),
              tables_(std::move(tables)),
              held_(held),
              size_(size) {
            walk([this](const QVariant& id) {
                if (++rows_ % size_ == 0) {
                    lasts_ << id;
                }
            });
            parts_ = partCount(rows_, size_);
            // The last row of the last part closes no range.
            if (!lasts_.isEmpty() && rows_ % size_ == 0) {
                lasts_.removeLast();
            }
        }
        qint32 count() const { return parts_; }

        void Start() { open(1); }
        void Row() {
            ++count_;
            if (count_ % size_ == 0 && count_ < rows_) {
                const qint32 k = count_ / size_;
                release(lasts_.at(k - 1));
                open(k + 1);
            }
        }
        void End() { release({}); }

      private:
        void open(qint32 k) {
            run_->open(partName(stem_, k, parts_));
            for (const Table& t : tables_) {
                run_->out_.Write(parts_ <= 1
                                     ? sql::DeleteRows(run_->prefix_, t.name)
                                     : sql::DeleteWhere(run_->prefix_, t.name, range(t.id, k)));
            }
        }
        QString range(const QString& id, qint32 k) const {
            QStringList terms;
            if (k > 1) {
                terms << id + QStringLiteral(" > ") + sql::Identifier(lasts_.at(k - 2));
            }
            if (k < parts_) {
                terms << id + QStringLiteral(" <= ") + sql::Identifier(lasts_.at(k - 1));
            }
            return terms.join(QStringLiteral(" and "));
        }
        void release(const QVariant& last) {
            if (held_) {
                held_->WriteUpTo(run_->out_, last);
            }
        }

        FullExport* run_;
        QString stem_;
        QList<Table> tables_;
        collaborator_rows::LinkBuffer* held_;
        qint32 rows_ = 0, size_, parts_ = 0;
        QVariantList lasts_;  // the id of the last row of each part but the last
        qint32 count_ = 0;
    };

    void makeFolder() { schema_scripts::MakeScriptsFolder(s_.GV_Export); }

    // Whether the albums on the site now have their extra collaborators:
    // ticked, only when every album list that was ever sent is sent again.
    void markLinks() {
        const bool albums = checked(s_.opt_albums), wishList = checked(s_.opt_acheter);
        if (!albums && !wishList) {
            return;
        }
        if (s_.Opt_Collaborateurs == 0) {
            marks_.collaborateurs = QStringLiteral("0");
        } else if ((albums || s_.GV_LastRun.isEmpty()) &&
                   (wishList || s_.GV_LastId == Settings::kNeverExported)) {
            marks_.collaborateurs = QStringLiteral("1");
        }
    }

    void open(const QString& name) { out_.Open(scripts_.Stage(name)); }
    void openIfSplit(const QString& name) {
        if (split_) {
            open(name);
        }
    }

    static qint32 partCount(qint32 rows, qint32 size) {
        return rows / size + (rows % size ? 1 : 0);
    }

    // The highest id the export sent, 0 when the group is empty: the next
    // incremental export sends every item added since, the first included.
    static qint32 highest(dao::Database& db, const QString& sql) {
        auto rs = db.OpenRecordset(sql);
        const QVariant max = rs->Fields(0);
        rs->Close();
        return max.isNull() ? 0 : vb::CLng(max);
    }

    void collection() {
        dao::Database* db = db_.get();
        const auto refs = referenced_rows::Read(*db, ExportGroup::Albums, version_);
        const QString authorIds = author_rows::AuthorIdQuery(ExportGroup::Albums, version_);
        const qint32 size = splitSize_;
        std::optional<Parts> authorParts;
        if (split_) {
            authorParts.emplace(
                this, QStringLiteral("AUTEURS"),
                [&](const std::function<void(const QVariant&)>& id) {
                    author_rows::ForEachAuthor(*db, refs.authors, authorIds,
                                               [&](const dao::RowCursor& author) {
                                                   id(author.Value(catalogue::auteur::IdAuteur));
                                               });
                },
                size, QList<Parts::Table>{{QStringLiteral("auteurs"), QStringLiteral("idauteur")}});
            authorsParts_ = authorParts->count();
            authorParts->Start();
        } else {
            out_.Write(sql::DeleteRows(prefix_, QStringLiteral("auteurs")));
        }
        author_rows::WriteAuthors(*db, refs.authors, authorIds, prefix_, QStringLiteral("auteurs"),
                                  out_, [&authorParts] {
                                      if (authorParts) {
                                          authorParts->Row();
                                      }
                                  });

        openIfSplit(QStringLiteral("donnees_SERIES.sql"));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("series")));
        series_rows::WriteSeries(*db, refs.series, ExportGroup::Albums, version_, prefix_, out_);

        collaborator_rows::LinkWriter links(prefix_, out_.Utf8());
        links.SetTarget(&out_);
        collaborator_rows::LinkBuffer held;
        std::optional<Parts> albumParts;
        const QString albumSource =
            split_ ? album_rows::AlbumsByIdSource(ExportGroup::Albums, version_)
                   : album_rows::AlbumSource(ExportGroup::Albums, version_);
        if (split_) {
            holdLinks(*db, held);
            albumParts.emplace(
                this, QStringLiteral("ALBUMS"),
                [&](const std::function<void(const QVariant&)>& id) {
                    auto albums = db->OpenCursor(albumSource);
                    while (albums->Next()) {
                        id(albums->Value(catalogue::album::IdAlbum));
                    }
                },
                size,
                QList<Parts::Table>{{QStringLiteral("albums"), QStringLiteral("idalbum")},
                                    {QStringLiteral("collaborateurs"), QStringLiteral("idalbum")}},
                &held);
            albumsParts_ = albumParts->count();
            albumParts->Start();
        } else {
            out_.Write(sql::DeleteRows(prefix_, QStringLiteral("albums")));
            out_.Write(sql::DeleteRows(prefix_, QStringLiteral("collaborateurs")));
        }
        auto albums = db->OpenCursor(albumSource);
        album_rows::WriteAlbums(*albums, prefix_, QStringLiteral("albums"), out_, links,
                                [&albumParts] {
                                    if (albumParts) {
                                        albumParts->Row();
                                    }
                                });
        albums.reset();
        if (albumParts) {
            albumParts->End();
        } else {
            if (s_.Opt_Collaborateurs != 0) {
                links.WriteExtraCollaborators(*db, ExportGroup::Albums, version_);
            }
            if (keepsWishListLinks()) {
                collaborator_rows::LinkWriter wished(prefix_, out_.Utf8());
                wished.SetTarget(&out_);
                writeWishListLinks(*db, wished);
            }
        }
        collectionExported_ = true;
        marks_.lastRun = now_.toString(QStringLiteral("dd/MM/yyyy"));
        marks_.changed = true;
    }

    // The collection's scripts empty the site's links, the wish list's
    // too: without the wish list, they write its links back once it was
    // published, or its albums would stay on the site without them.
    bool keepsWishListLinks() const {
        return !checked(s_.opt_acheter) && s_.GV_LastId != Settings::kNeverExported;
    }

    // The links that follow no album line of the collection's files: its
    // extra collaborators and the wish list's links (whose ids may fall in
    // any range). The album file of their id's range writes them, as it
    // deletes that range's links.
    void holdLinks(dao::Database& db, collaborator_rows::LinkBuffer& held) {
        collaborator_rows::LinkWriter collection(prefix_, out_.Utf8());
        collection.SetBuffer(&held);
        if (s_.Opt_Collaborateurs != 0) {
            collection.WriteExtraCollaborators(db, ExportGroup::Albums, version_);
        }
        if (!checked(s_.opt_acheter) && !keepsWishListLinks()) {
            return;
        }
        collaborator_rows::LinkWriter wished(prefix_, out_.Utf8());
        wished.SetBuffer(&held);
        writeWishListLinks(db, wished);
        wishLinksHeld_ = true;
    }

    void writeWishListLinks(dao::Database& db, collaborator_rows::LinkWriter& wished) {
        const bool extras = s_.Opt_Collaborateurs != 0;
        if (!catalogue::IsV6(version_)) {
            wished.ExcludeCollectionLinksOfWishList(db, extras);
        }
        auto albums = album_rows::OpenAlbums(db, ExportGroup::Acheter, version_);
        while (albums->Next()) {
            wished.WriteOwnLinks(*albums);
        }
        albums.reset();
        if (extras) {
            wished.WriteExtraCollaborators(db, ExportGroup::Acheter, version_);
        }
    }

    void wishList() {
        openIfSplit(QStringLiteral("donnees_AUTEURS2.sql"));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("auteurs2")));
        dao::Database* db = db_.get();
        const auto refs = referenced_rows::Read(*db, ExportGroup::Acheter, version_);
        author_rows::WriteAuthors(*db, refs.authors,
                                  author_rows::AuthorIdQuery(ExportGroup::Acheter, version_),
                                  prefix_, QStringLiteral("auteurs2"), out_);

        openIfSplit(QStringLiteral("donnees_SERIES2.sql"));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("series2")));
        series_rows::WriteSeries(*db, refs.series, ExportGroup::Acheter, version_, prefix_, out_);

        openIfSplit(QStringLiteral("donnees_ACHETER.sql"));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("acheter")));
        collaborator_rows::LinkWriter links(prefix_, out_.Utf8());
        // Split, the collection's album files already hold these links.
        links.SetTarget(wishLinksHeld_ ? nullptr : &out_);
        // Without the collection the site's links are not emptied first:
        // each album replaces those of its id, which in an older catalogue
        // may be an owned album's too, written back after the album's own.
        links.SetReplacing(!collectionExported_);
        const bool shared = !collectionExported_ && !catalogue::IsV6(version_);
        if (shared) {
            links.HoldSharedIdLinks(
                *db, collaborator_rows::SharedIdAlbumsQuery(ExportGroup::Acheter, {}));
        }
        if (collectionExported_ && !wishLinksHeld_ && !catalogue::IsV6(version_)) {
            links.ExcludeCollectionLinksOfWishList(*db, s_.Opt_Collaborateurs != 0);
        }
        auto albums = album_rows::OpenAlbums(*db, ExportGroup::Acheter, version_);
        album_rows::WriteAlbums(*albums, prefix_, QStringLiteral("acheter"), out_, links, [&] {
            if (shared) {
                links.WriteHeldSharedIdLinks(*albums);
            }
        });
        albums.reset();
        if (shared) {
            links.ExcludeHeldSharedIdLinks();
        }
        marks_.lastId =
            highest(*db, catalogue::IsV6(version_)
                             ? QStringLiteral("select max(IdAlbum) from ALBUMS where AAcheter=1")
                             : QStringLiteral("select max(IdAlbum) from ACHETER"));
        marks_.changed = true;
        if (s_.Opt_Collaborateurs != 0 && !wishLinksHeld_) {
            links.WriteExtraCollaborators(*db, ExportGroup::Acheter, version_);
        }
    }

    void magazines() {
        dao::Database* db = db_.get();
        openIfSplit(QStringLiteral("donnees_REVUES.sql"));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("series4")));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("revues")));
        magazine_rows::WriteMagazines(*db, version_, prefix_, out_);
        marks_.lastIdRevue = highest(*db, QStringLiteral("select max(IdRevue) from REVUES"));
        marks_.changed = true;
    }

    void collectibles() {
        openIfSplit(QStringLiteral("donnees_AUTEURS3.sql"));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("auteurs3")));
        dao::Database* db = db_.get();
        const auto refs = referenced_rows::Read(*db, ExportGroup::Parabd, version_);
        author_rows::WriteAuthors(*db, refs.authors,
                                  author_rows::AuthorIdQuery(ExportGroup::Parabd, version_),
                                  prefix_, QStringLiteral("auteurs3"), out_);

        openIfSplit(QStringLiteral("donnees_SERIES3.sql"));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("series3")));
        series_rows::WriteSeries(*db, refs.series, ExportGroup::Parabd, version_, prefix_, out_);

        openIfSplit(QStringLiteral("donnees_PARABD.sql"));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("parabd")));
        collectible_rows::WriteCollectibles(*db, version_, prefix_, out_);
        marks_.lastIdPara =
            highest(*db, catalogue::IsV6(version_)
                             ? QStringLiteral("select max(IdParabd) from PARABD")
                             : QStringLiteral("select max(IdEXlibris) from EXLIBRIS"));
        marks_.changed = true;
    }

    QString summary() const {
        QStringList files;
        if (!split_) {
            files << QStringLiteral("donnees.sql");
        } else {
            if (checked(s_.opt_albums)) {
                files << partNames(QStringLiteral("AUTEURS"), authorsParts_)
                      << QStringLiteral("donnees_SERIES.sql")
                      << partNames(QStringLiteral("ALBUMS"), albumsParts_);
            }
            if (checked(s_.opt_acheter)) {
                files << QStringLiteral("donnees_AUTEURS2.sql")
                      << QStringLiteral("donnees_SERIES2.sql")
                      << QStringLiteral("donnees_ACHETER.sql");
            }
            if (checked(s_.opt_parabd)) {
                files << QStringLiteral("donnees_AUTEURS3.sql")
                      << QStringLiteral("donnees_SERIES3.sql")
                      << QStringLiteral("donnees_PARABD.sql");
            }
            if (checked(s_.opt_revues)) {
                files << QStringLiteral("donnees_REVUES.sql");
            }
        }
        QString text = QStringLiteral("Génération des donnees terminée");
        for (const QString& file : files) {
            text += u'\n' + folder_ + u'/' + file;
        }
        return text;
    }

    Settings& s_;
    QString folder_, prefix_, version_;
    QString mended_;  // what this run finished of a killed one
    bool split_;
    QDateTime now_;                   // the one reading of the clock: the export is of one day
    std::optional<ExportLock> lock_;  // held until what was written aside is gone
    std::unique_ptr<dao::Database> db_;
    ScriptSet scripts_;
    qint32 splitSize_ = 0;  // rows per part file of a split collection
    DataScript out_;
    qint32 authorsParts_ = 0, albumsParts_ = 0;
    bool collectionExported_ = false;
    bool wishLinksHeld_ = false;  // written with the collection's album files
    ExportMarks marks_;
};

}  // namespace

bool btn_Donnees_SQL_Click(Settings& settings, Prompt& prompt) {
    return RunDataExport(settings, prompt, QStringLiteral("Kalvorform.btn_donnees_SQL_click"),
                         [&](ExportMarks& marks) {
                             FullExport run(settings);
                             const QString summary = run.Run();
                             marks = run.marks();
                             return summary;
                         });
}

}  // namespace kalvor
