#include "sitegen/require_php.h"

#include "common/export_folder.h"

#include <QRegularExpression>

#include "common/banner.h"
#include "common/general.h"
#include "common/operation.h"
#include "common/table_prefix.h"
#include "common/vb.h"
#include "platform/cp1252.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "platform/textfile.h"
#include "sitegen/site_file.h"

namespace kalvor::sitegen {
namespace {

// Values go between double quotes: these three would end the string or
// interpolate a variable.
QString phpQuoted(QString text) {
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'"', QStringLiteral("\\\""));
    text.replace(u'$', QStringLiteral("\\$"));
    return u'"' + text + u'"';
}

// The first character of the text that Windows-1252 lacks, or none.
QString firstUnwritable(const QString& text) {
    const qsizetype i = cp1252::FirstLacked(text);
    if (i < 0) {
        return {};
    }
    const bool pair =
        text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    return text.mid(i, pair ? 2 : 1);
}

// What a page shows: a letter Windows-1252 lacks goes as its reference.
QString html(QString text) {
    return general::Convert_References(text);
}

QString assign(const QString& name, const QString& value, const QString& tail, int width = 19) {
    return name.leftJustified(width, u' ') + QStringLiteral("= ") + value + tail;
}

QString quoted(const QString& name, const QString& value,
               const QString& tail = QStringLiteral(";")) {
    return assign(name, phpQuoted(value), tail);
}

QString bare(const QString& name, int value, const QString& tail) {
    return assign(name, QString::number(value), tail);
}

QString bare(const QString& name, const QString& value, const QString& tail) {
    return assign(name, value, tail);
}

void section(QStringList& lines, const QString& title) {
    lines << title << QStringLiteral("//") + QString(title.size() - 2, u'-');
}

QString flagTail(const QString& what) {
    return QStringLiteral("; //(Affichage ") + what + QStringLiteral(" => 1: oui - 0: non)");
}

// A whole number as typed, written as PHP must read it: "08" is no literal
// at all and "010" an octal 8, so leading zeros go. Any other text stays.
QString decimal(const QString& text) {
    const std::optional<qint32> value = vb::WholeNumber(text);
    return value ? QString::number(*value) : text;
}

void appendDatabase(QStringList& l, const Settings& s) {
    section(l, QStringLiteral("//Config base de données MYSQL"));
    l << quoted(QStringLiteral("$host"), s.box_host);
    l << quoted(QStringLiteral("$login"), s.box_login);
    l << quoted(QStringLiteral("$password"), s.box_password);
    l << quoted(QStringLiteral("$base"), s.box_base);
    l << quoted(QStringLiteral("$prefixe_table"), s.box_prefixe_table);
    l << QString() << QString();
}

void appendDisplayOptions(QStringList& l, const Settings& s) {
    section(l, QStringLiteral("//Options d'affichage"));
    QString collection = QStringLiteral("acheter");
    if (s.opt_albums == 1 && s.opt_acheter == 1) {
        collection = QStringLiteral("both");
    } else if (s.opt_albums == 1) {
        collection = QStringLiteral("albums");
    }
    l << quoted(QStringLiteral("$GV_collection"), collection,
                QStringLiteral(";  //(valeurs possibles albums, acheter ou both)"));
    l << bare(QStringLiteral("$GV_parabd"), s.opt_parabd, flagTail(QStringLiteral("du Para-BD")));
    l << bare(QStringLiteral("$GV_revue"), s.opt_revues, flagTail(QStringLiteral("des Revues")));
    l << bare(QStringLiteral("$GV_imprimer"), s.opt_imprimer,
              flagTail(QStringLiteral("des listes imprimables")));
    l << bare(QStringLiteral("$GV_collaborateurs"), s.Opt_Collaborateurs,
              flagTail(QStringLiteral("des collaborateurs")));
    l << QString();
    l << quoted(QStringLiteral("$GV_titre"), html(s.box_titre),
                QStringLiteral(";  //(Titre affiché dans la barre + page accueil)"));
    l << quoted(QStringLiteral("$GV_verso"), s.GV_Verso,
                QStringLiteral(";  //(valeurs possibles left, right ou none)"));
    l << bare(QStringLiteral("$GV_auteur"), s.GV_Auteur,
              QStringLiteral(";  //(valeurs possibles 0, 1 ou 2)"));
    l << bare(QStringLiteral("$GV_colorauteur"), s.opt_colorauteur,
              flagTail(QStringLiteral("couleur différente auteur avec photo")));
    l << bare(
        QStringLiteral("$GV_nbcol"), s.GV_Nb_Col,
        QStringLiteral("; // (0 : automatique - 1: 1 album par ligne - 2: 2 albums par ligne)"));
    l << bare(QStringLiteral("$GV_commentaire"), s.opt_commentaire,
              QStringLiteral("; //(Affichage les commentaires des albums =>1: oui - 0: non)"));
    l << bare(QStringLiteral("$GV_nb_liste"), s.opt_nb_liste,
              QStringLiteral("; //(Affichage du nb d'album par série, auteur =>1: oui - 0: non)"));
    l << bare(QStringLiteral("$GV_dedi_place"), s.GV_Dedi_Place,
              QStringLiteral(";  //(0 : sur la ligne format - 1: sur la ligne titre)"));
    l << QString();
}

void appendIconOptions(QStringList& l, const Settings& s) {
    l << bare(QStringLiteral("$GV_icone"), s.opt_icones,
              flagTail(QStringLiteral("d'icones dans le menu du haut")));
    l << bare(QStringLiteral("$GV_eo"), s.opt_eo, flagTail(QStringLiteral("de l'icone Eo")));
    l << bare(QStringLiteral("$GV_integrale"), s.opt_int,
              flagTail(QStringLiteral("de l'icone Intégrale")));
    l << bare(QStringLiteral("$GV_dedicace"), s.opt_dedicace,
              flagTail(QStringLiteral("de l'icone et lien Dédicace")));
    l << bare(QStringLiteral("$GV_reliure"), s.opt_reliure,
              flagTail(QStringLiteral("de l'icone reliure")));
    l << bare(QStringLiteral("$GV_tt"), s.opt_tt, flagTail(QStringLiteral("de l'icone TT")));
    l << QString() << QString();
}

void appendListAndLinkOptions(QStringList& l, const Settings& s) {
    l << bare(QStringLiteral("$GV_listecollec"), s.opt_listecollection,
              flagTail(QStringLiteral("d'une liste par collection")));
    l << bare(QStringLiteral("$GV_listestyle"), s.opt_listestyle,
              flagTail(QStringLiteral("d'une liste par style")));
    l << bare(QStringLiteral("$GV_listedl"), s.opt_listedl,
              flagTail(QStringLiteral("d'une liste par DL")));
    l << bare(QStringLiteral("$GV_listeachat"), s.opt_listeachat,
              flagTail(QStringLiteral("d'une liste par date d'achat")));
    l << bare(QStringLiteral("$GV_listenotes"), s.opt_listenotes,
              flagTail(QStringLiteral("d'une liste par note")));
    l << bare(QStringLiteral("$GV_moteur"), s.opt_moteur,
              flagTail(QStringLiteral("du moteur de recherches")));
    l << QString();
    l << bare(QStringLiteral("$GV_miniature"), s.opt_miniatures + s.opt_manual,
              QStringLiteral("; //(Affichage des images sous forme de miniature => 0:non - 1: "
                             "oui - 2: oui avec génération manuelle)"));
    l << quoted(QStringLiteral("$GV_prefix"), s.box_prefix);
    l << QString();
    l << bare(QStringLiteral("$GV_email"), s.opt_email,
              flagTail(QStringLiteral("de l'icone email")));
    l << quoted(QStringLiteral("$GV_email_txt"), html(s.box_email));
    l << QStringLiteral("$GV_currency       = \"&euro;\";");
    l << QString();
    l << bare(QStringLiteral("$GV_quitter"), s.opt_quitter,
              flagTail(QStringLiteral("de l'icone quitter")));
    l << quoted(QStringLiteral("$GV_siteprincipal"), html(s.box_siteprincipal),
                QStringLiteral("; //(site qui est retourné lors du clic sur quitter)"));
    l << QString();
}

void appendHomePage(QStringList& l, const Settings& s) {
    section(l, QStringLiteral("//Page d'accueil"));
    l << bare(QStringLiteral("$GV_series_accueil"), decimal(s.box_series_accueil),
              QStringLiteral("; //(nombre de dernières séries à afficher)"));
    l << bare(QStringLiteral("$GV_images_accueil"), s.opt_image_accueil,
              QStringLiteral("; //(afficher les miniatures des derniers albums)"));
    QString colonnes = QStringLiteral("0");
    QString lignes = QStringLiteral("0");
    if (s.opt_image_accueil == 1) {
        if (s.box_col_accueil == QStringLiteral("Auto")) {
            colonnes = QStringLiteral("1");
            lignes = s.box_albums_accueil;
        } else {
            colonnes = s.box_col_accueil;
            lignes = s.box_ligne_accueil;
        }
    }
    l << bare(QStringLiteral("$GV_col_accueil"), decimal(colonnes),
              QStringLiteral("; // (nb de colonnes pour miniatures page accueil)"));
    l << bare(QStringLiteral("$GV_ligne_accueil"), decimal(lignes),
              QStringLiteral("; // (nb de lignes pour miniatures page accueil)"));
    l << QString();
}

void appendStatistics(QStringList& l, const Settings& s, const QList<StatsEntry>& stats) {
    section(l, QStringLiteral("//Statistiques"));
    l << bare(QStringLiteral("$GV_stats"), s.opt_stats,
              QStringLiteral("; //(Affichage des stastistiques => 1: oui - 0: non)"));
    l << QStringLiteral("$GV_stats_large    = 250; // (longueur maxi de la barre dans les stats)");
    for (int i = 0; i < stats.size(); ++i) {
        const StatsEntry& st = stats[i];
        l << QStringLiteral(
                 "$GV_Stats_array[%1] = array(\"stat\" => %2, \"use\" => %3, \"nb\" => %4, "
                 "\"type\" => %5,\"autres\" => %6);")
                 .arg(i)
                 .arg(phpQuoted(st.stat))
                 .arg(st.use)
                 .arg(st.nb)
                 .arg(st.type)
                 .arg(st.autres);
    }
    l << QString();
}

void appendFooter(QStringList& l, const Settings& s) {
    section(l, QStringLiteral("//Bas de page"));
    l << bare(QStringLiteral("$GV_baspage"), s.opt_baspage,
              flagTail(QStringLiteral("d'un bas de page")));
    if (s.opt_baspage == 1) {
        l << bare(
            QStringLiteral("$GV_taille_baspage"), decimal(s.box_baspage),
            QStringLiteral(
                "; // Hauteur du bas de page en px (0 pour définition manuelle dans la css)"));
    }
    l << QString() << QString();
}

void appendImageFolders(QStringList& l, const Settings& s) {
    section(l, QStringLiteral("//Répertoires images"));
    l << quoted(QStringLiteral("$PATH_couvertures"), s.GV_Rep_Couvertures);
    l << quoted(QStringLiteral("$PATH_planches"), s.GV_Rep_Planches);
    l << quoted(QStringLiteral("$PATH_versos"), s.GV_Rep_Versos);
    l << quoted(QStringLiteral("$PATH_photos"), s.GV_Rep_Photos);
    l << quoted(QStringLiteral("$PATH_dedicaces"), s.GV_Rep_Dedicaces);
    l << quoted(QStringLiteral("$PATH_parabd"), s.GV_Rep_Parabd);
    l << quoted(QStringLiteral("$PATH_revues"), s.GV_Rep_Revues);
    l << QStringLiteral("$PATH_images       = \"images\";");
    l << QString() << QString();
}

void appendThumbnailFolders(QStringList& l, const Settings& s) {
    section(l, QStringLiteral("//Répertoires miniatures"));
    const bool thumbs = s.opt_miniatures == 1;
    l << quoted(QStringLiteral("$THUMB_couvertures"),
                thumbs ? s.box_thumb_couvertures : s.GV_Rep_Couvertures);
    l << quoted(QStringLiteral("$THUMB_planches"),
                thumbs ? s.box_thumb_planches : s.GV_Rep_Planches);
    l << quoted(QStringLiteral("$THUMB_versos"), thumbs ? s.box_thumb_versos : s.GV_Rep_Versos);
    l << quoted(QStringLiteral("$THUMB_photos"), thumbs ? s.box_thumb_photos : s.GV_Rep_Photos);
    l << quoted(QStringLiteral("$THUMB_dedicaces"),
                thumbs ? s.box_thumb_dedicaces : s.GV_Rep_Dedicaces);
    l << quoted(QStringLiteral("$THUMB_parabd"), thumbs ? s.box_thumb_parabd : s.GV_Rep_Parabd);
    l << quoted(QStringLiteral("$THUMB_revues"), thumbs ? s.box_thumb_revues : s.GV_Rep_Revues);
    l << QString() << QString();
}

void appendPageCache(QStringList& l) {
    // Like the thumbnails, a folder of the site that the pages fill.
    section(l, QStringLiteral("//Cache des pages"));
    l << QStringLiteral(
        "$GV_cache          = \"cache\"; //(dossier des pages déjà calculées, vide : pas de "
        "cache)");
    l << QStringLiteral("$GV_cache_taille   = 256; //(taille maximale du cache en Mo)");
    l << QString() << QString();
}

void appendCustomFields(QStringList& l, const Settings& s) {
    section(l, QStringLiteral("//valeurs des champs perso 1 à 4"));
    const int display[4] = {s.opt_perso1, s.opt_perso2, s.opt_perso3, s.opt_perso4};
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        l << bare(QStringLiteral("$GV_Perso%1_display").arg(n), display[i],
                  QStringLiteral("; //(Affichage du champ Perso%1 = >1: oui - 0: non)").arg(n));
    }
    for (int i = 1; i <= 4; ++i) {
        QString caption = s.PersoCaption(i);
        l << quoted(QStringLiteral("$GV_Perso%1").arg(i), html(general::Convert_Espaces(caption)));
    }
    l << QString();
    const QStringList tri = {s.GV_Tri_Para_1, s.GV_Tri_Para_2, s.GV_Tri_Para_3, s.GV_Tri_Para_4,
                             s.GV_Tri_Para_5, s.GV_Tri_Para_6, s.GV_Tri_Para_7};
    l << quoted(QStringLiteral("$GV_Tri_Para"), tri.join(u','),
                QStringLiteral("; //Tri du parabd"));
    l << QString();
}

