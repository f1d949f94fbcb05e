#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include "catalogue/sqlite_catalogue.h"
#include "common/table_prefix.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/registry/registry.h"
#include "program_job.h"
#include "unit/sqlscripts/grown_catalogue.h"

using kalvor::test::Job;
using kalvor::test::runProgram;
using kalvor::test::writeStore;

TEST(UnattendedRun, FullExportRunsWithoutADisplay) {
    kalvor::test::IsolatedEnvironment env;
    const QString exportFolder = env.path() + QStringLiteral("/export");
    QDir().mkpath(exportFolder);
    writeStore(env, exportFolder);
    const Job job = runProgram(env, {QStringLiteral("donnees"), QStringLiteral("latin1")});
    EXPECT_EQ(job.exitCode, 0) << job.output.toStdString();
    EXPECT_TRUE(QFileInfo::exists(exportFolder + QStringLiteral("/scripts/donnees.sql")));
    // One line for the job's log: what was written, where.
    EXPECT_EQ(job.output, QStringLiteral("[Kalvor 1.8.3 - Génération SQL] Génération des donnees "
                                         "terminée : ") +
                              exportFolder + QStringLiteral("/scripts/donnees.sql\n"));
    const QString store = QString::fromUtf8(kalvor::test::readAll(env.registryPath()));
    EXPECT_TRUE(store.contains(QStringLiteral("\"lastrun\"="))) << store.toStdString();
    // Only the marks: the settings and the charts are not written.
    EXPECT_FALSE(store.contains(QStringLiteral("\"Titre\"")));
    EXPECT_FALSE(store.contains(QStringLiteral("_sequence")));
}

TEST(UnattendedRun, AFailedExportEndsWithAnErrorCode) {
    kalvor::test::IsolatedEnvironment env;
    writeStore(env, env.path() + QStringLiteral("/absent"));
    const Job job = runProgram(env, {QStringLiteral("donnees")});
    EXPECT_NE(job.exitCode, 0);
    EXPECT_EQ(job.output, QStringLiteral("[Kalvor 1.8.3 - Génération SQL] Erreur lors de la "
                                         "création des donnees : Chemin d'accès "
                                         "introuvable : ") +
                              env.path() + QStringLiteral("/absent/scripts\n"));
}

// A word in the wrong case asks for the window, which a job cannot show.
TEST(UnattendedRun, AWindowWithoutADisplayIsRefusedInFrench) {
    kalvor::test::IsolatedEnvironment env;
    writeStore(env, env.path());
    const Job job = runProgram(env, {QStringLiteral("Donnees")});
    EXPECT_EQ(job.exitCode, 1);
    EXPECT_TRUE(job.output.startsWith(QStringLiteral("[Kalvor 1.8.3] Aucun affichage")))
        << job.output.toStdString();
    EXPECT_EQ(job.output.count(u'\n'), 1) << job.output.toStdString();
}

