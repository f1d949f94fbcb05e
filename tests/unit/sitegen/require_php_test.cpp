#include "sitegen/require_php.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/general.h"
#include "common/vb.h"
#include "platform/cp1252.h"
#include "platform/prompt.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::sitegen;

namespace {

const QDateTime kWhen(QDate(2026, 12, 6), QTime(21, 5));

Settings fullSettings(const QString& exportFolder = QString()) {
    Settings s;
    s.GV_Export = exportFolder;
    s.opt_albums = s.opt_acheter = s.opt_parabd = s.opt_revues = s.Opt_Collaborateurs = 1;
    s.repertoire = Settings::Repertoire::Absolu;
    s.verso = Settings::Verso::Left;
    s.path_versos = QStringLiteral("/srv/bd/versos");
    s.box_host = QStringLiteral("localhost");
    s.box_login = QStringLiteral("bd");
    s.box_password = QStringLiteral("secret");
    s.box_base = QStringLiteral("collection");
    s.box_prefixe_table = QStringLiteral("kv_");
    s.opt_imprimer = 1;
    s.box_titre = QStringLiteral("Ma collection de Bandes Dessinées");
    s.GV_Verso = QStringLiteral("left");
    s.GV_Auteur = 2;
    s.GV_Nb_Col = 1;
    s.GV_Dedi_Place = 1;
    s.opt_colorauteur = s.opt_commentaire = 1;
    s.opt_icones = s.opt_eo = s.opt_dedicace = s.opt_reliure = 1;
    s.opt_listecollection = s.opt_listestyle = s.opt_listeachat = s.opt_listenotes = 1;
    s.opt_moteur = 1;
    s.opt_miniatures = s.opt_manual = 1;
    s.box_prefix = QStringLiteral("m_");
    s.opt_email = 1;
    s.box_email = QStringLiteral("moi@exemple.fr");
    s.opt_quitter = 1;
    s.box_siteprincipal = QStringLiteral("http://exemple.fr/");
    s.box_series_accueil = QStringLiteral("10");
    s.opt_image_accueil = 1;
    s.box_col_accueil = QStringLiteral("3");
    s.box_ligne_accueil = QStringLiteral("4");
    s.box_albums_accueil = QStringLiteral("12");
    s.opt_stats = 1;
    s.opt_baspage = 1;
    s.box_baspage = QStringLiteral("40");
    const QStringList kinds = {"couvertures", "planches", "versos", "photos",
                               "dedicaces",   "parabd",   "revues"};
    QString* reps[] = {&s.GV_Rep_Couvertures, &s.GV_Rep_Planches,  &s.GV_Rep_Versos,
                       &s.GV_Rep_Photos,      &s.GV_Rep_Dedicaces, &s.GV_Rep_Parabd,
                       &s.GV_Rep_Revues};
    QString* thumbs[] = {&s.box_thumb_couvertures, &s.box_thumb_planches,  &s.box_thumb_versos,
                         &s.box_thumb_photos,      &s.box_thumb_dedicaces, &s.box_thumb_parabd,
                         &s.box_thumb_revues};
    for (int i = 0; i < 7; ++i) {
        *reps[i] = QStringLiteral("../") + kinds[i];
        *thumbs[i] = QStringLiteral("../mini/") + kinds[i];
    }
    s.opt_perso1 = s.opt_perso3 = 1;
    s.GV_Perso1 = QStringLiteral("Lieu de rangement");
    s.GV_Perso2 = QStringLiteral("Etat");
    s.GV_Perso3 = QStringLiteral("Prix payé");
    s.GV_Perso4 = QStringLiteral("Lu");
    s.GV_Tri_Para_1 = QStringLiteral("typeobjet");
    s.GV_Tri_Para_2 = QStringLiteral("a.editeur");
    s.GV_Tri_Para_3 = QStringLiteral("c.num");
    s.GV_Tri_Para_4 = QStringLiteral("numero");
    s.GV_Tri_Para_5 = QStringLiteral("right(a.dl, 4), left(a.dl, 2)");
    s.GV_Tri_Para_6 = QStringLiteral("libraire");
    s.GV_Tri_Para_7 = QStringLiteral("description");
    s.GV_Plugin_Tintin_Id = 12;
    s.GV_Plugin_Tintin_Path = QStringLiteral("voitures/");
    return s;
}

QList<StatsEntry> someStats() {
    QList<StatsEntry> stats;
    for (int i = 1; i <= 11; ++i) {
        stats.append({QStringLiteral("ST%1").arg(i, 2, 10, QLatin1Char('0')), 1, 10, 1, 1});
    }
    std::swap(stats[1], stats[2]);
    stats[1].use = 0;
    stats[1].nb = 5;
    stats[1].type = stats[1].autres = 0;
    stats[2].nb = 15;
    stats[2].type = 0;
    stats[3].autres = 0;
    for (int i : {9, 10}) {
        stats[i].nb = stats[i].type = stats[i].autres = 0;
    }
    return stats;
}

QStringList expectedLines(const QString& name) {
    QString text = QString::fromUtf8(
        test::readAll(test::sourceDir() + QStringLiteral("/tests/unit/sitegen/expected/") + name));
    QStringList lines = text.split(u'\n');
    lines.removeLast();
    return lines;
}

QString lineOf(const QStringList& lines, const QString& start) {
    for (const QString& line : lines) {
        if (line.startsWith(start)) {
            return line;
        }
    }
    return QString();
}

bool havePhp() {
    return !QStandardPaths::findExecutable(QStringLiteral("php")).isEmpty();
}

// Runs PHP code after loading the file; standard output.
QByteArray runPhp(const QString& requireFile, const QString& code) {
    QProcess php;
    php.start(QStringLiteral("php"),
              {QStringLiteral("-r"), QStringLiteral("include '%1'; %2").arg(requireFile, code)});
    php.waitForFinished(30000);
    return php.readAllStandardOutput() + php.readAllStandardError();
}

}  // namespace

