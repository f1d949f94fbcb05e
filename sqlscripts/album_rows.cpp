#include "sqlscripts/album_rows.h"

#include "catalogue/catalogue_schema.h"
#include "platform/dao/database.h"
#include "sqlscripts/collaborator_rows.h"
#include "sqlscripts/data_script.h"
#include "sqlscripts/row_values.h"
#include "sqlscripts/sql_statements.h"
#include "sqlscripts/sql_values.h"

namespace kalvor::album_rows {

QString AlbumSource(ExportGroup group, const QString& GV_Version_Base, const QString& condition) {
    const bool wishList = group == ExportGroup::Acheter;
    if (!catalogue::IsV6(GV_Version_Base)) {
        const QString table = wishList ? QStringLiteral("ACHETER") : QStringLiteral("ALBUMS");
        return condition.isEmpty() ? table
                                   : QStringLiteral("select * from ") + table +
                                         QStringLiteral(" where ") + condition;
    }
    if (!condition.isEmpty()) {
        return AlbumSource(group, GV_Version_Base).chopped(1) + QStringLiteral(" and ") + condition;
    }
    return QStringLiteral(
               "select IdAlbum, Num, Titre, IdSerie, IdDessinateur, IdScenariste, DateAchat, "
               "PrixAchat, Editeur, Etat, Format, EdO, HorsSerie, Integrale, EditionLimitee, "
               "Collection, CoteActuelle, Reference, DL, Commentaire, Couverture, Possede, "
               "Appreciation as NoteAlbum, idColoriste, Broche, Dedicace, ExLibris, NbPAges, "
               "Perso1, Perso2, Perso3, NumA, Perso4, Prete from ALBUMS where AAcheter=") +
           (wishList ? QStringLiteral("1;") : QStringLiteral("0;"));
}

std::unique_ptr<dao::Recordset> OpenAlbums(dao::Database& db, ExportGroup group,
                                           const QString& GV_Version_Base) {
    return db.OpenRecordset(AlbumSource(group, GV_Version_Base));
}

std::unique_ptr<dao::Recordset> OpenAlbumsById(dao::Database& db, ExportGroup group,
                                               const QString& GV_Version_Base) {
    QString source = AlbumSource(group, GV_Version_Base);
    if (catalogue::IsV6(GV_Version_Base)) {
        source.chop(1);  // its ";"
    } else {
        source = QStringLiteral("select * from ") + source;
    }
    return db.OpenRecordset(source + QStringLiteral(" order by IdAlbum"));
}

ScriptLine AlbumRow(const QString& prefix, const QString& table, const dao::Recordset& album,
                    Cote cote) {
    using namespace catalogue::album;
    const auto f = [&album](int position) { return album.Fields(position); };
    return sql::InsertRow(prefix, table,
                          {sql::Identifier(f(IdAlbum)),
                           sql::NumberOrNull(f(Num)),
                           sql::QuotedText(f(Titre)),
                           sql::BareValue(f(IdSerie)),
                           sql::BareValue(f(IdDessinateur)),
                           sql::BareValue(f(IdScenariste)),
                           sql::DateOrNull(f(DateAchat)),
                           sql::QuotedText(f(Editeur)),
                           sql::BareValue(f(Format)),
                           sql::QuotedText(f(Collection)),
                           cote == Cote::Whole ? sql::WholeOrNull(f(CoteActuelle))
                                               : sql::NumberOrNull(f(CoteActuelle)),
                           sql::QuotedText(f(Reference)),
                           sql::LegalDeposit(f(DL)),
                           sql::QuotedText(f(Couverture)),
                           sql::Rating(f(NoteAlbum)),
                           sql::BareValue(f(idColoriste)),
                           sql::YesNo(f(Broche)),
                           sql::NumberOrNull(f(NbPAges)),
                           sql::QuotedText(f(NumA)),
                           sql::QuotedText(f(ExLibris)),
                           sql::YesNo(f(EdO)),
                           sql::YesNo(f(Integrale)),
                           sql::QuotedText(f(Dedicace)),
                           sql::Memo(sql::Escaped(f(Commentaire))),
                           sql::QuotedText(f(Perso1)),
                           sql::QuotedText(f(Perso2)),
                           sql::QuotedText(f(Perso3)),
                           sql::CustomNumber(f(Perso4)),
                           sql::YesNo(f(HorsSerie)),
                           sql::YesNo(f(EditionLimitee))});
}

void WriteAlbums(dao::Recordset& albums, const QString& prefix, const QString& table,
                 DataScript& out, collaborator_rows::LinkWriter& links,
                 const std::function<void()>& afterRow) {
    using namespace catalogue::album;
    if (albums.RecordCount() == 0) {
        return;
    }
    for (albums.MoveFirst(); !albums.Eof(); albums.MoveNext()) {
        out.Write(AlbumRow(prefix, table, albums));
        links.WriteOwnLinks(albums.Fields(IdAlbum), albums.Fields(IdScenariste),
                            albums.Fields(IdDessinateur), albums.Fields(idColoriste));
        if (afterRow) {
            afterRow();
        }
    }
}

}  // namespace kalvor::album_rows