TEST(UnattendedRun, IncrementalExportAfterAFullOne) {
    kalvor::test::IsolatedEnvironment env;
    const QString exportFolder = env.path() + QStringLiteral("/export");
    QDir().mkpath(exportFolder);
    writeStore(env, exportFolder);
    ASSERT_EQ(runProgram(env, {QStringLiteral("donnees")}).exitCode, 0);
    const Job job = runProgram(env, {QStringLiteral("donnees dernieres_donnees")});
    EXPECT_EQ(job.exitCode, 0) << job.output.toStdString();
    EXPECT_TRUE(QFileInfo::exists(exportFolder + QStringLiteral("/scripts/dernieres_donnees.sql")));
    EXPECT_EQ(job.output, QStringLiteral("[Kalvor 1.8.3 - Génération SQL] fichier ") +
                              exportFolder +
                              QStringLiteral("/scripts/dernieres_donnees.sql généré ; Pas de "
                                             "nouvelles données\n"));

    // "Collaborateurs" ticked since: the albums on the site lack theirs,
    // which only a full export sends.
    const QByteArray script =
        kalvor::test::readAll(exportFolder + QStringLiteral("/scripts/dernieres_donnees.sql"));
    QString store = QString::fromUtf8(kalvor::test::readAll(env.registryPath()));
    // The marks' section comes last.
    store += QStringLiteral("\"collection\"=\"9\"\r\n");
    kalvor::test::writeAll(env.registryPath(), store.toUtf8());
    const Job refused = runProgram(env, {QStringLiteral("dernieres_donnees")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.output.count(u'\n'), 1);
    // A full export of the collection alone is not enough once the wish list
    // went without its links: the refusal says which lists it must send.
    EXPECT_TRUE(refused.output.contains(
        QStringLiteral("Faites une exportation complète, « Collaborateurs » coché, des « Albums "
                       "de la collection » et des « Albums Recherchés » s'ils ont déjà été "
                       "publiés")))
        << refused.output.toStdString();
    EXPECT_EQ(
        kalvor::test::readAll(exportFolder + QStringLiteral("/scripts/dernieres_donnees.sql")),
        script);
    ASSERT_EQ(runProgram(env, {QStringLiteral("donnees")}).exitCode, 0);
    EXPECT_EQ(runProgram(env, {QStringLiteral("dernieres_donnees")}).exitCode, 0);
}

// The scripts folder holds the last export's data scripts alone, so that
// loading every donnees*.sql loads the catalogue as it is now; the user's
// own files stay.
TEST(UnattendedRun, ASplitExportNamesEachFileOnOneLine) {
    kalvor::test::IsolatedEnvironment env;
    const QString exportFolder = env.path() + QStringLiteral("/export");
    const QString scripts = exportFolder + QStringLiteral("/scripts/");
    const QStringList earlier = {"donnees.sql", "donnees_ALBUMS_1sur10.sql",
                                 "donnees_AUTEURS_10sur10.sql", "donnees_REVUES.sql"};
    const QStringList others = {"donnees_ALBUMS_1sur10.sql.bak", "donnees_perso.sql",
                                "dernieres_donnees.sql", "tables.sql"};
    for (const QString& name : earlier + others) {
        kalvor::test::writeAll(scripts + name, "-- earlier\r\n");
    }
    writeStore(env, exportFolder, QStringLiteral("\"split\"=\"true\"\r\n"));
    const Job job = runProgram(env, {QStringLiteral("donnees")});
    EXPECT_EQ(job.exitCode, 0) << job.output.toStdString();
    EXPECT_EQ(job.output.count(u'\n'), 1) << job.output.toStdString();
    EXPECT_TRUE(job.output.endsWith(scripts + QStringLiteral("donnees_ALBUMS.sql\n")))
        << job.output.toStdString();
    const QStringList split = {"donnees_ALBUMS.sql", "donnees_AUTEURS.sql", "donnees_SERIES.sql"};
    const auto folder = [&] {
        QStringList names = QDir(scripts).entryList(QDir::Files | QDir::Hidden | QDir::AllDirs |
                                                    QDir::NoDotAndDotDot);
        names.sort();
        return names;
    };
    QStringList expected = split + others;
    expected.sort();
    EXPECT_EQ(folder(), expected);

    QString store = QString::fromUtf8(kalvor::test::readAll(env.registryPath()));
    kalvor::test::writeAll(env.registryPath(),
                           store.replace("\"split\"=\"true\"", "\"split\"=\"false\"").toUtf8());
    ASSERT_EQ(runProgram(env, {QStringLiteral("donnees")}).exitCode, 0);
    expected = QStringList{"donnees.sql"} + others;
    expected.sort();
    EXPECT_EQ(folder(), expected);

    // A file of the set that cannot take its place, or an earlier one that
    // cannot go, leaves the previous set whole.
    kalvor::test::writeAll(env.registryPath(),
                           store.replace("\"split\"=\"false\"", "\"split\"=\"true\"").toUtf8());
    QDir().mkpath(scripts + QStringLiteral("donnees_ALBUMS.sql"));
    kalvor::test::writeAll(scripts + QStringLiteral("donnees_REVUES.sql"), "-- earlier\r\n");
    const bool immutable =
        QProcess::execute(QStringLiteral("chattr"),
                          {QStringLiteral("+i"), scripts + "donnees_REVUES.sql"}) == 0;
    expected << "donnees_ALBUMS.sql"
             << "donnees_REVUES.sql";
    expected.sort();
    for (const QString& blocker : {QStringLiteral("donnees_ALBUMS.sql (c'est un dossier)"),
                                   QStringLiteral("donnees_REVUES.sql (permission refusée)")}) {
        const Job refused = runProgram(env, {QStringLiteral("donnees")});
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.output.contains(scripts + blocker)) << refused.output.toStdString();
        EXPECT_EQ(folder(), expected);
        QDir(scripts + QStringLiteral("donnees_ALBUMS.sql")).removeRecursively();
        expected.removeOne(QStringLiteral("donnees_ALBUMS.sql"));
        if (!immutable) {
            break;
        }
    }
    QProcess::execute(QStringLiteral("chattr"),
                      {QStringLiteral("-i"), scripts + "donnees_REVUES.sql"});
}