TEST(RequirePhp, FullSettingsGiveTheWholeFileOfSettingsAloneThenTheClosingLines) {
    const QStringList lines = requirePhpLines(fullSettings(), someStats(), kWhen);
    const QStringList expected = expectedLines(QStringLiteral("require_full.php"));
    ASSERT_EQ(lines.size(), expected.size() + 3);
    for (int i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(lines[i], expected[i]) << "line " << i + 1;
    }
    EXPECT_EQ(
        lines.mid(lines.size() - 3),
        (QStringList{QString(), QStringLiteral("error_reporting(E_ERROR | E_WARNING | E_PARSE);"),
                     QStringLiteral("?>")}));
}

TEST(RequirePhp, FooterOffThumbnailsOffAndHomeImageRules) {
    Settings s = fullSettings();
    s.opt_baspage = 0;
    s.box_baspage = QStringLiteral("n'importe quoi");  // not written, so not checked
    s.opt_miniatures = 0;
    s.box_col_accueil = QStringLiteral("Auto");
    QStringList lines = requirePhpLines(s, someStats(), kWhen);
    EXPECT_EQ(lineOf(lines, QStringLiteral("$GV_baspage")),
              QStringLiteral(
                  "$GV_baspage        = 0; //(Affichage d'un bas de page => 1: oui - 0: non)"));
    EXPECT_EQ(lineOf(lines, QStringLiteral("$GV_taille_baspage")), QString());
    EXPECT_EQ(lines[lines.indexOf(lineOf(lines, QStringLiteral("$GV_baspage"))) + 1], QString());
    EXPECT_EQ(lineOf(lines, QStringLiteral("$THUMB_versos")),
              QStringLiteral("$THUMB_versos      = \"../versos\";"));
    EXPECT_EQ(lineOf(lines, QStringLiteral("$GV_miniature")).left(22),
              QStringLiteral("$GV_miniature      = 1"));
    EXPECT_EQ(
        lineOf(lines, QStringLiteral("$GV_col_accueil")),
        QStringLiteral("$GV_col_accueil    = 1; // (nb de colonnes pour miniatures page accueil)"));
    EXPECT_EQ(
        lineOf(lines, QStringLiteral("$GV_ligne_accueil")),
        QStringLiteral("$GV_ligne_accueil  = 12; // (nb de lignes pour miniatures page accueil)"));
    EXPECT_TRUE(checkConfig(s).isEmpty());

    s.opt_image_accueil = 0;
    s.box_albums_accueil = QString();
    lines = requirePhpLines(s, someStats(), kWhen);
    EXPECT_EQ(
        lineOf(lines, QStringLiteral("$GV_col_accueil")),
        QStringLiteral("$GV_col_accueil    = 0; // (nb de colonnes pour miniatures page accueil)"));
    EXPECT_EQ(
        lineOf(lines, QStringLiteral("$GV_ligne_accueil")),
        QStringLiteral("$GV_ligne_accueil  = 0; // (nb de lignes pour miniatures page accueil)"));
    EXPECT_TRUE(checkConfig(s).isEmpty());

    s.opt_acheter = 0;
    EXPECT_EQ(lineOf(requirePhpLines(s, {}, kWhen), QStringLiteral("$GV_collection")).left(30),
              QStringLiteral("$GV_collection     = \"albums\";"));
    s.opt_albums = 0;
    s.opt_acheter = 1;
    EXPECT_EQ(lineOf(requirePhpLines(s, {}, kWhen), QStringLiteral("$GV_collection")).left(31),
              QStringLiteral("$GV_collection     = \"acheter\";"));
}