void appendPlugins(QStringList& l, const Settings& s) {
    section(l, QStringLiteral("//Plugins"));
    l << assign(QStringLiteral("$plugin_voitures_idserie"), QString::number(s.GV_Plugin_Tintin_Id),
                QStringLiteral(";"), 25);
    l << assign(QStringLiteral("$plugin_voitures_path"), phpQuoted(html(s.GV_Plugin_Tintin_Path)),
                QStringLiteral(";"), 25);
    l << QString();
}

const QString kTitleConfig = kBanner + QStringLiteral("Config - PHP");
const QString kTitleGeneration = kBanner + QStringLiteral(" - Génération PHP");
const QString kTitlePhp = kBanner + QStringLiteral(" - PHP");

}  // namespace

QStringList requirePhpLines(const Settings& s, const QList<StatsEntry>& stats,
                            const QDateTime& when) {
    QStringList l;
    // A full tag: with short tags off a "<?" file would be sent as text,
    // password included.
    l << QStringLiteral("<?php");
    l << commentBox(SiteBox::Php, kBanner, when);
    l << QString();

    appendDatabase(l, s);
    appendDisplayOptions(l, s);
    appendIconOptions(l, s);
    appendListAndLinkOptions(l, s);
    appendHomePage(l, s);
    appendStatistics(l, s, stats);
    appendFooter(l, s);
    appendImageFolders(l, s);
    appendThumbnailFolders(l, s);
    appendPageCache(l);
    appendCustomFields(l, s);
    appendPlugins(l, s);

    l << QString();
    l << QStringLiteral("error_reporting(E_ERROR | E_WARNING | E_PARSE);");
    l << QStringLiteral("?>");
    return l;
}

