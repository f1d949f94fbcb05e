#include "sqlscripts/album_rows.h"

#include "catalogue/catalogue_schema.h"
#include "platform/dao/database.h"
#include "platform/error.h"
#include "sqlscripts/collaborator_rows.h"
#include "sqlscripts/data_script.h"
#include "sqlscripts/row_line.h"
#include "sqlscripts/sql_values.h"

namespace kalvor::album_rows {

namespace {

// A newer catalogue's albums of one group; `scan` reads the table in its
// own order rather than through the flag's index.
QString v6Albums(bool wishList, bool scan) {
    return QStringLiteral(
               "select IdAlbum, Num, Titre, IdSerie, IdDessinateur, IdScenariste, DateAchat, "
               "PrixAchat, Editeur, Etat, Format, EdO, HorsSerie, Integrale, EditionLimitee, "
               "Collection, CoteActuelle, Reference, DL, Commentaire, Couverture, Possede, "
               "Appreciation as NoteAlbum, idColoriste, Broche, Dedicace, ExLibris, NbPAges, "
               "Perso1, Perso2, Perso3, NumA, Perso4, Prete from ALBUMS") +
           (scan ? QStringLiteral(" NOT INDEXED") : QString()) +
           (wishList ? QStringLiteral(" where AAcheter=1") : QStringLiteral(" where AAcheter=0"));
}

}  // namespace

QString AlbumSource(ExportGroup group, const QString& GV_Version_Base, const QString& condition) {
    const bool wishList = group == ExportGroup::Acheter;
    // The collection is read in the table's own order: an index on the
    // flag or on the condition's column would fetch the albums one by one,
    // most of the table or all of it. The wish list of a newer catalogue is
    // a small part of its table, which the flag's index finds in the same
    // order.
    if (!catalogue::IsV6(GV_Version_Base)) {
        const QString table = wishList ? QStringLiteral("ACHETER") : QStringLiteral("ALBUMS");
        return condition.isEmpty() ? table
                                   : QStringLiteral("select * from ") + table +
                                         QStringLiteral(" NOT INDEXED where ") + condition;
    }
    QString source = v6Albums(wishList, !wishList);
    if (!condition.isEmpty()) {
        source += QStringLiteral(" and ") + condition;
    }
    return source + u';';
}

std::unique_ptr<dao::RowCursor> OpenAlbums(dao::Database& db, ExportGroup group,
                                           const QString& GV_Version_Base) {
    return db.OpenCursor(AlbumSource(group, GV_Version_Base));
}

QString AlbumsByIdSource(ExportGroup group, const QString& GV_Version_Base) {
    // In the order of their ids, which the engine chooses how to give.
    const QString source =
        catalogue::IsV6(GV_Version_Base)
            ? v6Albums(group == ExportGroup::Acheter, false)
            : QStringLiteral("select * from ") + AlbumSource(group, GV_Version_Base);
    return source + QStringLiteral(" order by IdAlbum");
}

const std::string& AlbumRow(RowLine& line, const dao::RowCursor& album, Cote cote) {
    using namespace catalogue::album;
    line.Start()
        .Identifier(album, IdAlbum)
        .NumberOrNull(album, Num)
        .QuotedText(album, Titre)
        .BareValue(album, IdSerie)
        .BareValue(album, IdDessinateur)
        .BareValue(album, IdScenariste)
        .DateOrNull(album, DateAchat)
        .QuotedText(album, Editeur)
        .BareValue(album, Format)
        .QuotedText(album, Collection);
    if (cote == Cote::Whole) {
        line.WholeOrNull(album, CoteActuelle);
    } else {
        line.NumberOrNull(album, CoteActuelle);
    }
    return line.QuotedText(album, Reference)
        .LegalDeposit(album, DL)
        .QuotedText(album, Couverture)
        .Rating(album, NoteAlbum)
        .BareValue(album, idColoriste)
        .YesNo(album, Broche)
        .NumberOrNull(album, NbPAges)
        .QuotedText(album, NumA)
        .QuotedText(album, ExLibris)
        .YesNo(album, EdO)
        .YesNo(album, Integrale)
        .QuotedText(album, Dedicace)
        .Comment(album, Commentaire)
        .QuotedText(album, Perso1)
        .QuotedText(album, Perso2)
        .QuotedText(album, Perso3)
        .CustomNumber(album, Perso4)
        .YesNo(album, HorsSerie)
        .YesNo(album, EditionLimitee)
        .Bytes();
}

void RequireReadablePurchaseDates(dao::Database& db, const QString& GV_Version_Base) {
    auto albums = db.OpenCursor(
        catalogue::IsV6(GV_Version_Base)
            ? QStringLiteral("select IdAlbum, DateAchat from ALBUMS NOT INDEXED where "
                             "AAcheter=0 and DateAchat is not null")
            : QStringLiteral("select IdAlbum, DateAchat from ALBUMS where DateAchat is not null"));
    RowLine line(false, std::string());
    while (albums->Next()) {
        line.Start().Identifier(*albums, 0).DateOrNull(*albums, 1);
    }
}

void RequireListFlags(dao::Database& db, const QString& GV_Version_Base) {
    if (!catalogue::IsV6(GV_Version_Base)) {
        return;
    }
    // Ranges of the flag's order, which its index finds at once.
    auto odd = db.OpenCursor(QStringLiteral(
        "select IdAlbum, AAcheter from ALBUMS where AAcheter is null or AAcheter < 0 or "
        "(AAcheter > 0 and AAcheter < 1) or AAcheter > 1"));
    if (odd->Next()) {
        throw Error(err::TypeMismatch,
                    QStringLiteral("Incompatibilité de type (table ALBUMS, IdAlbum %1, colonne "
                                   "AAcheter : « %2 »)")
                        .arg(sql::TextForm(odd->Value(0)), sql::TextForm(odd->Value(1)).left(60)));
    }
}

void WriteAlbums(dao::RowCursor& albums, const QString& prefix, const QString& table,
                 DataScript& out, collaborator_rows::LinkWriter& links,
                 const std::function<void()>& afterRow) {
    RowLine line(out.Utf8(), RowLine::Head(out.Utf8(), prefix, table));
    while (albums.Next()) {
        out.WriteBytes(AlbumRow(line, albums));
        links.WriteOwnLinks(albums);
        if (afterRow) {
            afterRow();
        }
    }
}

}  // namespace kalvor::album_rows