// Without the catalogue application's captions the site's cards and charts
// still tell the four fields apart, by the names the window gives them.
TEST(RequirePhp, UnnamedCustomFieldsAreNamedAsInTheWindow) {
    Settings s = fullSettings();
    s.GV_Perso2.clear();
    s.GV_Perso4.clear();
    const QStringList lines = requirePhpLines(s, someStats(), kWhen);
    EXPECT_EQ(lineOf(lines, QStringLiteral("$GV_Perso1 ")),
              QStringLiteral("$GV_Perso1         = \"Lieu&nbsp;de&nbsp;rangement\";"));
    EXPECT_EQ(lineOf(lines, QStringLiteral("$GV_Perso2 ")),
              QStringLiteral("$GV_Perso2         = \"Perso&nbsp;2\";"));
    EXPECT_EQ(lineOf(lines, QStringLiteral("$GV_Perso4 ")),
              QStringLiteral("$GV_Perso4         = \"Perso&nbsp;4\";"));
    EXPECT_TRUE(s.GV_Perso2.isEmpty());
}

TEST(RequirePhp, ButtonWritesWindows1252WithCrLfAndPhpReadsTheValuesBack) {
    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    Settings s = fullSettings(dir.path());
    s.box_password = QStringLiteral("a\"b$c\\d'e{$x}");
    s.box_titre = QStringLiteral("Séries « à lire »");
    RecordingPrompt prompt;
    vb::ScopedClock clock(kWhen);
    ASSERT_TRUE(btn_Create_Config_Click(s, someStats(), prompt));
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text, QStringLiteral("Fichier configuration généré \n") +
                                          dir.path() + QStringLiteral("/require.php"));
    EXPECT_EQ(prompt.shown()[0].title, QStringLiteral("Kalvor 1.8.3 - PHP"));
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Information);

    const QString path = dir.path() + QStringLiteral("/require.php");
    const QByteArray bytes = test::readAll(path);
    EXPECT_TRUE(bytes.startsWith("<?php\r\n// ****"));
    EXPECT_TRUE(
        bytes.contains("//Config base de donn\xE9"
                       "es MYSQL\r\n"));
    EXPECT_TRUE(bytes.endsWith("error_reporting(E_ERROR | E_WARNING | E_PARSE);\r\n?>\r\n"));
    EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n"));

    if (!havePhp()) {
        GTEST_SKIP() << "php is not installed";
    }
    QProcess lint;
    lint.start(QStringLiteral("php"), {QStringLiteral("-l"), path});
    lint.waitForFinished(30000);
    EXPECT_EQ(lint.exitCode(), 0) << lint.readAllStandardOutput().toStdString();

    EXPECT_EQ(runPhp(path, QStringLiteral("echo $password;")), QByteArray("a\"b$c\\d'e{$x}"));
    EXPECT_EQ(runPhp(path, QStringLiteral("echo $GV_titre;")),
              cp1252::encode(QStringLiteral("Séries « à lire »")));
    EXPECT_EQ(runPhp(path, QStringLiteral("echo $GV_Stats_array[10]['stat'], "
                                          "count($GV_Stats_array), $GV_series_accueil + 1;")),
              QByteArray("ST111111"));
    // Settings alone: what a host lacks comes with the site's files.
    EXPECT_EQ(runPhp(path, QStringLiteral("echo count(get_defined_functions()['user']);")),
              QByteArray("0"));
}

