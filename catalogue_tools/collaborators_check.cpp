#include "catalogue_tools/collaborators_check.h"

#include <memory>

#include "common/banner.h"
#include "common/operation.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "settings/settings.h"

namespace kalvor::collaborators {
namespace {

const QString kAlbumSelect =
    QStringLiteral("select a.idserie, s.titre, idalbum, num, a.titre from SERIES s, ");
const QString kSeriesJoin = QStringLiteral(" a where a.idserie=s.idserie and ");

constexpr int kInvalidUseOfNull = 94;

struct Role {
    QString word;
    QString column;  // the album's main author of that role
};

// Rows of another type have no role: only their author record is looked at.
bool roleOf(const QVariant& type, Role& role) {
    if (type.isNull()) {
        return false;
    }
    switch (type.toInt()) {
        case 0:
            role = {QStringLiteral("scénariste"), QStringLiteral("idscenariste")};
            return true;
        case 1:
            role = {QStringLiteral("dessinateur"), QStringLiteral("iddessinateur")};
            return true;
        case 2:
            role = {QStringLiteral("coloriste"), QStringLiteral("idcoloriste")};
            return true;
        default:
            return false;
    }
}

// Where the albums of one collection are, and what the report calls it. The
// newer catalogue keeps both collections in ALBUMS, told apart by AAcheter.
struct Collection {
    QString table;
    QString filter;
    QString name;
};

QString idText(const QVariant& value, const char* column) {
    bool ok = false;
    const qlonglong id = value.toLongLong(&ok);
    if (value.isNull() || !ok) {
        throw Error(kInvalidUseOfNull,
                    QStringLiteral("Utilisation incorrecte de Null : une ligne de "
                                   "COLLABORATEURS n'a pas de valeur dans ") +
                        QString::fromLatin1(column));
    }
    return QString::number(id);
}

// Adds an entry from the first row of the query that found the album: series
// title, number and album title; a Null column adds nothing. The report begins
// with its first entry, each later one on a line of its own.
void addEntry(QString& report, dao::Recordset& album, const QString& ending) {
    if (!report.isEmpty()) {
        report += QStringLiteral("\n\r");
    }
    report += album.Fields(1).toString() + QStringLiteral(" - ") + album.Fields(3).toString() +
              QStringLiteral(" - ") + album.Fields(4).toString() + ending;
}

}  // namespace

QString Check_Collaborateurs(const QString& path, const QString& version) {
    std::vector<Collection> collections;
    if (version == QStringLiteral("v6")) {
        collections = {{QStringLiteral("ALBUMS"), QStringLiteral(" and a.AAcheter = 0"),
                        QStringLiteral("ALBUMS")},
                       {QStringLiteral("ALBUMS"), QStringLiteral(" and a.AAcheter = 1"),
                        QStringLiteral("ACHETER")}};
    } else {
        collections = {{QStringLiteral("ALBUMS"), QString(), QStringLiteral("ALBUMS")},
                       {QStringLiteral("ACHETER"), QString(), QStringLiteral("ACHETER")}};
    }

    QString report;
    std::unique_ptr<dao::Database> db = dao::DBEngine::OpenDatabase(path);
    std::unique_ptr<dao::Recordset> rows = db->OpenRecordset(QStringLiteral("COLLABORATEURS"));
    for (; !rows->Eof(); rows->MoveNext()) {
        const QString idAuteur = idText(rows->Fields(QStringLiteral("IdAuteur")), "IdAuteur");
        const QString idAlbum = idText(rows->Fields(QStringLiteral("IdAlbum")), "IdAlbum");
        Role role;
        const bool hasRole = roleOf(rows->Fields(QStringLiteral("TypeCollaboration")), role);
        if (hasRole) {
            for (const Collection& c : collections) {
                auto album = db->OpenRecordset(
                    kAlbumSelect + c.table + kSeriesJoin + role.column + QStringLiteral(" = ") +
                    idAuteur + QStringLiteral(" and idAlbum = ") + idAlbum + c.filter);
                if (!album->Eof()) {
                    addEntry(report, *album,
                             QStringLiteral(", le ") + role.word +
                                 QStringLiteral(" est indiqué aussi en tant que "
                                                "collaborateur (") +
                                 c.name + QStringLiteral(")"));
                }
            }
        }
        auto author =
            db->OpenRecordset(QStringLiteral("select * from Auteurs where idAuteur = ") + idAuteur);
        if (author->Eof()) {
            for (const Collection& c : collections) {
                auto album = db->OpenRecordset(kAlbumSelect + c.table + kSeriesJoin +
                                               QStringLiteral("idAlbum = ") + idAlbum + c.filter);
                if (!album->Eof()) {
                    addEntry(report, *album,
                             QStringLiteral(", aucune fiche auteur (") + idAuteur +
                                 QStringLiteral(") pour le ") + role.word +
                                 QStringLiteral(" indiqué comme collaborateur (") + c.name +
                                 QStringLiteral(")"));
                }
            }
        }
    }
    db->Close();
    return report;
}

void btn_collaborateurs_Click(Settings& settings, Prompt& prompt) {
    const OnFailure onFailure{
        .title = kBanner,
        .message = QStringLiteral("impossible d'effectuer la vérification de la base"),
        .erreurs = &settings.GV_Erreurs,
        .erreursPrefix = QStringLiteral("\nerreur vérification base : "),
        .logLabel = QStringLiteral("Kalvorform.btn_collaborateurs_click"),
        .busy = true};
    QString report;
    if (!RunOperation(prompt, onFailure, [&] {
            report = Check_Collaborateurs(settings.GV_Chemin_Base, settings.GV_Version_Base);
        })) {
        return;
    }
    if (report.isEmpty()) {
        prompt.message(QStringLiteral("Pas d'anomalie dans la base"),
                       QStringLiteral("Vérification des Collaborateurs"), PromptIcon::Information);
    } else {
        prompt.message(report, QStringLiteral("Erreurs dans les collaborateurs"),
                       PromptIcon::Exclamation);
    }
}

}  // namespace kalvor::collaborators
