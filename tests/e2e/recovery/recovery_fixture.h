#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include <gtest/gtest.h>

#include "app/kalvorform.h"
#include "dialogs/frm_recovery.h"
#include "e2e/e2e_servers.h"
#include "e2e/site/script_on_host.h"
#include "e2e/site/site_harness.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "support/test_paths.h"

// The fixture catalogue of the older layout, published once for the run and
// recovered through the main window's Recovery dialog.
namespace kalvor::e2e::recoverysite {

struct Published {
    std::unique_ptr<QTemporaryDir> scratch;
    QString catalogue;
    std::unique_ptr<SiteHarness> site;
    QString failed;
};
Published& published();

// The server's log lines of the site's recovery.php after the first `from`,
// once there are at least `expected` of them (a request is logged after its
// reply).
QStringList recoveryRequests(qsizetype from, qsizetype expected);

// Until recovery.php reads this client's password again: while it checks
// one, and a second after a wrong one, it refuses the client's others unread.
void waitWhileClientsHeld();

// recovery.php as a site published before the end mark has it; `row`, how
// it echoes a field that is not a row's last.
QByteArray earlierRecovery(const QByteArray& row = "echo $row[$i] . \"@@@\";");

// require.php with the old MySQL functions that an earlier recovery.php
// calls, as hosts of its time or a require.php of its time brought them.
QByteArray withOldMySqlFunctions(const QByteArray& require);

// A file of the published site changed for one test, put back after it.
class ChangedFile {
  public:
    explicit ChangedFile(const QString& path) : path_(path) {
        QFile file(path_);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path_.toStdString();
        original_ = file.readAll();
    }
    ~ChangedFile() { write(original_); }
    void write(const QByteArray& bytes) {
        QFile file(path_);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    const QByteArray& original() const { return original_; }

  private:
    QString path_;
    QByteArray original_;
};

class RecoveryRoundTrip : public testing::Test {
  protected:
    void SetUp() override;
    // The dialog as the menu item "Recover&y" of the main window opens it.
    FrmRecovery* openRecovery();
    qint64 count(const QString& table) const;

    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    QString database;
    qsizetype logged = 0;  // the site's recovery.php lines in the log before the test
    RecordingPrompt prompt;
    Settings settings;
    Kalvorform window{settings, &prompt};
};

}  // namespace kalvor::e2e::recoverysite