TEST(UnattendedRun, ARefusedStoredTablePrefixStopsBothExportsUntilCorrected) {
    kalvor::test::IsolatedEnvironment env;
    const QString exportFolder = env.path() + QStringLiteral("/export");
    QDir().mkpath(exportFolder);
    writeStore(env, exportFolder,
               QStringLiteral("\"prefixe_table\"=\"kv x\"\r\n\"Lastrun\"=\"01/01/2000\"\r\n"));
    const QByteArray store = kalvor::test::readAll(env.registryPath());
    const QString refusal = kalvor::TablePrefixRefusal(QStringLiteral("kv x"));
    for (const QString& word : {QStringLiteral("donnees"), QStringLiteral("dernieres_donnees")}) {
        const Job job = runProgram(env, {word});
        EXPECT_EQ(job.exitCode, 1) << job.output.toStdString();
        // Once, on the export's one line.
        EXPECT_EQ(job.output, QStringLiteral("[Kalvor 1.8.3 - Génération SQL] ") + refusal + u'\n');
        EXPECT_FALSE(QDir(exportFolder + QStringLiteral("/scripts")).exists());
        EXPECT_EQ(kalvor::test::readAll(env.registryPath()), store);
    }

    writeStore(env, exportFolder, QStringLiteral("\"prefixe_table\"=\"kv$\"\r\n"));
    EXPECT_EQ(runProgram(env, {QStringLiteral("donnees")}).exitCode, 0);
    const QByteArray script =
        kalvor::test::readAll(exportFolder + QStringLiteral("/scripts/donnees.sql"));
    EXPECT_TRUE(script.contains("DELETE FROM kv$albums;"));
    EXPECT_FALSE(script.contains("INTO albums"));
}

TEST(UnattendedRun, ADamagedCatalogueIsRefusedWithoutWritingOrMovingAMark) {
    QByteArray crashing = kalvor::test::readAll(
        kalvor::test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb")));
    QByteArray cut = crashing.left(307200);
    QByteArray memo = crashing;
    memo[163855] = char(memo[163855] ^ 0xff);
    crashing[0x18037] = char(0x9c);
    for (const QByteArray& damaged : {crashing, cut, memo}) {
        kalvor::test::IsolatedEnvironment env;
        const QString exportFolder = env.path() + QStringLiteral("/export");
        const QString catalogue = env.path() + QStringLiteral("/catalogue.mdb");
        QDir().mkpath(exportFolder);
        kalvor::test::writeAll(catalogue, damaged);
        writeStore(env, exportFolder, QString(), catalogue);
        const Job job = runProgram(env, {QStringLiteral("donnees")});
        EXPECT_EQ(job.exitCode, 1) << job.output.toStdString();
        EXPECT_TRUE(job.output.contains(QStringLiteral("Erreur lors de la création des donnees")))
            << job.output.toStdString();
        EXPECT_TRUE(job.output.contains(QStringLiteral("est endommagée ou incomplète")))
            << job.output.toStdString();
        // libmdb's own complaints stay off the console.
        EXPECT_FALSE(job.output.contains(QStringLiteral("EOF"))) << job.output.toStdString();
        QDirIterator written(exportFolder, QDir::Files | QDir::Hidden,
                             QDirIterator::Subdirectories);
        EXPECT_FALSE(written.hasNext()) << written.next().toStdString();
        const QString after = QString::fromUtf8(kalvor::test::readAll(env.registryPath()));
        EXPECT_FALSE(after.contains(QStringLiteral("\"lastrun\""), Qt::CaseInsensitive) ||
                     after.contains(QStringLiteral("\"lastid"), Qt::CaseInsensitive))
            << after.toStdString();
    }
}

namespace {

// Every "name"="value" line of a .reg text.
QStringList valueLines(const QString& text) {
    QStringList lines;
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
        if (line.startsWith(u'"')) {
            lines << line;
        }
    }
    return lines;
}

}  // namespace

// Its UTF-16 files, and the Windows-1252 ones of its older REGEDIT4 format,
// which an editor on Linux saves in UTF-8.
TEST(UnattendedRun, ASettingsFileExportedByTheWindowsRegistryEditorIsReadAndKeptWhole) {
    const struct {
        const char* header;
        QStringConverter::Encoding encoding;
        QByteArray bom;
    } formats[] = {{"Windows Registry Editor Version 5.00", QStringConverter::Utf16LE, "\xFF\xFE"},
                   {"REGEDIT4", QStringConverter::Latin1, ""},
                   {"REGEDIT4", QStringConverter::Utf8, ""}};
    for (const auto& format : formats) {
        SCOPED_TRACE(format.header);
        kalvor::test::IsolatedEnvironment env;
        const QString exportFolder = env.path() + QStringLiteral("/export é");
        QDir().mkpath(exportFolder);
        const QString text =
            QString::fromLatin1(format.header) +
            QStringLiteral(
                "\r\n\r\n"
                "[HKEY_CURRENT_USER\\Software\\Ormelo6]\r\n\"CheminBase\"=\"%1\"\r\n\r\n"
                "[HKEY_CURRENT_USER\\Software\\Kalvor\\Config]\r\n"
                "\"password\"=\"mot « de » passe\"\r\n\"host\"=\"db.example\"\r\n"
                "\"Titre\"=\"Mes bandes dessinées\"\r\n\"split\"=\"false\"\r\n\r\n"
                "[HKEY_CURRENT_USER\\Software\\Kalvor\\Repertoires]\r\n\"Export\"=\"%2\"\r\n\r\n")
                .arg(kalvor::test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb")),
                     exportFolder);
        QStringEncoder encoder(format.encoding);
        kalvor::test::writeAll(env.registryPath(), format.bom + QByteArray(encoder.encode(text)));

        const Job job = runProgram(env, {QStringLiteral("donnees")});
        EXPECT_EQ(job.exitCode, 0) << job.output.toStdString();
        EXPECT_FALSE(job.output.contains(QStringLiteral("illisible"))) << job.output.toStdString();
        EXPECT_TRUE(QFileInfo::exists(exportFolder + QStringLiteral("/scripts/donnees.sql")));

        const QByteArray after = kalvor::test::readAll(env.registryPath());
        ASSERT_TRUE(after.startsWith(format.bom));
        QStringDecoder decoder(format.encoding);
        const QString written = decoder.decode(after.mid(format.bom.size()));
        EXPECT_TRUE(written.startsWith(QString::fromLatin1(format.header) + "\r\n"));
        const QStringList lines = valueLines(written);
        for (const QString& line : valueLines(text)) {
            EXPECT_TRUE(lines.contains(line)) << line.toStdString();
        }
        EXPECT_TRUE(written.contains(QStringLiteral("\"lastrun\"="))) << written.toStdString();
    }
}

