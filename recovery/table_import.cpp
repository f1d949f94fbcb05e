#include "recovery/table_import.h"

#include <QSet>
#include <algorithm>
#include <optional>
#include <vector>

#include "common/republish.h"
#include "platform/cp1252.h"
#include "platform/dao/database.h"
#include "platform/error.h"
#include "platform/inet.h"
#include "platform/site_replies.h"
#include "recovery/field_conversions.h"
#include "recovery/recovery_base.h"
#include "recovery/recovery_reply.h"
#include "recovery/stored_together.h"

namespace kalvor::recovery {
namespace {

// The site lacks the script: it comes with the site's PHP files.
QString scriptNotFound() {
    return QStringLiteral(
        "fichier recovery.php introuvable ! Générez les fichiers PHP (onglet « 7. Génération ») "
        "et publiez-les à nouveau sur le site.");
}

enum class Conversion { Text, Value, Number, Date, LegalDeposit, Rating, MarquePage };

struct Column {
    int position;
    const char* name;
    Conversion conversion;
};

struct Constant {
    const char* name;
    QVariant value;
};

struct TableMap {
    const char* site;
    const char* local;
    bool keyed;  // position 0 is the local table's key
    std::vector<Column> columns;
    std::vector<Constant> constants;
};

using C = Conversion;

// The text columns are all unescaped: the data scripts escaped every one.
std::vector<Column> albumColumns() {
    return {{0, "idAlbum", C::Value},        {1, "Num", C::Number},
            {2, "Titre", C::Text},           {3, "IdSerie", C::Value},
            {4, "IdDessinateur", C::Value},  {5, "IdScenariste", C::Value},
            {6, "DateAchat", C::Date},       {7, "Editeur", C::Text},
            {8, "Format", C::Value},         {9, "Collection", C::Text},
            {10, "CoteActuelle", C::Number}, {11, "Reference", C::Text},
            {12, "DL", C::LegalDeposit},     {13, "Couverture", C::Text},
            {14, "NoteAlbum", C::Rating},    {15, "IdColoriste", C::Value},
            {16, "Broche", C::Value},        {17, "NbPages", C::Number},
            {18, "NumA", C::Text},           {19, "Exlibris", C::Text},
            {20, "EdO", C::Value},           {21, "Integrale", C::Value},
            {22, "Dedicace", C::Text},       {23, "Commentaire", C::Text},
            {24, "Perso1", C::Text},         {25, "Perso2", C::Text},
            {26, "Perso3", C::Text},         {27, "Perso4", C::Value},
            {28, "HorsSerie", C::Value},     {29, "EditionLimitee", C::Value}};
}

const std::vector<TableMap>& maps() {
    static const std::vector<TableMap> all = {
        {"series",
         "series",
         true,
         {{0, "idSerie", C::Value},
          {1, "Titre", C::Text},
          {2, "Style", C::Text},
          {3, "Commentaire", C::Text},
          {4, "Planche", C::Text},
          {5, "Internet", C::Text},
          {6, "Encours", C::Value}},
         {{"NoteDessin", {}}, {"NoteScenario", {}}, {"NoteGlobale", {}}, {"MajBEL", {}}}},
        {"auteurs",
         "auteurs",
         true,
         {{0, "idAuteur", C::Value},
          {1, "Nom", C::Text},
          {2, "Prenom", C::Text},
          {3, "Surnom", C::Text},
          {4, "DateNaissance", C::Date},
          {5, "DateDeces", C::Date},
          {6, "Pays", C::Text},
          {7, "Pseudo", C::Text},
          {8, "Commentaire", C::Text},
          {9, "Scenario", C::Value},
          {10, "Dessin", C::Value},
          {11, "couleur", C::Value},
          {12, "Internet", C::Text}},
         {}},
        {"collaborateurs",
         "collaborateurs",
         false,
         {{0, "idAlbum", C::Value}, {1, "idAuteur", C::Value}, {2, "TypeCollaboration", C::Value}},
         {}},
        {"albums",
         "albums",
         true,
         albumColumns(),
         {{"PrixAchat", {}}, {"Etat", qint16(0)}, {"Possede", qint16(1)}, {"Prete", qint16(0)}}},
        // The wish list is not owned.
        {"acheter",
         "acheter",
         true,
         albumColumns(),
         {{"PrixAchat", {}}, {"Etat", qint16(0)}, {"Possede", qint16(0)}, {"Prete", qint16(0)}}},
        // Positions 20 and 21 (the object's writer and colourist) have no
        // column in the older layout.
        {"parabd",
         "ExLibris",
         true,
         {{0, "idExlibris", C::Value},    {1, "idAlbum", C::Number},
          {2, "idSerie", C::Value},       {3, "Description", C::Text},
          {4, "idDessinateur", C::Value}, {5, "DL", C::LegalDeposit},
          {6, "Numero", C::Number},       {7, "Nombre", C::Number},
          {8, "Largeur", C::Number},      {9, "Hauteur", C::Number},
          {10, "Libraire", C::Text},      {11, "Editeur", C::Text},
          {12, "Signe", C::Value},        {13, "HC", C::Value},
          {14, "EA", C::Value},           {15, "TireAPart", C::Value},
          {16, "TypeObjet", C::Value},    {16, "MarquePage", C::MarquePage},
          {17, "TypeCouleur", C::Value},  {18, "ImageEx", C::Text},
          {19, "Commentaire", C::Text}},
         {{"DateAchat", {}}, {"PrixAchat", {}}, {"CoteActuelle", {}}, {"Ville", {}}}},
        // The site's idserie (position 1) only numbers the magazine titles;
        // the title itself comes last. AuNumero is the catalogue's text.
        {"revues",
         "revues",
         true,
         {{0, "IdRevue", C::Value},    {2, "Num", C::Number},       {3, "Date", C::Date},
          {4, "Editeur", C::Text},     {5, "Periodicite", C::Text}, {6, "AuNumero", C::Text},
          {7, "PrixAchat", C::Number}, {8, "Cote", C::Number},      {9, "Commentaire", C::Text},
          {10, "Serie1", C::Text},     {11, "Serie2", C::Text},     {12, "Serie3", C::Text},
          {13, "Serie4", C::Text},     {14, "Sujet1", C::Text},     {15, "Sujet2", C::Text},
          {16, "Sujet3", C::Text},     {17, "Sujet4", C::Text},     {18, "Sujet5", C::Text},
          {19, "Couverture", C::Text}, {20, "NomRevue", C::Text}},
         {{"SujetSerie1", {}},
          {"SujetSerie2", {}},
          {"SujetSerie3", {}},
          {"SujetSerie4", {}},
          {"SujetSerie5", {}},
          {"SujetAuteur1", {}},
          {"SujetAuteur2", {}},
          {"SujetAuteur3", {}},
          {"SujetAuteur4", {}},
          {"SujetAuteur5", {}}}},
    };
    return all;
}

const TableMap* mapOf(const QString& tablename) {
    const auto& all = maps();
    const auto map = std::find_if(all.begin(), all.end(), [&](const TableMap& m) {
        return tablename == QLatin1String(m.site);
    });
    return map == all.end() ? nullptr : &*map;
}

QVariant converted(const QString& field, Conversion conversion) {
    namespace cv = conversions;
    switch (conversion) {
        case C::Text:
            return cv::Unescaped(field);
        case C::Value:
            return cv::Value(field);
        case C::Number:
            return cv::Number(field);
        case C::Date:
            return cv::Date(field);
        case C::LegalDeposit:
            return cv::LegalDeposit(field);
        case C::Rating:
            return cv::Rating(field);
        case C::MarquePage:
            return qint16(cv::MarquePage(field));
    }
    return {};
}

[[noreturn]] void fail(const QString& cause) {
    throw Error(err::InvalidArgument, cause);
}

QString scriptUrl(const QString& site) {
    return SiteFileUrl(site, QStringLiteral("recovery.php"));
}

QString percent(const QString& text) {
    return QString::fromLatin1(cp1252::encode(text).toPercentEncoding());
}

// How many times a post the site refused unread, busy with another
// password, is sent again, a second apart.
constexpr int kBusyTries = 60;

// Sent by a recovery.php that reads a posted password.
constexpr char kPostHeader[] = "X-Kalvor-Recovery";

// The last reply carried `header`, as a header or, where none could go, in
// the comment after the site's refusal.
bool lastSaid(const SiteAccess& access, const QString& reply, const char* header) {
    return access.inet.lastHadHeader(header) ||
           replies::RefusalCarries(reply, QLatin1StringView(header));
}

// Said of a failure of a recovery.php of an earlier version before it sent a
// table: it calls the MySQL functions that PHP 7 dropped, which only some
// require.php of its time brought along. A message of PHP that names none of
// them tells another cause.
QString earlierHint(const RecoveryState& state,
                    const std::optional<QString>& phpMessage = std::nullopt) {
    return state.earlierRecoveryPhp && !state.olderScript &&
                   (!phpMessage || phpMessage->contains(QLatin1String("mysql_")))
               ? QStringLiteral(
                     "\nLe fichier recovery.php du site est d'une version antérieure, qui "
                     "appelle les anciennes fonctions MySQL de PHP : PHP 7 et plus ne les ont "
                     "plus, sauf par un require.php qui les apporte. ") +
                     kRepublishRequest
               : QString();
}

// Whether recovery.php reads a posted password: it refuses a wrong one,
// there or unread, where an earlier version, reading only the address,
// passes it as empty.
bool readsPost(const SiteAccess& access, const QString& posted) {
    const QString reply = access.inet.PostForm(posted, "pwd=kalvor-sonde");
    return replies::IsBusyRefusal(reply) || replies::EndsWithPasswordRefusal(reply);
}

// The site's reply; nothing when the fetch failed, with the failure in the
// state. The password goes in the body of a POST, out of the access logs. A
// recovery.php of an earlier version reads it only from the address: it
// refuses every post, with a password, and is asked once more the way it
// knows; any other answer to the post, headers or not, is this version's.
// Messages never carry that address, which holds the password.
std::optional<QString> fetch(RecoveryState& state, const SiteAccess& access,
                             const QString& tablename) {
    const QString url = RecoveryUrl(access.site, access.password, tablename);
    const QString script = scriptUrl(access.site);
    const QString posted = script + QStringLiteral("?tablename=") + percent(tablename);
    try {
        // What follows the last row of a whole reply from the site's newer
        // recovery.php.
        const replies::EndMark endMark = replies::TableEnd(tablename);
        QString reply;
        // While another request tries a password, the site refuses the
        // others unread and says when to ask again.
        for (int tries = 0;; ++tries) {
            reply =
                access.inet.PostForm(posted, "pwd=" + percent(access.password).toLatin1(), endMark);
            // Earlier versions of this script said it in their headers or
            // in a comment after the refusal.
            if (!replies::IsBusyRefusal(reply) &&
                !(lastSaid(access, reply, "Retry-After") && replies::IsPasswordRefusal(reply))) {
                break;
            }
            if (tries == kBusyTries) {
                state.Continue_Recovery = false;
                state.Continue_Error =
                    QStringLiteral("Erreur lors de l'importation de la table %1 : ")
                        .arg(tablename) +
                    QStringLiteral(
                        "le site n'a pas lu le mot de passe : il en vérifie d'autres, un à la "
                        "fois, "
                        "depuis plus d'une minute (quelqu'un essaie de le deviner ?). Réessayez "
                        "plus tard.");
                return std::nullopt;
            }
            if (!access.inet.Pause(1000)) {
                throw Error(err::HttpError,
                            QStringLiteral("La requête vers %1 a été annulée.").arg(posted));
            }
        }
        if (lastSaid(access, reply, kPostHeader) || access.inet.lastCameWhole()) {
            state.markedScript = true;
        }
        if (!state.markedScript) {
            if (replies::EndsWithPasswordRefusal(reply)) {
                state.earlierRecoveryPhp = true;
                return access.inet.OpenURL(url, endMark);
            }
            // An empty password passes every script's test, posted or not:
            // only a wrong one tells whether the script reads the post, so
            // that a reply of this version cut short is never taken for an
            // earlier one's table.
            if (access.password.isEmpty() && !state.earlierRecoveryPhp) {
                if (readsPost(access, posted)) {
                    state.markedScript = true;
                } else {
                    state.earlierRecoveryPhp = true;
                }
            }
            // An earlier script may print the missing value before the rows;
            // an empty password in the address carries no secret.
            if (access.password.isEmpty() && state.earlierRecoveryPhp) {
                return access.inet.OpenURL(url, endMark);
            }
            state.markedScript = true;
        }
        return reply;
    } catch (const Error& e) {
        state.Continue_Recovery = false;
        if (access.inet.lastStatus() == 404) {
            state.Continue_Error = scriptNotFound();
            return std::nullopt;
        }
        QString cause = e.Description();
        cause.replace(url, script);
        cause.replace(posted, script);
        const QString query = url.mid(url.indexOf(QStringLiteral("?pwd=")));
        cause.replace(query, QString());
        // An earlier script sends no count: a text of the table read as the
        // mark and count of this version's.
        if (state.earlierRecoveryPhp && e.Number() == err::ReplyMiscounted) {
            cause = QStringLiteral(
                        "un texte de la table contient « #fin## » suivi d'un nombre, la fin "
                        "d'une réponse des fichiers de cette version ; le fichier recovery.php "
                        "du site, d'une version antérieure, n'en envoie pas et ne distingue pas "
                        "ses textes de sa fin. ") +
                    kRepublishRequest;
        }
        // A script that sent its reply ran the MySQL functions.
        state.Continue_Error = QStringLiteral("Erreur lors de l'importation de la table %1 : %2")
                                   .arg(tablename, cause) +
                               (access.inet.lastStatus() == 200 ? QString() : earlierHint(state));
        return std::nullopt;
    }
}

// Whether recovery.php answers as the site's own does: a password that is
// not the site's is refused. The probe's own stands in the address, never
// the site's. With `hostText`, the text a host may send in place of an empty
// table, the refusal must be followed by that same text.
bool recoveryAnswers(const SiteAccess& access, const QString& tablename,
                     const QString& hostText = QString()) {
    const QString probe = access.password == QLatin1String("kalvor-sonde")
                              ? QStringLiteral("kalvor-sonde-2")
                              : QStringLiteral("kalvor-sonde");
    try {
        const QString reply =
            access.inet.OpenURL(RecoveryUrl(access.site, probe, tablename)).trimmed();
        if (hostText.isEmpty()) {
            return replies::EndsWithPasswordRefusal(reply);
        }
        return reply.endsWith(hostText) &&
               QStringView(reply)
                   .chopped(hostText.size())
                   .trimmed()
                   .endsWith(replies::kPasswordRefused) &&
               replies::EndsWithPasswordRefusal(reply);
    } catch (const Error&) {
        return false;
    }
}

}  // namespace

QString RecoveryUrl(const QString& site, const QString& password, const QString& tablename) {
    return scriptUrl(site) + QStringLiteral("?pwd=") + percent(password) +
           QStringLiteral("&tablename=") + percent(tablename);
}

QString LocalTable(const QString& tablename) {
    const TableMap* map = mapOf(tablename);
    return map ? QString::fromLatin1(map->local) : QString();
}

QStringList ImportedColumns(const QString& tablename) {
    QStringList names;
    if (const TableMap* map = mapOf(tablename)) {
        for (const Column& c : map->columns) {
            names << QString::fromLatin1(c.name);
        }
        for (const Constant& c : map->constants) {
            names << QString::fromLatin1(c.name);
        }
    }
    return names;
}

std::optional<QString> Fetch_MYSQL_Table(RecoveryState& state, const SiteAccess& access,
                                         const QString& tablename) {
    std::optional<QString> reply = fetch(state, access, tablename);
    state.escapedTables.removeAll(tablename);
    if (!reply) {
        return std::nullopt;
    }
    // A reply proved whole holds the script's rows alone.
    if (access.inet.lastCameProved()) {
        state.escapedTables << tablename;
        return reply;
    }
    if (access.inet.lastWasNotFoundPage(*reply, reply->contains(replies::kRowEnd))) {
        state.Continue_Error = scriptNotFound();
        state.Continue_Recovery = false;
        return std::nullopt;
    }
    if (replies::IsPasswordRefusal(*reply)) {
        state.Continue_Error = QStringLiteral("Mot de passe invalide !");
        state.Continue_Recovery = false;
        return std::nullopt;
    }
    const auto refuse = [&](const QString& cause,
                            const std::optional<QString>& phpMessage = std::nullopt) {
        state.Continue_Error =
            QStringLiteral("Erreur lors de l'importation de la table %1 : ").arg(tablename) +
            cause + earlierHint(state, phpMessage);
        state.Continue_Recovery = false;
        return std::nullopt;
    };
    if (const std::optional<QString> reason = replies::DatabaseRefusal(*reply)) {
        return refuse(
            QStringLiteral("la base MySQL du site a refusé la connexion (« %1 »).").arg(*reason));
    }
    if (const std::optional<QString> message = replies::PhpMessage(*reply)) {
        return refuse(
            QStringLiteral("la réponse du site contient un message de PHP (« %1 »).").arg(*message),
            message);
    }
    // Only a reply that holds its mark is a table: an emptied script, a
    // host's own page or the site's error would read as a table without rows.
    if (!access.inet.lastCameWhole()) {
        // A site published before the mark: rows of its own form only, and
        // an empty reply once the script showed it is there.
        if (!state.markedScript && !access.inet.lastHadHeader(kPostHeader) &&
            !access.inet.lastHadHeader(Inet::kEndMarkHeader)) {
            const qsizetype end = replies::EarlierTableEnd(*reply);
            if (end > 0) {
                state.olderScript = true;
                return reply->left(end);
            }
            // An empty table behind a host's text banner: the banner alone,
            // which the host puts after the site's refusal as well.
            if ((end == 0 && recoveryAnswers(access, tablename)) ||
                (end < 0 && replies::HoldsNoFraming(*reply) &&
                 recoveryAnswers(access, tablename, reply->trimmed()))) {
                state.olderScript = true;
                state.emptyFromOlder << tablename;
                return QString();
            }
        }
        if (const std::optional<QString> line = replies::TableReadError(*reply)) {
            return refuse(QStringLiteral("le site n'a pas pu la lire (« %1 »).").arg(*line));
        }
        // Rows tell a script that ran its query: the cause is in them.
        if (state.earlierRecoveryPhp && reply->contains(replies::kRowEnd)) {
            state.Continue_Error =
                QStringLiteral(
                    "Erreur lors de l'importation de la table %1 : la réponse du site "
                    "n'est pas une table entière : ")
                    .arg(tablename) +
                replies::EarlierTableFault(*reply) + QStringLiteral(".\n") + kRepublishRequest;
            state.Continue_Recovery = false;
            return std::nullopt;
        }
        if (state.earlierRecoveryPhp && !reply->trimmed().isEmpty()) {
            return refuse(
                QStringLiteral("la réponse du site n'est pas une table (erreur du site ou "
                               "réponse coupée)."));
        }
        if (reply->trimmed().isEmpty()) {
            return refuse(
                QStringLiteral("le site a envoyé une réponse vide (le fichier recovery.php est-il "
                               "vide ? Publiez-le à nouveau)."));
        }
        return refuse(
            QStringLiteral("la réponse du site n'est pas une table entière : sa marque de fin "
                           "manque (réponse coupée, erreur du site ou page de l'hébergeur)."));
    }
    state.uncountedScript = state.uncountedScript || !access.inet.lastCameCounted();
    return reply;
}

void Import_MYSQL_Tables(RecoveryState& state, const RecoveryBase& base, const SiteAccess& access,
                         const QString& tablename, qint16 dimension,
                         const StoreProgress& progress) {
    if (const std::optional<QString> reply = Fetch_MYSQL_Table(state, access, tablename)) {
        Store_MYSQL_Table(state, base, tablename, dimension, *reply, progress);
    }
}

void Store_MYSQL_Table(RecoveryState& state, const RecoveryBase& base, const QString& tablename,
                       qint16 dimension, const QString& reply, const StoreProgress& progress) {
    RecoveryReply rows(reply, state.escapedTables.contains(tablename));
    try {
        const TableMap* map = mapOf(tablename);
        if (map == nullptr) {
            fail(QStringLiteral("table inconnue"));
        }
        const qint64 fieldCount = qint64(dimension) + 1;
        auto db = base.Open();
        auto table = db->OpenRecordset(QString::fromLatin1(map->local));
        StoredTogether batch(*db);
        QSet<QString> stored;
        qint64 storedRows = 0;
        QStringList fields;
        while (rows.Next(fields)) {
            if (fields.size() != fieldCount) {
                fail(QStringLiteral("la ligne %1 compte %2 champs au lieu de %3 (un texte "
                                    "contient-il « @@@ » ?)")
                         .arg(rows.RowNumber())
                         .arg(fields.size())
                         .arg(fieldCount));
            }
            // The site's merged series and author tables may send an id
            // twice; the first row wins.
            if (map->keyed) {
                if (stored.contains(fields.at(0))) {
                    continue;
                }
                stored.insert(fields.at(0));
            }
            try {
                table->AddNew();
                for (const Column& c : map->columns) {
                    table->SetField(QString::fromLatin1(c.name),
                                    converted(fields.at(c.position), c.conversion));
                }
                for (const Constant& c : map->constants) {
                    table->SetField(QString::fromLatin1(c.name), c.value);
                }
                table->Update();
            } catch (const Error& e) {
                table->CancelUpdate();
                fail(QStringLiteral("ligne %1 : %2").arg(rows.RowNumber()).arg(e.Description()));
            }
            if (progress && !progress(++storedRows)) {
                return;
            }
        }
        // The commit and the close each take some hundredths of a second on
        // a whole table: the progress is told between them.
        if (progress && !progress(storedRows)) {
            return;
        }
        batch.Commit();
        if (progress) {
            progress(storedRows);
        }
        table->Close();
        if (progress) {
            progress(storedRows);
        }
    } catch (const Error& e) {
        state.Continue_Error = QStringLiteral("Erreur lors de l'importation de la table %1 : %2")
                                   .arg(tablename, base.Described(e));
        state.Continue_Recovery = false;
    }
}

}  // namespace kalvor::recovery
