#include "sitecheck/site_comparison.h"

#include <QHash>

#include "catalogue/catalogue_schema.h"
#include "common/banner.h"
#include "common/vb.h"
#include "platform/dao/db_engine.h"
#include "platform/dao/jet_text.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "sitecheck/site_work_tables.h"
#include "sitecheck/work_batch.h"

namespace kalvor::site {
namespace {

const QString kEmpty = QStringLiteral("\"\"");

// The five statements of one set of albums: `table` with, in the newer
// layout, the AAcheter value that selects the set.
QList<CatalogueReference> albumReferences(const QString& table, const QString& aacheter,
                                          bool collaborateurs) {
    const auto only = [&](const QString& alias) {
        return aacheter.isEmpty()
                   ? QString()
                   : alias + QStringLiteral(".AAcheter = ") + aacheter + QStringLiteral(" and ");
    };
    const QString where = QStringLiteral(" where ") + only(table);
    QList<CatalogueReference> refs;
    for (const char* column : {"couverture", "dedicace", "exlibris"}) {
        const QString c = QString::fromLatin1(column);
        refs.append({c == u"couverture" ? QStringLiteral("couvertures")
                     : c == u"dedicace" ? QStringLiteral("dedicaces")
                                        : QStringLiteral("versos"),
                     QStringLiteral("select ") + c + QStringLiteral(" from ") + table + where + c +
                         QStringLiteral(" <> ") + kEmpty});
    }
    QStringList photos;
    for (const char* role : {"IdDessinateur", "IdScenariste", "IdColoriste"}) {
        photos << QStringLiteral("SELECT surnom from AUTEURS, ") + table +
                      QStringLiteral(" where ") + table + u'.' + QString::fromLatin1(role) +
                      QStringLiteral(" = AUTEURS.idauteur and ") + only(table) +
                      QStringLiteral("surnom <> ") + kEmpty + u' ';
    }
    if (collaborateurs) {
        photos << QStringLiteral("SELECT surnom from AUTEURS, ") + table +
                      QStringLiteral(
                          ", COLLABORATEURS where COLLABORATEURS.IdAuteur = "
                          "AUTEURS.idAuteur and ") +
                      only(table) + QStringLiteral("surnom <> ") + kEmpty +
                      QStringLiteral(" and ") + table +
                      QStringLiteral(".IdAlbum = COLLABORATEURS.IdAlbum ");
    }
    refs.append({QStringLiteral("photos"), photos.join(QStringLiteral("Union "))});
    refs.append({QStringLiteral("planches"),
                 QStringLiteral("select distinct planche from SERIES A, ") + table +
                     QStringLiteral(" B where A.idSERIE = B.idSERIE and ") +
                     only(QStringLiteral("B")) + QStringLiteral("planche <> ") + kEmpty});
    return refs;
}

// Case-insensitive key of a listed file of a kind, as the engine compares.
QString lookupKey(const QString& type, const QString& file) {
    return type + u'\n' + file.toCaseFolded();
}

struct ListedImage {
    QString file;
    QDateTime creation;
};

}  // namespace

QList<CatalogueReference> Catalogue_References(const QString& GV_Chemin_Base,
                                               const CompareOptions& options) {
    auto db = dao::DBEngine::OpenDatabase(GV_Chemin_Base);
    const bool older =
        catalogue::GenerationOfTables(db->TableDefs()) == catalogue::Generation::Older;
    db->Close();

    QList<CatalogueReference> refs;
    if (options.albums) {
        refs += albumReferences(QStringLiteral("ALBUMS"), older ? QString() : QStringLiteral("0"),
                                options.collaborateurs);
    }
    if (options.acheter) {
        refs += older
                    ? albumReferences(QStringLiteral("ACHETER"), QString(), options.collaborateurs)
                    : albumReferences(QStringLiteral("ALBUMS"), QStringLiteral("1"),
                                      options.collaborateurs);
    }
    if (options.parabd) {
        // The image that the exports publish for a collectible.
        refs.append({QStringLiteral("parabd"),
                     older
                         ? QStringLiteral("select imageEx from EXLIBRIS where imageEx <> ") + kEmpty
                         : QStringLiteral("select Image1 from PARABD where Image1 <> ") + kEmpty});
    }
    if (options.revues) {
        refs.append(
            {QStringLiteral("revues"),
             QStringLiteral("select couverture from REVUES where Couverture <> ") + kEmpty});
    }
    return refs;
}

bool Compare_Fichiers(const QString& GV_Chemin_Base, const QString& rep, const QString& sql,
                      Prompt& prompt) {
    try {
        auto db = dao::DBEngine::OpenDatabase(GV_Chemin_Base);
        // Each distinct name once, in the engine's order, with its count.
        QStringList names;
        QHash<QString, int> references;
        {
            auto catalogue = db->OpenRecordset(sql);
            for (; !catalogue->Eof(); catalogue->MoveNext()) {
                const QString name = catalogue->Fields(0).toString();
                if (references[name]++ == 0) {
                    names << name;
                }
            }
        }
        if (names.isEmpty()) {
            return true;
        }

        // The kind's rows, listed ("EX") and missing ("MI"), by exact name.
        auto work = db->OpenRecordset(kTableFiles);
        QHash<QString, QList<int>> listed;
        QHash<QString, int> missing;
        QList<bool> ok;
        for (int row = 0; !work->Eof(); work->MoveNext(), ++row) {
            const QString file = work->Fields(QStringLiteral("file")).toString();
            ok << (work->Fields(QStringLiteral("ok")).toInt() != 0);
            if (work->Fields(QStringLiteral("type")).toString() != rep) {
                continue;
            }
            if (work->Fields(QStringLiteral("key")).toString() == kKeyListed) {
                listed[file] << row;
            } else if (!missing.contains(file)) {
                missing.insert(file, row);
            }
        }

        QList<bool> found(ok.size(), false);
        QList<std::pair<QString, bool>> added;
        for (const QString& name : names) {
            if (listed.contains(name)) {
                for (int row : listed.value(name)) {
                    found[row] = true;
                }
            } else if (missing.contains(name)) {
                found[missing.value(name)] = true;
            } else {
                added.append({name, references.value(name) > 1});
            }
        }

        const WorkBatch batch(*db);
        if (work->RecordCount() > 0) {
            work->MoveFirst();
        }
        for (int row = 0; row < ok.size(); ++row, work->MoveNext()) {
            if (found[row] && !ok[row]) {
                work->Edit();
                work->SetField(QStringLiteral("OK"), true);
                work->Update();
            }
        }
        const QDateTime now = vb::Now();
        for (const auto& [name, again] : added) {
            work->AddNew();
            work->SetField(QStringLiteral("Key"), kKeyMissing);
            work->SetField(QStringLiteral("Type"), rep);
            work->SetField(QStringLiteral("file"), name);
            work->SetField(QStringLiteral("Creation"), now);
            work->SetField(QStringLiteral("OK"), again);
            work->Update();
        }
        work->Close();
        return true;
    } catch (const Error&) {
        prompt.message(QStringLiteral("Problème lors de la comparaison des fichiers."), kBanner,
                       PromptIcon::Critical);
        return false;
    }
}

void Compare_Miniatures(const QString& GV_Chemin_Base, const QString& prefix, Prompt& prompt) {
    try {
        auto db = dao::DBEngine::OpenDatabase(GV_Chemin_Base);
        // Only files the site listed: a name known as missing has no date.
        QHash<QString, QList<ListedImage>> images;
        {
            auto listed = db->OpenRecordset(QStringLiteral("select type, file, creation from ") +
                                            kTableFiles + QStringLiteral(" where key = '") +
                                            kKeyListed + u'\'');
            for (; !listed->Eof(); listed->MoveNext()) {
                const QString file = listed->Fields(1).toString();
                images[lookupKey(listed->Fields(0).toString(), file)].append(
                    {file, listed->Fields(2).toDateTime()});
            }
        }

        auto thumbs = db->OpenRecordset(kTableThumbs);
        const WorkBatch batch(*db);
        while (!thumbs->Eof()) {
            const QString type = thumbs->Fields(QStringLiteral("type")).toString();
            const QString file = thumbs->Fields(QStringLiteral("file")).toString();
            QString problem;
            if (file.startsWith(prefix)) {
                const QString image = file.mid(prefix.size());
                const QList<ListedImage> candidates = images.value(lookupKey(type, image));
                const ListedImage* match = nullptr;
                for (const ListedImage& candidate : candidates) {
                    if (dao::jet::Compare(candidate.file, image) != 0) {
                        continue;
                    }
                    // The image of the same spelling first, else the first listed.
                    if (match == nullptr || candidate.file == image) {
                        match = &candidate;
                        if (candidate.file == image) {
                            break;
                        }
                    }
                }
                if (match == nullptr) {
                    problem = QStringLiteral("Pas d'image correspondante");
                } else {
                    const QDateTime thumbTime =
                        thumbs->Fields(QStringLiteral("creation")).toDateTime();
                    if (match->creation > thumbTime) {
                        const QString pattern = QStringLiteral("dd/MM/yyyy hh:mm:ss");
                        problem = QStringLiteral("Dates incohérentes : fichier (") +
                                  match->creation.toString(pattern) +
                                  QStringLiteral(") - miniature (") + thumbTime.toString(pattern) +
                                  u')';
                    }
                }
            } else {
                problem = QStringLiteral("format du fichier non conforme (") + prefix + u')';
            }
            if (problem.isEmpty()) {
                thumbs->Delete();
            } else {
                thumbs->Edit();
                thumbs->SetField(QStringLiteral("probleme"), problem);
                thumbs->SetField(QStringLiteral("OK"), false);
                thumbs->Update();
            }
            thumbs->MoveNext();
        }
        thumbs->Close();
    } catch (const Error&) {
        prompt.message(QStringLiteral("erreur pendant la comparaison des miniatures"), kBanner,
                       PromptIcon::Critical);
    }
}

}  // namespace kalvor::site