// A copy of a file read only in part is the user's only trace of what it
// held: later runs, finding the rewritten file sound, never write over it.
TEST(UnattendedRun, TheCopyOfAFileReadOnlyInPartOutlivesTheRunsAfterIt) {
    kalvor::test::IsolatedEnvironment env;
    const QString exportFolder = env.path() + QStringLiteral("/export");
    QDir().mkpath(exportFolder);
    writeStore(env, exportFolder, QStringLiteral("\"password\"=\"secret\r\n\"host\"=\"h\"\r\n"));
    const QByteArray damaged = kalvor::test::readAll(env.registryPath());
    const QString copy = env.registryPath() + QStringLiteral(".illisible-1");

    const Job first = runProgram(env, {QStringLiteral("donnees")});
    EXPECT_EQ(first.exitCode, 0) << first.output.toStdString();
    EXPECT_TRUE(first.output.contains(QStringLiteral("copie du fichier est gardée sous ") + copy))
        << first.output.toStdString();
    for (int run = 0; run < 2; ++run) {
        // An older mark: each later run has its own to save.
        QString store = QString::fromUtf8(kalvor::test::readAll(env.registryPath()));
        store.replace(QRegularExpression(QStringLiteral("\"lastrun\"=\"[^\"]*\"")),
                      QStringLiteral("\"lastrun\"=\"01/01/2000\""));
        kalvor::test::writeAll(env.registryPath(), store.toUtf8());
        const Job later = runProgram(env, {QStringLiteral("donnees")});
        EXPECT_EQ(later.exitCode, 0) << later.output.toStdString();
        EXPECT_FALSE(later.output.contains(QStringLiteral("illisible")))
            << later.output.toStdString();
        EXPECT_FALSE(kalvor::test::readAll(env.registryPath()).contains("01/01/2000"));
    }
    EXPECT_EQ(kalvor::test::readAll(copy), damaged);
    EXPECT_FALSE(QFileInfo::exists(env.registryPath() + QStringLiteral(".illisible-2")));

    // No copy can be made: the file stays as found, and the marks it could
    // not take end the run with their cause, the earlier scripts put back.
    kalvor::test::writeAll(env.registryPath(), damaged);
    for (int n = 2; n <= 999; ++n) {
        kalvor::test::writeAll(env.registryPath() + QStringLiteral(".illisible-%1").arg(n),
                               QByteArray::number(n));
    }
    kalvor::test::writeAll(copy, "autre");
    const Job unsaved = runProgram(env, {QStringLiteral("donnees")});
    EXPECT_EQ(unsaved.exitCode, 1) << unsaved.output.toStdString();
    EXPECT_TRUE(unsaved.output.endsWith(
        QStringLiteral("[Kalvor 1.8.3 - Génération SQL] Erreur lors de la création des donnees : "
                       "Les marques de la dernière exportation n'ont pas été enregistrées : les "
                       "scripts précédents sont remis en place dans %2/scripts.\n"
                       "[Kalvor 1.8.3] Les réglages ne peuvent pas être "
                       "enregistrés dans %1 (le fichier, en partie illisible, n'a pas pu être "
                       "copié sous %1.illisible-999 : trop de copies déjà gardées).\n")
            .arg(env.registryPath(), exportFolder)))
        << unsaved.output.toStdString();
    EXPECT_EQ(kalvor::test::readAll(env.registryPath()), damaged);
}

