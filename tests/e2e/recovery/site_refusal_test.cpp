// What the site refuses or cannot give: said, and nothing stored.

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QUrl>
#include <thread>

#include "e2e/recovery/recovery_fixture.h"
#include "support/work_end.h"
#include "unit/recovery/fake_site.h"

using namespace kalvor;
using namespace kalvor::e2e;
using namespace kalvor::e2e::recoverysite;

namespace {

TEST_F(RecoveryRoundTrip, AWrongPasswordANonEmptyBaseAndASiteThatStopsHalfway) {
    settings.box_password = QStringLiteral("pas le bon");
    FrmRecovery* dialog = openRecovery();
    ASSERT_NE(dialog, nullptr);
    dialog->btn_process()->click();
    test::waitForWork(dialog->work());
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Mot de passe invalide !")});
    EXPECT_EQ(count(QStringLiteral("series")), 0);
    // Refused once, with no second try that would show the password.
    EXPECT_EQ(recoveryRequests(logged, 1).size(), 1);

    // A site that answers the first three tables, then no more; and one of
    // an earlier version, which reads the password only from the address.
    test::FakeSite halfway;
    test::FakeSite older;
    older.setAddressOnly(true);
    for (test::FakeSite* fake : {&halfway, &older}) {
        fake->setPassword(mysqlPassword().toLatin1());
    }
    waitWhileClientsHeld();
    for (const char* table :
         {"series", "auteurs", "collaborateurs", "albums", "acheter", "parabd", "revues"}) {
        const Page page = fetch(published().site->url() + QStringLiteral("/recovery.php?pwd=") +
                                QString::fromLatin1(QUrl::toPercentEncoding(mysqlPassword())) +
                                QStringLiteral("&tablename=") + QString::fromLatin1(table));
        ASSERT_EQ(page.status, 200);
        halfway.setRawReply(QString::fromLatin1(table), page.body);
        older.setRawReply(QString::fromLatin1(table), page.body);
    }
    halfway.stopAt(QStringLiteral("albums"));
    settings.box_password = mysqlPassword();
    dialog->box_site()->setText(halfway.url());
    prompt.clear();
    dialog->btn_process()->click();
    test::waitForWork(dialog->work());
    ASSERT_EQ(prompt.texts().size(), 1);
    EXPECT_TRUE(prompt.texts().at(0).startsWith(
        QStringLiteral("Erreur lors de l'importation de la table albums : ")))
        << prompt.texts().at(0).toStdString();
    EXPECT_FALSE(prompt.texts().at(0).contains(mysqlPassword()));
    // The base stays as it was: empty.
    EXPECT_EQ(count(QStringLiteral("series")), 0);
    EXPECT_EQ(count(QStringLiteral("collaborateurs")), 0);
    EXPECT_EQ(count(QStringLiteral("albums")), 0);

    // Recovered whole from the older site: each table posted, refused, then
    // asked by the address.
    prompt.clear();
    dialog->box_site()->setText(older.url());
    dialog->btn_process()->click();
    test::waitForWork(dialog->work());
    EXPECT_EQ(prompt.texts().last(), QStringLiteral("Récupération réussie"));
    EXPECT_EQ(count(QStringLiteral("albums")), 70);
    EXPECT_EQ(count(QStringLiteral("series")), 12);
    ASSERT_EQ(older.requests().size(), 14);
    for (qsizetype i = 0; i < older.requests().size(); ++i) {
        EXPECT_EQ(older.requests()[i].method, i % 2 ? "GET" : "POST");
        EXPECT_EQ(older.requests()[i].target.contains("pwd="), i % 2 == 1);
    }

    // Not emptied: nothing more happens.
    prompt.clear();
    dialog->box_site()->setText(published().site->url());
    dialog->btn_process()->click();
    test::waitForWork(dialog->work());
    EXPECT_EQ(
        prompt.texts(),
        QStringList{QStringLiteral("la base Recovery n'est pas vide - Voulez-vous la vider ?")});
    EXPECT_EQ(count(QStringLiteral("albums")), 70);

    // Agreed to empty it, then refused by the site: the recovery stays whole.
    prompt.clear();
    prompt.queueAnswers({true});
    settings.box_password = QStringLiteral("pas le bon");
    dialog->btn_process()->click();
    test::waitForWork(dialog->work());
    EXPECT_EQ(prompt.texts().last(),
              QStringLiteral("Mot de passe invalide !\nLa base Recovery garde la récupération "
                             "précédente."));
    EXPECT_EQ(count(QStringLiteral("albums")), 70);
    EXPECT_EQ(count(QStringLiteral("series")), 12);
    dialog->close();
}

TEST_F(RecoveryRoundTrip, PostsLeftUnreadBehindAProxyThatStripsHeadersAreAskedAgain) {
    // Behind such a proxy every client has the proxy's address: the owner's
    // posts wait behind a guesser's, refused unread at once. It minifies too,
    // comments and all.
    ChangedFile script(published().site->folder() + QStringLiteral("/recovery.php"));
    script.write(QByteArray(script.original())
                     .replace(0, 5,
                              "<?php header_register_callback(function () { header_remove(); }); "
                              "ob_start(function ($b) { return preg_replace('/<!--.*?-->/s', '', "
                              "$b); });"));
    std::thread guesser([&] {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 2500) {
            published().site->postOnce(QStringLiteral("recovery.php?tablename=series"), "pwd=faux");
        }
    });
    QThread::msleep(300);
    FrmRecovery* dialog = openRecovery();
    ASSERT_NE(dialog, nullptr);
    dialog->btn_process()->click();
    test::waitForWork(dialog->work());
    guesser.join();
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Récupération réussie")});
    EXPECT_EQ(count(QStringLiteral("albums")), 70);
    for (const QString& line : recoveryRequests(logged, 8)) {
        EXPECT_FALSE(line.contains(QStringLiteral("pwd="))) << line.toStdString();
    }
    dialog->close();
}

