#include "sqlscripts/collectible_rows.h"

#include "catalogue/catalogue_schema.h"
#include "common/vb.h"
#include "platform/dao/database.h"
#include "sqlscripts/data_script.h"
#include "sqlscripts/memo_text.h"
#include "sqlscripts/row_values.h"
#include "sqlscripts/site_codes.h"
#include "sqlscripts/sql_statements.h"
#include "sqlscripts/sql_values.h"

namespace kalvor::collectible_rows {
namespace {

// A Null type or category is an object of no known kind: "Divers".
int typeCode(const QVariant& type, const QVariant& category) {
    if (type.isNull() || category.isNull()) {
        return 1000;
    }
    return site_codes::GetTypeObjet(vb::CLng(type), vb::CLng(category));
}

}  // namespace

QString CollectibleQuery(const QString& GV_Version_Base, std::optional<qint32> aboveId) {
    if (catalogue::IsV6(GV_Version_Base)) {
        return QStringLiteral(
                   "select IdParabd as IdExlibris, IdAlbum,IdSerie,descriptif as "
                   "Description,IdAuteur as IdDessinateur,DateSortie as DL,Numero,Tirage as "
                   "Nombre,Largeur,Hauteur,Fabricant as Libraire,Editeur,Signe,HorsCommerce as "
                   "HC,%1 as EA,0 as TireAPart,TypeObjet,Aspect as TypeCouleur,Image1 as "
                   "ImageEx,DateAchat,CategorieObjet,Commentaire from PARABD")
                   .arg(aboveId ? QStringLiteral("CategorieObjet") : QStringLiteral("0")) +
               (aboveId ? QStringLiteral(" where idParabd > %1").arg(*aboveId) : QString());
    }
    return QStringLiteral(
               "select IdExlibris, "
               "IdAlbum,IdSerie,Description,IdDessinateur,DL,Numero,Nombre,Largeur,Hauteur,"
               "Libraire,Editeur,Signe,HC,EA,TireAPart,TypeObjet,TypeCouleur,ImageEx,DateAchat,"
               "999 as CategorieObjet,Commentaire from EXLIBRIS") +
           (aboveId ? QStringLiteral(" where idExlibris > %1").arg(*aboveId) : QString());
}

ScriptLine CollectibleRow(dao::Database& db, const QString& GV_Version_Base, const QString& prefix,
                          const dao::Recordset& item) {
    using namespace catalogue::exlibris;
    const bool v6 = catalogue::IsV6(GV_Version_Base);
    const auto f = [&item](int position) { return item.Fields(position); };
    const QString id = sql::Identifier(f(IdExlibris));
    const QString comment = item.FieldCount() > Count ? sql::Escaped(f(Count))
                            : v6 ? memo_text::GetCommentaire(db, QStringLiteral("PARABD"),
                                                             QStringLiteral("IdParabd"), id)
                                 : memo_text::GetCommentaire(db, QStringLiteral("EXLIBRIS"),
                                                             QStringLiteral("IdExlibris"), id);
    return sql::InsertRow(
        prefix, QStringLiteral("parabd"),
        {id, sql::NumberOrNull(f(IdAlbum)), sql::NumberOrNull(f(IdSerie)),
         sql::QuotedText(f(Description)), sql::NumberOrNull(f(IdDessinateur)),
         sql::LegalDeposit(f(DL)), sql::NumeroOrNull(f(Numero)), sql::NumberOrNull(f(Nombre)),
         sql::QuotedText(f(Largeur)), sql::QuotedText(f(Hauteur)), sql::QuotedText(f(Libraire)),
         sql::QuotedText(f(Editeur)), sql::YesNo(f(Signe)), sql::YesNo(f(HC)),
         // A "v6" query may put the category here, a number rather than a flag.
         v6 ? sql::BareValue(f(EA)) : sql::YesNo(f(EA)), sql::YesNo(f(TireAPart)),
         QString::number(typeCode(f(TypeObjet), f(CategorieObjet))), sql::BareValue(f(TypeCouleur)),
         sql::QuotedText(f(ImageEx)), sql::Memo(comment), sql::Null(), sql::Null(),
         sql::QuotedDate(f(DateAchat))});
}

void WriteCollectibles(dao::Database& db, const QString& GV_Version_Base, const QString& prefix,
                       DataScript& out) {
    auto items = db.OpenRecordset(CollectibleQuery(GV_Version_Base));
    for (; !items->Eof(); items->MoveNext()) {
        out.Write(CollectibleRow(db, GV_Version_Base, prefix, *items));
    }
    items->Close();
}

}  // namespace kalvor::collectible_rows