// A setting the exports cannot read, as a settings file edited by hand may
// hold: one line naming it and its value, exit 1, no file, no mark moved.
TEST(UnattendedRun, ASettingTheExportCannotReadIsRefusedByNameAndValue) {
    const QString again =
        QStringLiteral(" Corrigez-la, ou faites une exportation complète, qui la fixe à nouveau.");
    const QString marks = QStringLiteral(
        "\"collection\"=\"31\"\r\n\"Lastrun\"=\"01/01/2020\"\r\n\"Lastid\"=\"7\"\r\n"
        "\"Lastidrevue\"=\"8\"\r\n\"Lastidpara\"=\"9\"\r\n");
    const QString split = QStringLiteral("\"split\"=\"true\"\r\n");
    struct Case {
        const char* word;
        QString config, refusal;
    };
    const QString mark = QStringLiteral(
                             "La marque de la dernière exportation « %1 » vaut « %2 » : "
                             "ce n'est pas un nombre entier.") +
                         again;
    const QString splitGroup = QStringLiteral(
        "Le nombre de lignes par fichier (« regrouper les albums par », réglage "
        "« splitgroup ») vaut « %1 » : ce n'est pas un nombre entier positif. "
        "Corrigez-le, ou choisissez « Créer un seul fichier ».");
    std::vector<Case> cases = {
        {"dernieres_donnees", QString(marks).replace("\"7\"", "\"abc\""),
         mark.arg("Lastid", "abc")},
        {"dernieres_donnees", QString(marks).replace("\"9\"", "\"2O\""),
         mark.arg("Lastidpara", "2O")},
        {"dernieres_donnees", QString(marks).replace("\"8\"", "\"99999999999\""),
         QStringLiteral("La marque de la dernière exportation « Lastidrevue » vaut "
                        "« 99999999999 » : ce nombre est trop grand (2147483647 au plus).") +
             again},
        // The rule of every count: no sign.
        {"dernieres_donnees", QString(marks).replace("\"9\"", "\"+120\""),
         mark.arg("Lastidpara", "+120")},
        // Rounded to 85, it would skip wish-list album 85 for good.
        {"dernieres_donnees", QString(marks).replace("\"7\"", "\"84.6\""),
         mark.arg("Lastid", "84.6")},
        {"dernieres_donnees", QString(marks).replace("\"8\"", "\"1e2\""),
         mark.arg("Lastidrevue", "1e2")},
        {"dernieres_donnees", QString(marks).replace("01/01/2020", "abc"),
         QStringLiteral("La date « après le » (réglage « Lastrun ») vaut « abc » : ce n'est pas "
                        "une date jj/mm/aaaa.") +
             again},
        // Only the other groups ever exported.
        {"dernieres_donnees", QString(marks).replace("\"Lastrun\"=\"01/01/2020\"\r\n", ""),
         QStringLiteral("La date « après le » (réglage « Lastrun ») est vide : les albums de la "
                        "collection n'ont pas de dernière exportation d'où partir. Faites une "
                        "exportation complète, qui la fixe.")},
        {"donnees", marks + split + "\"splitgroup\"=\"0\"\r\n", splitGroup.arg("0")},
        {"donnees", QString(marks).replace("\"31\"", "\"0\"") + split,
         QStringLiteral("Aucune collection n'est cochée (le réglage « collection » vaut « 0 ») : "
                        "l'exportation n'a aucune donnée à écrire. Cochez une collection.")},
        {"donnees", QString(marks).replace("\"31\"", "\"0\""),
         QStringLiteral("Aucune collection n'est cochée (le réglage « collection » vaut « 0 ») : "
                        "l'exportation n'a aucune donnée à écrire. Cochez une collection.")},
        {"donnees", QString(marks).replace("\"31\"", "\"32\""),
         QStringLiteral("Aucune collection n'est cochée (le réglage « collection » vaut « 32 ») : "
                        "l'exportation n'a aucune donnée à écrire. Cochez une collection.")},
        {"dernieres_donnees", QString(marks).replace("\"31\"", "\"0\""),
         QStringLiteral("Aucune collection n'est cochée (le réglage « collection » vaut « 0 ») : "
                        "l'exportation n'a aucune donnée à écrire. Cochez une collection.")},
    };
    // Read as "links sent", they kept the links of the albums on the site off it.
    for (const char* links : {"00", "2", "1.0"}) {
        cases.push_back(
            {"dernieres_donnees",
             marks + QStringLiteral("\"lastcollaborateurs\"=\"%1\"\r\n").arg(links),
             QStringLiteral("La marque de la dernière exportation « lastcollaborateurs » "
                            "vaut « %1 » : ce n'est ni « 0 » ni « 1 ». Corrigez-la, ou "
                            "faites une exportation complète, « Collaborateurs » coché, "
                            "des « Albums de la collection » et des « Albums "
                            "Recherchés » s'ils ont déjà été publiés, qui la fixe à "
                            "nouveau.")
                 .arg(links)});
    }
    // Blanks around it, as the README allows, leave a 0.
    cases.push_back(
        {"dernieres_donnees", marks + "\"lastcollaborateurs\"=\" 0 \"\r\n",
         QStringLiteral("« Collaborateurs » est coché, mais des albums déjà publiés l'ont été "
                        "sans leurs collaborateurs (réglage « lastcollaborateurs » à « 0 ») : "
                        "l'exportation des dernières données ne les enverrait qu'avec les "
                        "nouveaux albums. Faites une exportation complète, « Collaborateurs » "
                        "coché, des « Albums de la collection » et des « Albums Recherchés » "
                        "s'ils ont déjà été publiés : elle les envoie tous.")});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refusal.toStdString());
        kalvor::test::IsolatedEnvironment env;
        const QString exportFolder = env.path() + QStringLiteral("/export");
        QDir().mkpath(exportFolder);
        writeStore(env, exportFolder, c.config);
        const QByteArray store = kalvor::test::readAll(env.registryPath());
        const Job job = runProgram(env, {QString::fromLatin1(c.word)});
        EXPECT_EQ(job.exitCode, 1);
        EXPECT_EQ(job.output,
                  QStringLiteral("[Kalvor 1.8.3 - Génération SQL] ") + c.refusal + '\n');
        EXPECT_FALSE(QDir(exportFolder + QStringLiteral("/scripts")).exists());
        EXPECT_EQ(kalvor::test::readAll(env.registryPath()), store);
    }
}

