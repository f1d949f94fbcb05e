#include "sqlscripts/full_export.h"

#include <QDir>
#include <QFileInfo>
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
#include "settings/settings.h"
#include "sqlscripts/album_rows.h"
#include "sqlscripts/author_rows.h"
#include "sqlscripts/collaborator_rows.h"
#include "sqlscripts/collectible_rows.h"
#include "sqlscripts/data_export_run.h"
#include "sqlscripts/data_script.h"
#include "sqlscripts/magazine_rows.h"
#include "sqlscripts/schema_scripts.h"
#include "sqlscripts/series_rows.h"
#include "sqlscripts/sql_statements.h"

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
    explicit FullExport(const Settings& s)
        : s_(s),
          folder_(schema_scripts::ScriptsFolder(s.GV_Export)),
          prefix_(s.GV_Prefixe_Table),
          version_(s.GV_Version_Base),
          split_(s.Opt_split_yes()),
          out_(s.opt_utf8()),
          linkFile_(s.opt_utf8()) {}

    QString Run() {
        RequireTablePrefix(prefix_);
        makeFolder();
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
        out_.Write(sql::LastUpdate(prefix_));
        out_.Close();
        return summary();
    }

    const ExportMarks& marks() const { return marks_; }

  private:
    // Counts the rows of a table cut into parts and starts the next part
    // file when one is full and more rows follow.
    class Parts {
      public:
        Parts(FullExport* run, QString stem, qint32 rows, qint32 size, qint32 parts)
            : run_(run), stem_(std::move(stem)), rows_(rows), size_(size), parts_(parts) {}
        void Row() {
            ++count_;
            if (count_ % size_ == 0 && count_ < rows_) {
                run_->open(partName(stem_, count_ / size_ + 1, parts_));
            }
        }

      private:
        FullExport* run_;
        QString stem_;
        qint32 rows_, size_, parts_;
        qint32 count_ = 0;
    };

    void makeFolder() { schema_scripts::MakeScriptsFolder(s_.GV_Export); }

    void open(const QString& name) { out_.Open(folder_ + u'/' + name); }
    void openIfSplit(const QString& name) {
        if (split_) {
            open(name);
        }
    }

    std::unique_ptr<dao::Database> openCatalogue() {
        return dao::DBEngine::OpenDatabase(s_.GV_Chemin_Base);
    }

    qint32 splitSize() const {
        const qint32 size = vb::CLng(QVariant(s_.box_SplitGroup));
        if (size < 1) {
            throw Error(err::InvalidArgument,
                        QStringLiteral("Argument ou appel de procédure incorrect"));
        }
        return size;
    }

    static qint32 partCount(qint32 rows, qint32 size) {
        return rows / size + (rows % size ? 1 : 0);
    }

    // The highest id of a query, when the table has one.
    static std::optional<qint32> highest(dao::Database& db, const QString& sql) {
        auto rs = db.OpenRecordset(sql);
        const QVariant max = rs->Fields(0);
        rs->Close();
        if (max.isNull()) {
            return std::nullopt;
        }
        return vb::CLng(max);
    }

    void collection() {
        auto db = openCatalogue();
        auto authors = author_rows::OpenAuthors(
            *db, author_rows::AuthorIdQuery(ExportGroup::Albums, version_));
        const qint32 size = split_ ? splitSize() : 0;
        std::optional<Parts> authorParts;
        if (split_) {
            const qint32 rows = qint32(authors->RecordCount());
            authorsParts_ = partCount(rows, size);
            authorParts.emplace(this, QStringLiteral("AUTEURS"), rows, size, authorsParts_);
            open(partName(QStringLiteral("AUTEURS"), 1, authorsParts_));
        }
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("auteurs")));
        author_rows::WriteAuthors(*db, *authors, prefix_, QStringLiteral("auteurs"), out_,
                                  [&authorParts] {
                                      if (authorParts) {
                                          authorParts->Row();
                                      }
                                  });
        authors.reset();

        openIfSplit(QStringLiteral("donnees_SERIES.sql"));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("series")));
        series_rows::WriteSeries(*db, ExportGroup::Albums, version_, prefix_, out_);

        auto albums = album_rows::OpenAlbums(*db, ExportGroup::Albums, version_);
        std::optional<Parts> albumParts;
        if (split_) {
            const qint32 rows = qint32(albums->RecordCount());
            albumsParts_ = partCount(rows, size);
            albumParts.emplace(this, QStringLiteral("ALBUMS"), rows, size, albumsParts_);
            open(partName(QStringLiteral("ALBUMS"), 1, albumsParts_));
        }
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("albums")));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("collaborateurs")));
        collaborator_rows::LinkWriter links(prefix_);
        links.SetTarget(&out_);
        album_rows::WriteAlbums(*albums, prefix_, QStringLiteral("albums"), out_, links,
                                [&albumParts] {
                                    if (albumParts) {
                                        albumParts->Row();
                                    }
                                });
        albums.reset();
        if (s_.Opt_Collaborateurs != 0) {
            links.WriteExtraCollaborators(*db, ExportGroup::Albums, version_);
        }
        db->Close();
        collectionExported_ = true;
        marks_.lastRun = vb::Format(vb::Now(), QStringLiteral("dd/mm/yyyy"));
        marks_.changed = true;
    }

    void wishList() {
        // The links of the wish list follow the collection's, after the one
        // line that empties the table, whatever order the files are loaded in.
        if (split_ && collectionExported_) {
            linkFile_ = std::move(out_);
            out_ = DataScript(s_.opt_utf8());
        }
        openIfSplit(QStringLiteral("donnees_AUTEURS2.sql"));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("auteurs2")));
        auto db = openCatalogue();
        auto authors = author_rows::OpenAuthors(
            *db, author_rows::AuthorIdQuery(ExportGroup::Acheter, version_));
        author_rows::WriteAuthors(*db, *authors, prefix_, QStringLiteral("auteurs2"), out_);
        authors.reset();

        openIfSplit(QStringLiteral("donnees_SERIES2.sql"));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("series2")));
        series_rows::WriteSeries(*db, ExportGroup::Acheter, version_, prefix_, out_);

        auto albums = album_rows::OpenAlbums(*db, ExportGroup::Acheter, version_);
        openIfSplit(QStringLiteral("donnees_ACHETER.sql"));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("acheter")));
        collaborator_rows::LinkWriter links(prefix_);
        links.SetTarget(linkFile_.IsOpen() ? &linkFile_ : &out_);
        // Without the collection the site's links are not emptied first.
        links.SetReplacing(!collectionExported_);
        if (collectionExported_ && !catalogue::IsV6(version_)) {
            links.ExcludeCollectionLinksOfWishList(*db, s_.Opt_Collaborateurs != 0);
        }
        album_rows::WriteAlbums(*albums, prefix_, QStringLiteral("acheter"), out_, links);
        albums.reset();
        if (const auto id = highest(
                *db, catalogue::IsV6(version_)
                         ? QStringLiteral("select max(IdAlbum) from ALBUMS where AAcheter=1")
                         : QStringLiteral("select max(IdAlbum) from ACHETER"))) {
            marks_.lastId = *id;
        }
        marks_.changed = true;
        if (s_.Opt_Collaborateurs != 0) {
            links.WriteExtraCollaborators(*db, ExportGroup::Acheter, version_);
        }
        db->Close();
        linkFile_.Close();
    }

    void magazines() {
        auto db = openCatalogue();
        openIfSplit(QStringLiteral("donnees_REVUES.sql"));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("series4")));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("revues")));
        magazine_rows::WriteMagazines(*db, version_, prefix_, out_);
        if (const auto id = highest(*db, QStringLiteral("select max(IdRevue) from REVUES"))) {
            marks_.lastIdRevue = *id;
        }
        marks_.changed = true;
        db->Close();
    }

    void collectibles() {
        openIfSplit(QStringLiteral("donnees_AUTEURS3.sql"));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("auteurs3")));
        auto db = openCatalogue();
        auto authors = author_rows::OpenAuthors(
            *db, author_rows::AuthorIdQuery(ExportGroup::Parabd, version_));
        author_rows::WriteAuthors(*db, *authors, prefix_, QStringLiteral("auteurs3"), out_);
        authors.reset();

        openIfSplit(QStringLiteral("donnees_SERIES3.sql"));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("series3")));
        series_rows::WriteSeries(*db, ExportGroup::Parabd, version_, prefix_, out_);

        openIfSplit(QStringLiteral("donnees_PARABD.sql"));
        out_.Write(sql::DeleteRows(prefix_, QStringLiteral("parabd")));
        collectible_rows::WriteCollectibles(*db, version_, prefix_, out_);
        if (const auto id =
                highest(*db, catalogue::IsV6(version_)
                                 ? QStringLiteral("select max(IdParabd) from PARABD")
                                 : QStringLiteral("select max(IdEXlibris) from EXLIBRIS"))) {
            marks_.lastIdPara = *id;
        }
        marks_.changed = true;
        db->Close();
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

    const Settings& s_;
    QString folder_, prefix_, version_;
    bool split_;
    DataScript out_;
    DataScript linkFile_;  // the last album file while the wish list adds its links
    qint32 authorsParts_ = 0, albumsParts_ = 0;
    bool collectionExported_ = false;
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
