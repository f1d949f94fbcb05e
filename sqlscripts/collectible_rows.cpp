#include "sqlscripts/collectible_rows.h"

#include "catalogue/catalogue_schema.h"
#include "common/vb.h"
#include "platform/dao/database.h"
#include "sqlscripts/data_script.h"
#include "sqlscripts/row_line.h"
#include "sqlscripts/row_values.h"
#include "sqlscripts/site_codes.h"
#include "sqlscripts/sql_values.h"

namespace kalvor::collectible_rows {
namespace {

// A Null type or category is an object of no known kind: "Divers".
int typeCode(const RowLine& line, const dao::RowCursor& item) {
    using namespace catalogue::exlibris;
    const QVariant type = item.Value(TypeObjet), category = item.Value(CategorieObjet);
    if (type.isNull() || category.isNull()) {
        return 1000;
    }
    qint32 t = 0, c = 0;
    line.Checked(item, TypeObjet, [&] { t = vb::CLng(type); });
    line.Checked(item, CategorieObjet, [&] { c = vb::CLng(category); });
    return site_codes::GetTypeObjet(t, c);
}

}  // namespace

QString CollectibleQuery(const QString& GV_Version_Base, std::optional<qint32> aboveId) {
    if (catalogue::IsV6(GV_Version_Base)) {
        return QStringLiteral(
                   "select IdParabd as IdExlibris, IdAlbum,IdSerie,descriptif as "
                   "Description,IdAuteur as IdDessinateur,DateSortie as DL,Numero,Tirage as "
                   "Nombre,Largeur,Hauteur,Fabricant as Libraire,Editeur,Signe,HorsCommerce as "
                   "HC,0 as EA,0 as TireAPart,TypeObjet,Aspect as TypeCouleur,Image1 as "
                   "ImageEx,DateAchat,CategorieObjet,Commentaire from PARABD") +
               (aboveId ? QStringLiteral(" where idParabd > %1").arg(*aboveId) : QString());
    }
    return QStringLiteral(
               "select IdExlibris, "
               "IdAlbum,IdSerie,Description,IdDessinateur,DL,Numero,Nombre,Largeur,Hauteur,"
               "Libraire,Editeur,Signe,HC,EA,TireAPart,TypeObjet,TypeCouleur,ImageEx,DateAchat,"
               "999 as CategorieObjet,Commentaire from EXLIBRIS") +
           (aboveId ? QStringLiteral(" where idExlibris > %1").arg(*aboveId) : QString());
}

// The site's largeur and longueur: a number's fifteen digits, sign, point
// and exponent; a text there, longer, would be cut.
constexpr size_t kDimension = 24;

const std::string& CollectibleRow(RowLine& line, const dao::RowCursor& item) {
    using namespace catalogue::exlibris;
    line.Start()
        .Identifier(item, IdExlibris)
        .NumberOrNull(item, IdAlbum)
        .NumberOrNull(item, IdSerie)
        .QuotedText(item, Description)
        .NumberOrNull(item, IdDessinateur)
        .LegalDeposit(item, DL);
    QString numero;
    line.Checked(item, Numero,
                 [&] { numero = sql::NumeroOrNull(RowLine::NumberValue(item, Numero)); });
    line.Value(numero)
        .NumberOrNull(item, Nombre)
        .QuotedNumber(item, Largeur, kDimension)
        .QuotedNumber(item, Hauteur, kDimension)
        .QuotedText(item, Libraire)
        .QuotedText(item, Editeur)
        .YesNo(item, Signe)
        .YesNo(item, HC);
    return line.YesNo(item, EA)
        .YesNo(item, TireAPart)
        .Value(typeCode(line, item))
        .BareValue(item, TypeCouleur)
        .QuotedText(item, ImageEx)
        .Comment(item, Count)
        .Value(sql::Null())
        .Value(sql::Null())
        .QuotedDate(item, DateAchat)
        .Bytes();
}

void WriteCollectibles(dao::Database& db, const QString& GV_Version_Base, const QString& prefix,
                       DataScript& out) {
    auto items = db.OpenCursor(CollectibleQuery(GV_Version_Base));
    RowLine line(out.Utf8(), RowLine::Head(out.Utf8(), prefix, QStringLiteral("parabd")));
    while (items->Next()) {
        out.WriteBytes(CollectibleRow(line, *items));
    }
}

}  // namespace kalvor::collectible_rows