TEST(UnattendedRun, AFullExportSetsAgainAMarkThatCouldNotBeRead) {
    kalvor::test::IsolatedEnvironment env;
    const QString exportFolder = env.path() + QStringLiteral("/export");
    QDir().mkpath(exportFolder);
    writeStore(env, exportFolder, QStringLiteral("\"collection\"=\"2\"\r\n\"Lastid\"=\"abc\"\r\n"));
    EXPECT_EQ(runProgram(env, {QStringLiteral("dernieres_donnees")}).exitCode, 1);
    ASSERT_EQ(runProgram(env, {QStringLiteral("donnees")}).exitCode, 0);
    const QString store = QString::fromUtf8(kalvor::test::readAll(env.registryPath()));
    EXPECT_TRUE(store.contains(QStringLiteral("\"lastid\"=\"85\""), Qt::CaseInsensitive))
        << store.toStdString();
    const Job job = runProgram(env, {QStringLiteral("dernieres_donnees")});
    EXPECT_EQ(job.exitCode, 0) << job.output.toStdString();
}

// The sample that a window shows when no catalogue is named is never
// published by a scheduled export. A refused run writes no settings file.
TEST(UnattendedRun, NoCatalogueNamedIsRefusedAlikeByBothExports) {
    kalvor::test::IsolatedEnvironment env;
    qputenv("KALVOR_SAMPLE_CATALOGUE",
            kalvor::test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb")).toUtf8());
    const QString exportFolder = env.path() + QStringLiteral("/export");
    QDir().mkpath(exportFolder);
    kalvor::test::writeAll(
        env.registryPath(),
        QStringLiteral(
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\software\\Kalvor\\Repertoires]\r\n\"Export\"=\"%1\"\r\n")
            .arg(exportFolder)
            .toUtf8());
    const QByteArray store = kalvor::test::readAll(env.registryPath());
    for (const QString& word : {QStringLiteral("donnees"), QStringLiteral("dernieres_donnees")}) {
        const Job job = runProgram(env, {word});
        EXPECT_EQ(job.exitCode, 1);
        EXPECT_EQ(job.output,
                  QStringLiteral("[Kalvor 1.8.3 - Génération SQL] Aucun catalogue n'est désigné. "
                                 "Nommez-le dans le fichier des réglages %1, Kalvor fermé, par "
                                 "les lignes [HKEY_CURRENT_USER\\Software\\Ormelo6] et "
                                 "\"CheminBase\"=\"/chemin/de/la/collection.mdb\" (pour un "
                                 "catalogue v5 ou v4, la clé "
                                 "[HKEY_CURRENT_USER\\Software\\Orme Lo v5\\Base]).\n")
                      .arg(env.registryPath()));
        EXPECT_TRUE(QDir(exportFolder).isEmpty());
        EXPECT_EQ(kalvor::test::readAll(env.registryPath()), store);
        EXPECT_FALSE(QFileInfo::exists(env.registryPath() + QStringLiteral(".lock")));
    }
    qunsetenv("KALVOR_SAMPLE_CATALOGUE");
}