ConfigRefusal checkHostValue(const QString& value, const QString& box, bool secret) {
    const QString letter = firstUnwritable(value);
    if (letter.isEmpty()) {
        return {};
    }
    const QString rest = QStringLiteral(
        "un caractère que les fichiers du site ne peuvent pas tenir tel quel (seuls ceux de "
        "Windows-1252 y passent)");
    const QString text =
        secret ? QStringLiteral("Le champ %1 contient %2").arg(box, rest)
               : QStringLiteral("Le champ %1 contient « %2 », %3").arg(box, letter, rest);
    return {text, kTitleGeneration, PromptIcon::Exclamation};
}

ConfigRefusal checkHostValues(const Settings& s) {
    struct Value {
        const QString& text;
        const char* box;
        bool written;
    };
    const bool absolute = s.Opt_Absolu();
    const bool thumbs = s.opt_miniatures == 1;
    // The connection reaches the server, and the folders the file functions,
    // byte for byte: a reference would not do there.
    const Value values[] = {
        {s.box_host, "« Serveur » (onglet « 1. Configuration »)", true},
        {s.box_login, "« Utilisateur » (onglet « 1. Configuration »)", true},
        {s.box_password, "« Mot de passe » (onglet « 1. Configuration »)", true},
        {s.box_base, "« Base » (onglet « 1. Configuration »)", true},
        {s.GV_Rep_Couvertures, "« Couvertures » (onglet « 5. Répertoires »)", absolute},
        {s.GV_Rep_Versos, "« Versos » (onglet « 5. Répertoires »)", absolute},
        {s.GV_Rep_Photos, "« Photos » (onglet « 5. Répertoires »)", absolute},
        {s.GV_Rep_Planches, "« Planches » (onglet « 5. Répertoires »)", absolute},
        {s.GV_Rep_Dedicaces, "« Dédicaces » (onglet « 5. Répertoires »)", absolute},
        {s.GV_Rep_Parabd, "« Para-BD » (onglet « 5. Répertoires »)", absolute},
        {s.GV_Rep_Revues, "« Revues » (onglet « 5. Répertoires »)", absolute},
        {s.box_thumb_couvertures, "« Couvertures » (onglet « 6. Miniatures »)", thumbs},
        {s.box_thumb_versos, "« Versos » (onglet « 6. Miniatures »)", thumbs},
        {s.box_thumb_photos, "« Photos » (onglet « 6. Miniatures »)", thumbs},
        {s.box_thumb_planches, "« Planches » (onglet « 6. Miniatures »)", thumbs},
        {s.box_thumb_dedicaces, "« Dedicaces » (onglet « 6. Miniatures »)", thumbs},
        {s.box_thumb_parabd, "« Para-BD » (onglet « 6. Miniatures »)", thumbs},
        {s.box_thumb_revues, "« Revues » (onglet « 6. Miniatures »)", thumbs},
        {s.box_prefix, "« Préfixe figurant devant le nom du fichier » (onglet « 6. Miniatures »)",
         true},
    };
    for (const Value& v : values) {
        if (!v.written) {
            continue;
        }
        const ConfigRefusal refusal =
            checkHostValue(v.text, QString::fromUtf8(v.box), &v.text == &s.box_password);
        if (!refusal.isEmpty()) {
            return refusal;
        }
    }
    return {};
}