// PHP reads "08" as no number at all and "010" as octal: each number goes in
// as its decimal value (the window's own test runs php -l on the file).
TEST(RequirePhp, NumbersTypedWithLeadingZerosAreWrittenAsTheirDecimalValue) {
    Settings s = fullSettings();
    s.box_series_accueil = QStringLiteral("000");
    s.box_col_accueil = QStringLiteral("Auto");
    s.box_albums_accueil = QStringLiteral("010");
    s.box_baspage = QStringLiteral(" 012 ");
    ASSERT_TRUE(checkConfig(s).isEmpty());
    const QStringList lines = requirePhpLines(s, someStats(), kWhen);
    EXPECT_TRUE(lineOf(lines, QStringLiteral("$GV_series_accueil"))
                    .startsWith(QStringLiteral("$GV_series_accueil = 0;")));
    EXPECT_TRUE(lineOf(lines, QStringLiteral("$GV_ligne_accueil"))
                    .startsWith(QStringLiteral("$GV_ligne_accueil  = 10;")));
    EXPECT_TRUE(lineOf(lines, QStringLiteral("$GV_taille_baspage"))
                    .startsWith(QStringLiteral("$GV_taille_baspage = 12;")));
}

// The texts the pages show keep a letter beyond Windows-1252 as its
// reference; the values the host takes byte for byte are refused with it.
TEST(RequirePhp, LettersBeyondWindows1252AreReferencesInTextsAndRefusedInHostValues) {
    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    Settings s = fullSettings(dir.path());
    s.box_titre = QStringLiteral("漫画 de Łódź, 1€");
    s.GV_Perso1 = QStringLiteral("Lieu ő");
    s.box_password = QStringLiteral("pässwörd€");
    s.GV_Rep_Couvertures = QStringLiteral("/srv/bd/Couvertures é");
    const QStringList lines = requirePhpLines(s, someStats(), kWhen);
    EXPECT_EQ(lineOf(lines, QStringLiteral("$GV_titre ")),
              QStringLiteral("$GV_titre          = \"&#28459;&#30011; de &#321;ód&#378;, 1€\";  "
                             "//(Titre affiché dans la barre + page accueil)"));
    EXPECT_EQ(lineOf(lines, QStringLiteral("$GV_Perso1 ")),
              QStringLiteral("$GV_Perso1         = \"Lieu&nbsp;&#337;\";"));
    EXPECT_TRUE(checkConfig(s).isEmpty());

    const QString generation = QStringLiteral("Kalvor 1.8.3 - Génération PHP");
    const struct {
        QString Settings::*field;
        const char* value;
        const char* message;
    } refused[] = {
        {&Settings::box_password, "пароль€Ω",
         "Le champ « Mot de passe » (onglet « 1. Configuration ») contient un caractère que les "
         "fichiers du site ne peuvent pas tenir tel quel (seuls ceux de Windows-1252 y passent)"},
        {&Settings::box_base, "kolekcja_ł",
         "Le champ « Base » (onglet « 1. Configuration ») contient « ł », un caractère que les "
         "fichiers du site ne peuvent pas tenir tel quel (seuls ceux de Windows-1252 y passent)"},
        {&Settings::GV_Rep_Revues, "/srv/bd/Revues 😀",
         "Le champ « Revues » (onglet « 5. Répertoires ») contient « 😀 », un caractère que les "
         "fichiers du site ne peuvent pas tenir tel quel (seuls ceux de Windows-1252 y passent)"},
        {&Settings::box_thumb_versos, "../mini/Łódź",
         "Le champ « Versos » (onglet « 6. Miniatures ») contient « Ł », un caractère que les "
         "fichiers du site ne peuvent pas tenir tel quel (seuls ceux de Windows-1252 y passent)"},
        {&Settings::box_prefix, "m→",
         "Le champ « Préfixe figurant devant le nom du fichier » (onglet « 6. Miniatures ») "
         "contient « → », un caractère que les fichiers du site ne peuvent pas tenir tel quel "
         "(seuls ceux de Windows-1252 y passent)"},
    };
    for (const auto& r : refused) {
        Settings wrong = s;
        wrong.*r.field = QString::fromUtf8(r.value);
        RecordingPrompt prompt;
        EXPECT_FALSE(btn_Create_Config_Click(wrong, someStats(), prompt)) << r.value;
        ASSERT_EQ(prompt.shown().size(), 1u);
        EXPECT_EQ(prompt.shown()[0].text, QString::fromUtf8(r.message));
        EXPECT_EQ(prompt.shown()[0].title, generation);
        EXPECT_TRUE(QDir(dir.path()).isEmpty());
    }
    // Folders that the file does not hold are not looked at.
    s.repertoire = Settings::Repertoire::Sousrep;
    s.path_revues = QStringLiteral("/srv/bd/Łódź");
    s.opt_miniatures = 0;
    s.box_thumb_revues = QStringLiteral("Łódź");
    EXPECT_TRUE(checkConfig(s).isEmpty());
}

