#include "e2e/recovery/recovery_fixture.h"

#include <QAction>
#include <QDateTime>
#include <QThread>
#include <QUrl>

#include "e2e/catalogpages/catalogue_site.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"

namespace kalvor::e2e::recoverysite {

Published& published() {
    static Published p;
    if (!p.site) {
        p.scratch = std::make_unique<QTemporaryDir>();
        p.catalogue = mendedCatalogue(QStringLiteral("v5"), p.scratch->path());
        // Texts that the site's columns must hold whole: 255 letters written
        // as references, and a line break.
        dao::DBEngine::OpenDatabase(p.catalogue)
            ->ExecuteScript(QStringLiteral("UPDATE SERIES SET Titre = '%1' WHERE IdSerie = 2; "
                                           "UPDATE AUTEURS SET Prenom = 'Gas' || char(13, 10) || "
                                           "'pard' WHERE IdAuteur = 14;")
                                .arg(QString(255, QChar(0x043A))));
        p.site = std::make_unique<SiteHarness>(QStringLiteral("recuperation"));
        Settings s = siteSettings();
        s.GV_Version_Base = QStringLiteral("v5");
        s.format = Settings::FormatDonnees::Utf8;
        p.failed = p.site->build(s, siteStats(), fullExportData, p.catalogue);
    }
    return p;
}

QStringList recoveryRequests(qsizetype from, qsizetype expected) {
    const QString script = QUrl(published().site->url()).path() + QStringLiteral("/recovery.php");
    QStringList lines = phpLogLines(script).mid(from);
    for (int wait = 0; wait < 20 && lines.size() < expected; ++wait) {
        QThread::msleep(100);
        lines = phpLogLines(script).mid(from);
    }
    return lines;
}

QByteArray earlierRecovery(const QByteArray& row) {
    QByteArray php =
        "<?php\r\n\r\nrequire_once ('require.php');\r\n"
        "if ($_GET['pwd'] != $password){\r\n   echo \"invalid password\";\r\n}\r\nelse {\r\n"
        "   $dblink = mysql_connect($host,$login,$password);\r\n   mysql_select_db($base);\r\n"
        "   switch ($_GET['tablename']){\r\n";
    const struct {
        const char* name;
        const char* sql;
        int fields;
    } tables[] = {
        {"series",
         "\"SELECT * from \" . $prefixe_table . \"series union SELECT * from \" . "
         "$prefixe_table . \"series2 union SELECT * from \" . $prefixe_table . "
         "\"series3 order by 1\"",
         5},
        {"auteurs",
         "\"SELECT * from \" . $prefixe_table . \"auteurs union SELECT * from \" . "
         "$prefixe_table . \"auteurs2 union SELECT * from \" . $prefixe_table . "
         "\"auteurs3 order by 1\"",
         11},
        {"albums", "\"SELECT * from \" . $prefixe_table . \"albums order by 1\"", 28},
        {"acheter", "\"SELECT * from \" . $prefixe_table . \"acheter order by 1\"", 28},
        {"collaborateurs", "\"SELECT * from \" . $prefixe_table . \"collaborateurs order by 1\"",
         1},
        {"parabd", "\"SELECT * from \" . $prefixe_table . \"parabd order by 1\"", 20},
        {"revues",
         "\"SELECT r.*,s.titre from \" . $prefixe_table . \"revues r, \" . "
         "$prefixe_table . \"series4 s where r.idserie=s.idserie order by 1\"",
         19},
    };
    for (const auto& t : tables) {
        php += QByteArray("      Case \"") + t.name + "\":\r\n         $W_SQL = " + t.sql +
               ";\r\n         $nb_fields = " + QByteArray::number(t.fields) +
               ";\r\n         break;\r\n";
    }
    return php +
           "   }\r\n   $requete=mysql_db_query($base, $W_SQL, $dblink);\r\n"
           "   while($row=mysql_fetch_row($requete)) {\r\n"
           "      for ($i = 0; $i <= $nb_fields; $i++) {\r\n         " +
           row +
           "\r\n"
           "      }\r\n      echo $row[$i] . \"#end#\";\r\n   }\r\n}\r\n?>\r\n";
}

QByteArray withOldMySqlFunctions(const QByteArray& require) {
    QFile layer(QStringLiteral(":/sitegen/host_compat.php"));
    EXPECT_TRUE(layer.open(QIODevice::ReadOnly));
    return require + "<?php\n" + layer.readAll() + "?>";
}

namespace {

// recovery.php holds a client while its password is checked, and a second
// after a wrong one: the client's time then stands ahead in its file.
bool clientsHeld() {
    QFile times(published().site->folder() + QStringLiteral("/.htrecovery.verrou"));
    if (!times.open(QIODevice::ReadOnly)) {
        return false;
    }
    const double now = QDateTime::currentMSecsSinceEpoch() / 1000.0;
    for (const QByteArray& line : times.readAll().split('\n')) {
        if (line.simplified().split(' ').value(1).toDouble() > now) {
            return true;
        }
    }
    return false;
}

}  // namespace

void waitWhileClientsHeld() {
    for (int waited = 0; waited < 100 && clientsHeld(); ++waited) {
        QThread::msleep(100);
    }
}

void RecoveryRoundTrip::SetUp() {
    KALVOR_REQUIRE_SERVERS();
    ASSERT_TRUE(published().failed.isEmpty()) << published().failed.toStdString();
    database = dir.path() + QStringLiteral("/recovery.db");
    ASSERT_TRUE(QFile::copy(QStringLiteral(KALVOR_RECOVERY_DB), database));
    QFile(database).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    settings.box_site = published().site->url();
    settings.box_password = mysqlPassword();
    // Requests of earlier tests in this process may still reach the log, or
    // still be running on the server (a recovery cancelled while a table was
    // being read) or have just been refused a password: the site would
    // refuse this test's first posts unread.
    QThread::msleep(200);
    waitWhileClientsHeld();
    logged =
        phpLogLines(QUrl(published().site->url()).path() + QStringLiteral("/recovery.php")).size();
}

FrmRecovery* RecoveryRoundTrip::openRecovery() {
    auto* item = window.findChild<QAction*>(QStringLiteral("recovery"));
    if (item == nullptr) {
        ADD_FAILURE() << "no menu item recovery";
        return nullptr;
    }
    EXPECT_EQ(item->text(), QStringLiteral("Recover&y"));
    item->trigger();
    FrmRecovery* dialog = FrmRecovery::Default();
    if (dialog != nullptr) {
        dialog->setDatabaseChooser([this] { return database; });
    }
    return dialog;
}

qint64 RecoveryRoundTrip::count(const QString& table) const {
    auto db = dao::DBEngine::OpenDatabase(database);
    return db->OpenRecordset(QStringLiteral("select * from ") + table)->RecordCount();
}

}  // namespace kalvor::e2e::recoverysite