ConfigRefusal checkConfig(const Settings& s) {
    if (s.opt_albums == 0 && s.opt_acheter == 0) {
        return {QStringLiteral("Veuillez sélection Albums, Acheter ou les deux"), kTitleConfig};
    }
    if (s.Opt_Absolu() && !s.Opt_versonone() && s.path_versos.isEmpty()) {
        return {QStringLiteral("Veuillez renseigner l'endroit où sont stockées les versos"),
                kTitleConfig};
    }
    if (s.box_base.isEmpty() || s.box_host.isEmpty() || s.box_login.isEmpty()) {
        return {
            QStringLiteral("les paramètres de Configuration de la base php ne sont pas renseignés"),
            kTitleGeneration};
    }
    if (!IsTablePrefix(s.box_prefixe_table)) {
        return {TablePrefixRefusal(s.box_prefixe_table), kTitleGeneration};
    }
    if (const ConfigRefusal refusal = checkHostValues(s); !refusal.isEmpty()) {
        return refusal;
    }
    if (s.opt_email == 1 && (s.box_email.isEmpty() || !s.box_email.contains(u'@'))) {
        return {QStringLiteral("l'adresse e-mail n'est pas renseignée ou est invalide"),
                kTitleGeneration};
    }
    if (s.opt_quitter == 1 && s.box_siteprincipal.isEmpty()) {
        return {QStringLiteral("le site pour le l'option quitter n'est pas renseigné"),
                kTitleGeneration};
    }
    // These texts are written without quotes: anything but a whole number
    // would stop every page of the site with a parse error.
    struct Number {
        const QString& text;
        bool written;
        const char* field;  // the box's label on screen
    };
    const bool images = s.opt_image_accueil == 1;
    const bool automatic = s.box_col_accueil == QStringLiteral("Auto");
    const Number numbers[] = {
        {s.box_series_accueil, true, "Nombre de séries"},
        {s.box_col_accueil, images && !automatic, "nb de colonnes"},
        {s.box_ligne_accueil, images && !automatic, "nb de lignes"},
        {s.box_albums_accueil, images && automatic, "nb d'albums"},
        {s.box_baspage, s.opt_baspage == 1, "Hauteur du bas de page"},
    };
    for (const Number& n : numbers) {
        const vb::WholeNumberText number = vb::ReadWholeNumber(n.text);
        if (n.written && !number.value) {
            const QString rule = number.tooLarge ? QStringLiteral("est trop grand")
                                                 : QStringLiteral(
                                                       "doit être un nombre entier positif, écrit "
                                                       "en chiffres seuls");
            return {QStringLiteral("Le champ « %1 » %2 (valeur : « %3 »)")
                        .arg(QString::fromUtf8(n.field), rule, n.text),
                    kTitleGeneration, PromptIcon::Exclamation};
        }
    }
    return {};
}

bool btn_Create_Config_Click(Settings& s, const QList<StatsEntry>& stats, Prompt& prompt) {
    const ConfigRefusal refusal = checkConfig(s);
    if (!refusal.isEmpty()) {
        prompt.message(refusal.text, refusal.title, refusal.icon);
        return false;
    }
    const OnFailure onFailure{
        .title = kTitlePhp,
        .message = QStringLiteral("Erreur lors de la création du fichier Configuration : "),
        .withCause = true,
        .erreurs = &s.GV_Erreurs,
        .logLabel = QStringLiteral("Kalvorform.btn_Create_Config_click")};
    return RunOperation(prompt, onFailure, [&] {
        RequireExportFolder(s.GV_Export);
        const QString path = s.GV_Export + QStringLiteral("/require.php");
        TextFile file = CreateTextFile(path);
        for (const QString& line : requirePhpLines(s, stats, vb::Now())) {
            file.WriteLine(line);
        }
        file.Close();
        prompt.message(QStringLiteral("Fichier configuration généré \n") + path, kTitlePhp,
                       PromptIcon::Information);
    });
}

}  // namespace kalvor::sitegen
