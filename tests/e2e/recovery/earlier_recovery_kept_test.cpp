// A recovery that does not finish, for whatever cause, leaves the base with
// the recovery before it, whole.

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "e2e/recovery/recovery_fixture.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "support/work_end.h"

using namespace kalvor;
using namespace kalvor::e2e;
using namespace kalvor::e2e::recoverysite;

namespace {

TEST_F(RecoveryRoundTrip, ARecoveryThatDoesNotFinishLeavesTheEarlierOneWhole) {
    FrmRecovery* dialog = openRecovery();
    ASSERT_NE(dialog, nullptr);
    dialog->btn_process()->click();
    test::waitForWork(dialog->work());
    ASSERT_EQ(prompt.texts(), QStringList{QStringLiteral("Récupération réussie")});
    const QStringList tables = {"series",  "auteurs",  "collaborateurs", "albums",
                                "acheter", "exlibris", "revues"};
    QList<qint64> before;
    for (const QString& t : tables) {
        before << count(t);
    }
    ASSERT_GT(before[3], 0);
    const auto unchanged = [&] {
        QList<qint64> now;
        for (const QString& t : tables) {
            now << count(t);
        }
        return now == before;
    };

    const QString folder = published().site->folder();
    ChangedFile script(folder + QStringLiteral("/recovery.php"));
    ChangedFile require(folder + QStringLiteral("/require.php"));
    // PHP that recovery.php runs first, for one table.
    const auto onTable = [&](const char* table, const QByteArray& php) {
        require.write(require.original() +
                      "<?php if (basename($_SERVER['SCRIPT_NAME']) === 'recovery.php' && "
                      "(isset($_GET['tablename']) ? $_GET['tablename'] : '') === '" +
                      QByteArray(table) + "') { " + php + " } ?>");
    };
    const QString kept = QStringLiteral("\nLa base Recovery garde la récupération précédente.");
    const auto recoverAgain = [&](const QString& what) {
        prompt.clear();
        prompt.queueAnswers({true});
        dialog->btn_process()->click();
        test::waitForWork(dialog->work());
        EXPECT_FALSE(prompt.texts().contains(QStringLiteral("Récupération réussie")))
            << what.toStdString();
        EXPECT_TRUE(unchanged()) << what.toStdString();
        EXPECT_FALSE(dialog->Label(1)->isVisible()) << what.toStdString();
        return prompt.texts().value(1);
    };

    // A failed upload: recovery.php emptied.
    script.write(QByteArray());
    EXPECT_EQ(recoverAgain(QStringLiteral("vide")),
              QStringLiteral("Erreur lors de l'importation de la table series : le site a envoyé "
                             "une réponse vide (le fichier recovery.php est-il vide ? Publiez-le "
                             "à nouveau).") +
                  kept);
    script.write(script.original());

    // The site's database lost the first table.
    onTable("series", "$base = 'kalvor_base_absente';");
    EXPECT_EQ(recoverAgain(QStringLiteral("erreur")),
              QStringLiteral("Erreur lors de l'importation de la table series : le site n'a pas "
                             "pu la lire (« erreur de lecture de la table series »).") +
                  kept);

    // A require.php opened with the short tag, which the host does not read:
    // the cause and its cure said, its text never.
    QByteArray shortTag = require.original();
    require.write(shortTag.replace(0, 5, "<?"));
    const QString unread = recoverAgain(QStringLiteral("<?"));
    EXPECT_TRUE(unread.contains(QStringLiteral("Remplacez sa première ligne par \"<?php\"")))
        << unread.toStdString();
    EXPECT_FALSE(unread.contains(QStringLiteral("$host")));

    // The host fails after the first tables.
    onTable("albums", "http_response_code(500); echo 'Internal Server Error'; exit;");
    const QString failed = recoverAgain(QStringLiteral("500"));
    EXPECT_TRUE(failed.startsWith(
        QStringLiteral("Erreur lors de l'importation de la table albums : Le site a répondu 500 ")))
        << failed.toStdString();
    EXPECT_TRUE(failed.endsWith(kept));

    // The dialog closed while the authors load: the run is cancelled.
    onTable("auteurs", "sleep(3);");
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (dialog->statusText() == QStringLiteral("Importation des auteurs ...")) {
            closer.stop();
            dialog->close();
        }
    });
    closer.start(20);
    EXPECT_EQ(recoverAgain(QStringLiteral("annulée")),
              QStringLiteral("Récupération annulée") + kept);
    EXPECT_FALSE(QFile::exists(database + QStringLiteral(".recuperation")));
}

TEST_F(RecoveryRoundTrip, AnEarlierScriptWithoutTheMySqlFunctionsItCallsIsRefusedWithItsCure) {
    ChangedFile script(published().site->folder() + QStringLiteral("/recovery.php"));
    ChangedFile require(published().site->folder() + QStringLiteral("/require.php"));
    script.write(earlierRecovery());
    require.write(withOldMySqlFunctions(require.original()));
    FrmRecovery* dialog = openRecovery();
    ASSERT_NE(dialog, nullptr);
    dialog->btn_process()->click();
    test::waitForWork(dialog->work());
    ASSERT_TRUE(prompt.texts().value(0).startsWith(QStringLiteral("Récupération réussie")))
        << prompt.texts().join(u'|').toStdString();
    ASSERT_EQ(count(QStringLiteral("albums")), 70);

    // Beside a require.php of today, which lacks the MySQL functions it
    // calls: refused, and the user led to publish the PHP files again.
    const QString republish = QStringLiteral(
        "\nLe fichier recovery.php du site est d'une version antérieure, qui appelle les "
        "anciennes fonctions MySQL de PHP : PHP 7 et plus ne les ont plus, sauf par un "
        "require.php qui les apporte. Publiez à nouveau les fichiers PHP du site, par « "
        "Génération des fichiers PHP » (sans catalogue).\nLa base Recovery garde la "
        "récupération précédente.");
    const struct {
        QByteArray shown;  // what require.php adds
        QString cause;
    } hosts[] = {
        {"", QStringLiteral("la réponse du site contient un message de PHP (« Fatal error: "
                            "Uncaught Error: Call to undefined function mysql_connect() in ") +
                 published().site->folder() + QStringLiteral("/recovery.php:8 »).")},
        // A host that hides errors answers 500.
        {"<?php ini_set('display_errors', '0'); ?>",
         QStringLiteral("Le site a répondu 500 Internal Server Error pour ") +
             published().site->url() + QStringLiteral("/recovery.php.")},
    };
    for (const auto& host : hosts) {
        require.write(require.original() + host.shown);
        prompt.clear();
        prompt.queueAnswers({true});
        dialog->btn_process()->click();
        test::waitForWork(dialog->work());
        EXPECT_EQ(prompt.texts().value(1),
                  QStringLiteral("Erreur lors de l'importation de la table series : ") +
                      host.cause + republish);
        EXPECT_EQ(count(QStringLiteral("albums")), 70);
    }

    // Emptied by a failed upload: refused, the recovery kept.
    script.write(QByteArray());
    prompt.clear();
    prompt.queueAnswers({true});
    dialog->btn_process()->click();
    test::waitForWork(dialog->work());
    EXPECT_EQ(prompt.texts().value(1),
              QStringLiteral("Erreur lors de l'importation de la table series : le site a "
                             "envoyé une réponse vide (le fichier recovery.php est-il vide ? "
                             "Publiez-le à nouveau).\nLa base Recovery garde la récupération "
                             "précédente."));
    EXPECT_EQ(count(QStringLiteral("albums")), 70);
}

}  // namespace