// Wine keeps an expandable string as str(2):"...": the catalogue it names is
// exported. A value that holds no text is said, then read as missing.
TEST(UnattendedRun, TheCataloguePathIsReadInEveryStringFormWineWrites) {
    const struct {
        const char* data;
        int exitCode;
        QString output;
    } cases[] = {
        {"str(2):\"C:\\\\BD\\\\catalogue.mdb\"", 0,
         QStringLiteral("Génération des donnees terminée")},
        {"hex(2):43,00,3a,00,5c,00,42,00,44,00,5c,00,63,00,61,00,74,00,61,00,6c,00,6f,00,\\\n"
         "  67,00,75,00,65,00,2e,00,6d,00,64,00,62,00,00,00",
         0, QStringLiteral("Génération des donnees terminée")},
        {"dword:00000001", 1,
         QStringLiteral("La valeur « CheminBase » de la clé Software\\Ormelo6 (")},
        // Its last letter cut: never read as a shorter path.
        {"hex(2):43,00,3a,00,5c,00,42", 1,
         QStringLiteral("user.reg) est un texte coupé (nombre impair d'octets) : "
                        "hex(2):43,00,3a,00,5c,00,42. Elle est lue comme absente.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        kalvor::test::IsolatedEnvironment env;
        const QString exportFolder = env.path() + QStringLiteral("/export");
        QDir().mkpath(exportFolder);
        const QString wine = env.path() + QStringLiteral("/wine");
        QDir().mkpath(wine + QStringLiteral("/drive_c/BD"));
        QFile::copy(kalvor::test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb")),
                    wine + QStringLiteral("/drive_c/BD/catalogue.mdb"));
        kalvor::test::writeAll(wine + QStringLiteral("/user.reg"),
                               QByteArray("WINE REGISTRY Version 2\n\n[Software\\\\Ormelo6] 1\n"
                                          "\"CheminBase\"=") +
                                   c.data + "\n");
        kalvor::test::writeAll(
            env.registryPath(),
            QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                           "[HKEY_CURRENT_USER\\software\\Kalvor\\Repertoires]\r\n"
                           "\"Export\"=\"%1\"\r\n")
                .arg(exportFolder)
                .toUtf8());
        const Job job = runProgram(env, {QStringLiteral("donnees")});
        EXPECT_EQ(job.exitCode, c.exitCode) << job.output.toStdString();
        EXPECT_TRUE(job.output.contains(c.output)) << job.output.toStdString();
    }
}

// A collector without a wish list, magazines or collectibles at the full
// export adds some: the next scheduled incremental export sends them all,
// from the marks the full export saved.
TEST(UnattendedRun, ItemsAddedToGroupsThatWereEmptyAreSentNext) {
    kalvor::test::IsolatedEnvironment env;
    const QString exportFolder = env.path() + QStringLiteral("/export");
    QDir().mkpath(exportFolder);
    const QString catalogue = env.path() + QStringLiteral("/catalogue.sqlite");
    kalvor::catalogue::BuildSqliteCatalogue(
        kalvor::test::fixturePath(QStringLiteral("catalogue/catalogue-v6.sql")), catalogue);
    kalvor::dao::DBEngine::OpenDatabase(catalogue)->ExecuteScript(
        QStringLiteral("DELETE FROM ALBUMS WHERE AAcheter = 1; DELETE FROM REVUES; "
                       "DELETE FROM PARABD;"));
    writeStore(env, exportFolder, QStringLiteral("\"collection\"=\"31\"\r\n"), catalogue);
    ASSERT_EQ(runProgram(env, {QStringLiteral("donnees")}).exitCode, 0);
    const QString saved = QString::fromUtf8(kalvor::test::readAll(env.registryPath()));
    for (const char* mark : {"lastid", "lastidrevue", "lastidpara"}) {
        EXPECT_TRUE(saved.contains(QStringLiteral("\"%1\"=\"0\"").arg(mark))) << mark;
    }

    kalvor::dao::DBEngine::OpenDatabase(catalogue)->ExecuteScript(
        kalvor::test::GrownCatalogue(true));
    const Job job = runProgram(env, {QStringLiteral("dernieres_donnees")});
    EXPECT_EQ(job.exitCode, 0) << job.output.toStdString();
    const QByteArray script =
        kalvor::test::readAll(exportFolder + QStringLiteral("/scripts/dernieres_donnees.sql"));
    for (const char* row : {"INSERT INTO acheter VALUES (93,", "INSERT INTO acheter VALUES (94,",
                            "INSERT INTO revues VALUES (21,", "INSERT INTO revues VALUES (22,",
                            "INSERT INTO parabd VALUES (13,", "INSERT INTO parabd VALUES (14,"}) {
        EXPECT_TRUE(script.contains(row)) << row;
    }
    const QString store = QString::fromUtf8(kalvor::test::readAll(env.registryPath()));
    EXPECT_TRUE(store.contains(QStringLiteral("\"lastid\"=\"94\""))) << store.toStdString();
    EXPECT_TRUE(store.contains(QStringLiteral("\"lastidpara\"=\"14\""))) << store.toStdString();
}

// Groups ticked after earlier exports, whose marks were never set (empty,
// or 999999999): the next scheduled incremental export sends them whole.
TEST(UnattendedRun, GroupsNeverExportedGoWholeWithTheNextIncrementalExport) {
    struct Generation {
        const char* catalogue;
        QString neverSet;
    };
    // An older catalogue keeps its wish list in a table of its own.
    for (const Generation& g :
         {Generation{"catalogue-v6.mdb", ""}, Generation{"catalogue-v5.mdb", "999999999"},
          Generation{"catalogue-v5.mdb", ""}}) {
        SCOPED_TRACE(g.catalogue);
        kalvor::test::IsolatedEnvironment env;
        const QString exportFolder = env.path() + QStringLiteral("/export");
        QDir().mkpath(exportFolder);
        writeStore(env, exportFolder, QStringLiteral("\"collection\"=\"9\"\r\n"),
                   kalvor::test::fixturePath(QStringLiteral("catalogue/") + g.catalogue));
        ASSERT_EQ(runProgram(env, {QStringLiteral("donnees")}).exitCode, 0);
        QString store = QString::fromUtf8(kalvor::test::readAll(env.registryPath()));
        store.replace(QStringLiteral("\"collection\"=\"9\""),
                      QStringLiteral("\"collection\"=\"31\"\r\n\"lastid\"=\"%1\"").arg(g.neverSet));
        kalvor::test::writeAll(env.registryPath(), store.toUtf8());

        const Job job = runProgram(env, {QStringLiteral("dernieres_donnees")});
        EXPECT_EQ(job.exitCode, 0) << job.output.toStdString();
        for (const char* group :
             {"PARABD : 12 objet(s)", "REVUES  : 20 revue(s)", "ALBUMS A ACHETER : 15 album(s)"}) {
            EXPECT_TRUE(job.output.contains(QString::fromLatin1(group)))
                << job.output.toStdString();
        }
        const QByteArray script =
            kalvor::test::readAll(exportFolder + QStringLiteral("/scripts/dernieres_donnees.sql"));
        EXPECT_TRUE(script.contains("INSERT INTO acheter VALUES (85,"));
        store = QString::fromUtf8(kalvor::test::readAll(env.registryPath()));
        EXPECT_TRUE(store.contains(QStringLiteral("\"lastid\"=\"85\""))) << store.toStdString();
    }
}

// scripts/run gives settings that name no export folder ~/kalvor-export, in
// their encoding, keeping what they hold and naming no catalogue; a folder
// named stays.
TEST(UnattendedRun, TheFirstStartOfScriptsRunGivesAnExportFolderAndNoCatalogue) {
    const QString named = QStringLiteral(
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Ormelo6]\r\n"
        "\"CheminBase\"=\"/bd/a.mdb\"\r\n");
    const QByteArray utf16 =
        "\xff\xfe" + QStringEncoder(QStringConverter::Utf16LE)
                         .encode(named +
                                 "[HKEY_CURRENT_USER\\Software\\Kalvor\\Repertoires]\r\n"
                                 "\"Export\"=\"\"\r\n");
    for (const QByteArray& before : {QByteArray(), named.toUtf8(), utf16}) {
        kalvor::test::IsolatedEnvironment env;
        if (!before.isEmpty()) {
            kalvor::test::writeAll(env.registryPath(), before);
        }
        const QString home = env.path() + QStringLiteral("/maison é");
        QByteArray after;
        for (int run = 0; run < 2; ++run) {
            QProcess bash;
            QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
            e.insert(QStringLiteral("HOME"), home);
            bash.setProcessEnvironment(e);
            bash.start(QStringLiteral("bash"),
                       {QStringLiteral("-c"), QStringLiteral("source \"$0\" && first_start"),
                        kalvor::test::sourceDir() + QStringLiteral("/scripts/run")});
            EXPECT_TRUE(bash.waitForFinished() && bash.exitCode() == 0);
            EXPECT_TRUE(run == 0 || kalvor::test::readAll(env.registryPath()) == after);
            after = kalvor::test::readAll(env.registryPath());
        }
        kalvor::Registry store(env.registryPath(), env.path() + QStringLiteral("/wine"));
        EXPECT_EQ(
            store.value(QStringLiteral("Software\\Kalvor\\Repertoires"), QStringLiteral("Export")),
            home + QStringLiteral("/kalvor-export"));
        EXPECT_EQ(store.value(QStringLiteral("Software\\Ormelo6"), QStringLiteral("CheminBase")),
                  before.isEmpty() ? std::nullopt : std::optional(QStringLiteral("/bd/a.mdb")));
        EXPECT_TRUE(after.startsWith(before.left(40)));
        EXPECT_EQ(store.takeProblem(), QString());
    }
}