TEST(RequirePhp, TheFiveChecksInTheirOrderWriteNothing) {
    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    Settings s = fullSettings(dir.path());
    // Every check fails at once; fixing them one by one shows them in order.
    s.opt_albums = s.opt_acheter = 0;
    s.path_versos.clear();
    s.box_login.clear();
    s.box_email = QStringLiteral("moi.exemple.fr");
    s.box_siteprincipal.clear();
    s.box_series_accueil = QStringLiteral("dix");
    s.box_prefixe_table = QStringLiteral("kv x");

    const QString config = QStringLiteral("Kalvor 1.8.3Config - PHP");
    const QString generation = QStringLiteral("Kalvor 1.8.3 - Génération PHP");
    struct Step {
        QString text;
        QString title;
        std::function<void(Settings&)> fix;
    };
    const std::vector<Step> steps = {
        {QStringLiteral("Veuillez sélection Albums, Acheter ou les deux"), config,
         [](Settings& c) { c.opt_acheter = 1; }},
        {QStringLiteral("Veuillez renseigner l'endroit où sont stockées les versos"), config,
         [](Settings& c) { c.verso = Settings::Verso::None; }},
        {QStringLiteral("les paramètres de Configuration de la base php ne sont pas renseignés"),
         generation, [](Settings& c) { c.box_login = QStringLiteral(" "); }},
        {QStringLiteral("Le champ « préfixe pour les tables »"), generation,
         [](Settings& c) { c.box_prefixe_table = QStringLiteral("kv$"); }},
        {QStringLiteral("l'adresse e-mail n'est pas renseignée ou est invalide"), generation,
         [](Settings& c) { c.box_email = QStringLiteral("@"); }},
        {QStringLiteral("le site pour le l'option quitter n'est pas renseigné"), generation,
         [](Settings& c) { c.opt_quitter = 0; }},
    };
    for (const Step& step : steps) {
        RecordingPrompt prompt;
        EXPECT_FALSE(btn_Create_Config_Click(s, {}, prompt));
        ASSERT_EQ(prompt.shown().size(), 1u);
        EXPECT_TRUE(prompt.shown()[0].text.startsWith(step.text)) << step.text.toStdString();
        EXPECT_EQ(prompt.shown()[0].title, step.title);
        EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
        EXPECT_TRUE(s.GV_Erreurs.isEmpty());
        EXPECT_TRUE(QDir(dir.path()).isEmpty());
        step.fix(s);
    }

    // Then a bare number that is not one, named by its field.
    RecordingPrompt prompt;
    EXPECT_FALSE(btn_Create_Config_Click(s, {}, prompt));
    ASSERT_EQ(prompt.shown().size(), 1u);
    const QString refusal = prompt.shown()[0].text;
    EXPECT_TRUE(refusal.startsWith(QStringLiteral("Le champ « Nombre de séries » doit être")));
    EXPECT_TRUE(refusal.endsWith(QStringLiteral("(valeur : « dix »)")));
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Exclamation);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    s.box_series_accueil = QStringLiteral("10");
    for (auto [field, value] :
         {std::pair{&Settings::box_ligne_accueil, "4.5"}, std::pair{&Settings::box_col_accueil, ""},
          std::pair{&Settings::box_baspage, "40px"},
          std::pair{&Settings::box_series_accueil, "-5"}}) {
        Settings wrong = s;
        wrong.*field = QString::fromUtf8(value);
        // Whole, and not below zero: "-5" is a whole number.
        EXPECT_TRUE(checkConfig(wrong).text.contains(QStringLiteral("entier positif"))) << value;
    }
    RecordingPrompt ok;
    EXPECT_TRUE(btn_Create_Config_Click(s, {}, ok));
}