TEST_F(RecoveryRoundTrip, AScriptThatCannotGiveATableSaysWhyAndStoresNothing) {
    ChangedFile script(published().site->folder() + QStringLiteral("/recovery.php"));
    ChangedFile require(published().site->folder() + QStringLiteral("/require.php"));
    const QByteArray withOldFunctions = withOldMySqlFunctions(require.original());
    const QString series = QStringLiteral("Erreur lors de l'importation de la table series : ");
    const struct {
        const char* name;
        QByteArray script;  // empty: as published
        QByteArray require;
        QString password;  // empty: the site's
        QString message;   // its start
    } rows[] = {
        // Errors shown by the host, a warning amid an album's title.
        {"a warning in a row",
         earlierRecovery("echo ($i == 2 && $_GET['tablename'] == 'albums' ? $row[$i] . "
                         "$kalvor_absente : $row[$i]) . \"@@@\";"),
         withOldFunctions, QString(),
         QStringLiteral("Erreur lors de l'importation de la table albums : la réponse du site "
                        "contient un message de PHP (« Warning: Undefined variable "
                        "$kalvor_absente in ")},
        {"an earlier script with a line end, a wrong password", earlierRecovery() + "\r\n",
         withOldFunctions, QStringLiteral("pas le bon"), QStringLiteral("Mot de passe invalide !")},
        // Its rows sent: the cause is named, not PHP's old MySQL functions.
        {"an earlier script, a banner that begins as a row",
         earlierRecovery() + "2026 \xA9 H\xE9"
                             "bergeur",
         withOldFunctions, QString(),
         series + QStringLiteral("la réponse du site n'est pas une table entière : après sa "
                                 "ligne ")},
        {"an earlier script, a banner, a wrong password", earlierRecovery() + kHostBanner,
         withOldFunctions, QStringLiteral("pas le bon"), QStringLiteral("Mot de passe invalide !")},
        {"a banner, a wrong password", script.original() + kHostBanner, require.original(),
         QStringLiteral("pas le bon"), QStringLiteral("Mot de passe invalide !")},
        {"a table the site cannot read, a banner", script.original() + kHostBanner,
         require.original() + "<?php $base = 'kalvor_base_absente'; ?>", QString(),
         series + QStringLiteral("le site n'a pas pu la lire (« erreur de lecture de la table "
                                 "series »).")},
        // The headers taken off on the way, as by a proxy, and the albums
        // stopped by an error PHP does not show.
        {"this version's script cut, its headers lost",
         QByteArray(script.original())
             .replace(
                 "\"#end#\";",
                 "\"#end#\"; $kalvor_n = isset($kalvor_n) ? $kalvor_n + 1 : 1; "
                 "if ($tablename === 'albums' && $kalvor_n == 3) { flush(); kalvor_absente(); }"),
         require.original() +
             "<?php header_register_callback(function () { header_remove('X-Kalvor-Fin'); "
             "header_remove('X-Kalvor-Recovery'); }); ?>",
         QString(),
         QStringLiteral("Erreur lors de l'importation de la table albums : la réponse du site "
                        "n'est pas une table entière")},
        // The password of require.php, which the site's MySQL refuses; a banner.
        {"a wrong database password", script.original() + kHostBanner,
         require.original() + "<?php $password = 'pas-celui-de-mysql'; ?>",
         QStringLiteral("pas-celui-de-mysql"),
         series + QStringLiteral("la base MySQL du site a refusé la connexion (« Access denied "
                                 "for user ")},
    };
    FrmRecovery* dialog = openRecovery();
    ASSERT_NE(dialog, nullptr);
    for (const auto& row : rows) {
        script.write(row.script.isEmpty() ? script.original() : row.script);
        require.write(row.require);
        settings.box_password = row.password.isEmpty() ? mysqlPassword() : row.password;
        prompt.clear();
        dialog->btn_process()->click();
        test::waitForWork(dialog->work());
        ASSERT_EQ(prompt.texts().size(), 1) << row.name;
        EXPECT_TRUE(prompt.texts()[0].startsWith(row.message))
            << row.name << ": " << prompt.texts()[0].toStdString();
        EXPECT_FALSE(prompt.texts()[0].contains(QStringLiteral("PHP 7"))) << row.name;
        EXPECT_FALSE(prompt.texts()[0].contains(QStringLiteral("hebergeur"))) << row.name;
        EXPECT_EQ(count(QStringLiteral("series")), 0) << row.name;
    }
    dialog->close();
}

}  // namespace