TEST(RequirePhp, AMissingExportFolderIsReportedLoggedAndLeavesNoFile) {
    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    const QString gone = dir.path() + QStringLiteral("/parti");
    RecordingPrompt prompt;
    Settings s = fullSettings(gone);
    s.GV_Erreurs = QStringLiteral("avant");
    EXPECT_FALSE(btn_Create_Config_Click(s, someStats(), prompt));
    ASSERT_EQ(prompt.shown().size(), 1u);
    // The cause too: nothing else on screen says it.
    EXPECT_EQ(prompt.shown()[0].text,
              QStringLiteral("Erreur lors de la création du fichier Configuration : Chemin "
                             "d'accès introuvable : ") +
                  gone);
    EXPECT_EQ(prompt.shown()[0].title, QStringLiteral("Kalvor 1.8.3 - PHP"));
    EXPECT_TRUE(s.GV_Erreurs.startsWith(QStringLiteral("avant\nerreur : ")));
    EXPECT_FALSE(QDir(gone).exists());
    const QByteArray log = test::readAll(general::Log_Path());
    EXPECT_TRUE(log.startsWith("Kalvorform.btn_Create_Config_click\r\n")) << log.toStdString();
}

TEST(RequirePhp, AnExportFolderNeverChosenIsAFailureNotTheRootOfTheDisk) {
    test::IsolatedEnvironment env;
    RecordingPrompt prompt;
    Settings s = fullSettings(QString());
    EXPECT_FALSE(btn_Create_Config_Click(s, someStats(), prompt));
    EXPECT_TRUE(
        s.GV_Erreurs.endsWith(QStringLiteral("erreur : Aucun répertoire d'export n'est choisi.")));
    EXPECT_FALSE(QFile::exists(QStringLiteral("/require.php")));
}
