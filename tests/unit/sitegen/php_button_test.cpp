#include "sitegen/php_button.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/general.h"
#include "common/vb.h"
#include "platform/prompt.h"
#include "sitegen/site_files.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::sitegen;

namespace {

const QDateTime kFirst(QDate(2026, 12, 6), QTime(21, 5));
const QDateTime kSecond(QDate(2027, 1, 2), QTime(8, 40));

// The thumbnail settings of one case: every kind gets `thumb`/`image`, except
// the magazines, which get their own pair.
Settings thumbnails(int on, const QString& prefix, const QString& thumb, const QString& image,
                    const QString& thumbRevues, const QString& imageRevues) {
    Settings s;
    s.opt_miniatures = on;
    s.box_prefix = prefix;
    for (auto [t, p] : {std::pair{&Settings::box_thumb_couvertures, &Settings::path_couvertures},
                        std::pair{&Settings::box_thumb_versos, &Settings::path_versos},
                        std::pair{&Settings::box_thumb_planches, &Settings::path_planches},
                        std::pair{&Settings::box_thumb_photos, &Settings::path_photos},
                        std::pair{&Settings::box_thumb_dedicaces, &Settings::path_dedicaces},
                        std::pair{&Settings::box_thumb_parabd, &Settings::path_parabd}}) {
        s.*t = thumb;
        s.*p = image;
    }
    s.box_thumb_revues = thumbRevues;
    s.path_revues = imageRevues;
    return s;
}

// Templates of the site that are not written yet: the driver stops at the
// first of them, so the tests that run it whole wait for them.
QStringList missingTemplates(qsizetype count) {
    QStringList missing;
    for (const SiteFileLayout& layout : siteFiles().first(count)) {
        if (!QFile::exists(QStringLiteral(":/site/") + layout.name)) {
            missing << layout.name;
        }
    }
    return missing;
}

#define REQUIRE_TEMPLATES(count)                                                                \
    do {                                                                                        \
        const QStringList missing = missingTemplates(count);                                    \
        if (!missing.isEmpty())                                                                 \
            GTEST_SKIP() << "site files not written yet: " << missing.join(u' ').toStdString(); \
    } while (0)

// Makes one file of the export folder impossible to replace: read-only, and
// immutable as well when the tests run as root (who may write read-only
// files). Undone when it goes out of scope so that the folder can be removed.
class Unwritable {
  public:
    explicit Unwritable(const QString& path) : path_(path) {
        QFile::setPermissions(
            path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        if (QFileInfo(path).isWritable()) {
            immutable_ =
                QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
        }
    }
    ~Unwritable() {
        if (immutable_) {
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
        }
        QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    bool holds() const { return immutable_ || !QFileInfo(path_).isWritable(); }

  private:
    QString path_;
    bool immutable_ = false;
};

// Makes a file impossible to read: no rights, and for root, who passes over
// rights, without the capabilities to do so, in this thread alone. Undone
// when it goes out of scope.
class Unreadable {
  public:
    explicit Unreadable(const QString& path) : path_(path) {
        QFile::setPermissions(path, {});
        if (::geteuid() == 0 && ::syscall(SYS_capget, &header_, saved_) == 0) {
            __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
            reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
            dropped_ = ::syscall(SYS_capset, &header_, reduced) == 0;
        }
    }
    ~Unreadable() {
        if (dropped_) {
            ::syscall(SYS_capset, &header_, saved_);
        }
        QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    bool holds() const {
        QFile file(path_);
        return !file.open(QIODevice::ReadOnly);
    }

  private:
    QString path_;
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
};

}  // namespace

TEST(PhpButtonThumbnailCheck, RefusesOnlyWhenThumbnailsOnWithoutPrefixAndAKindWithoutItsOwnFolder) {
    const QString img = QStringLiteral("/srv/bd/img");
    const QString mini = QStringLiteral("/srv/bd/mini");
    struct Case {
        const char* what;
        Settings settings;
        bool refused;
    };
    const Case cases[] = {
        {"thumbnails off, every folder empty", thumbnails(0, {}, {}, {}, {}, {}), false},
        {"thumbnails greyed counts as off", thumbnails(2, {}, {}, {}, {}, {}), false},
        {"a prefix, folders empty", thumbnails(1, QStringLiteral("m_"), {}, img, {}, img), false},
        {"a prefix, folders equal", thumbnails(1, QStringLiteral("m_"), img, img, img, img), false},
        {"folders of their own", thumbnails(1, {}, mini, img, mini, img), false},
        {"magazines' thumbnail folder empty", thumbnails(1, {}, mini, img, {}, img), true},
        {"covers' thumbnail folder is the image folder", thumbnails(1, {}, img, img, mini, img),
         true},
        {"image folder and /thumbs", thumbnails(1, {}, img + "/thumbs", img, mini, img), false},
        {"differs in letter case only", thumbnails(1, {}, "/srv/bd/IMG", img, mini, img), false},
        {"differs by a trailing /", thumbnails(1, {}, img + "/", img, mini, img), false},
        {"both empty", thumbnails(1, {}, mini, img, {}, {}), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(thumbnailsClashWithImages(c.settings), c.refused) << c.what;
    }
}

TEST(PhpButton, ARefusalIsShownOnceUnderTheBareTitleAndWritesNothing) {
    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    Settings s =
        thumbnails(1, {}, QStringLiteral("mini"), QStringLiteral("img"), {}, QStringLiteral("img"));
    s.GV_Export = dir.path();
    RecordingPrompt prompt;
    EXPECT_FALSE(btn_Create_PHP_Click(s, prompt));
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text,
              QStringLiteral("Erreur dans la Configuration des miniatures"));
    EXPECT_EQ(prompt.shown()[0].title, QStringLiteral("Kalvor 1.8.3"));
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(s.GV_Erreurs.isEmpty());
}

TEST(PhpButton, ARequireFolderThatThePagesCannotNameIsRefused) {
    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    Settings s = thumbnails(0, {}, {}, {}, {}, {});
    s.GV_Export = dir.path();
    s.GV_Require = QStringLiteral("../Łódź/");
    RecordingPrompt prompt;
    EXPECT_FALSE(btn_Create_PHP_Click(s, prompt));
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(
        prompt.shown()[0].text,
        QStringLiteral("Le champ « répertoire où se trouvera le fichier require.php » (onglet « 1. "
                       "Configuration ») contient « Ł », un caractère que les fichiers du site ne "
                       "peuvent pas tenir tel quel (seuls ceux de Windows-1252 y passent)"));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST(PhpButton, WritesEveryFileAndRewritesThemAllOnTheNextRunLeavingRequireAlone) {
    REQUIRE_TEMPLATES(siteFiles().size());
    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    test::writeAll(dir.path() + QStringLiteral("/require.php"), "<?php $host = 'h'; ?>\r\n");
    Settings s;
    s.GV_Export = dir.path();
    s.GV_Require = QStringLiteral("conf/");
    RecordingPrompt prompt;
    QMap<QString, QByteArray> first;
    {
        vb::ScopedClock clock(kFirst);
        ASSERT_TRUE(btn_Create_PHP_Click(s, prompt)) << s.GV_Erreurs.toStdString();
    }
    for (const SiteFileLayout& layout : siteFiles()) {
        first[layout.name] = test::readAll(dir.path() + u'/' + layout.name);
        EXPECT_FALSE(first[layout.name].isEmpty()) << layout.name.toStdString();
    }
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text, QStringLiteral("Fichiers PHP générés dans ") + dir.path());
    EXPECT_EQ(prompt.shown()[0].title, QStringLiteral("Kalvor 1.8.3 - PHP"));
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Information);

    {
        vb::ScopedClock clock(kSecond);
        ASSERT_TRUE(btn_Create_PHP_Click(s, prompt));
    }
    for (const SiteFileLayout& layout : siteFiles()) {
        QByteArray expected = first[layout.name];
        expected.replace("06/12/26 21:05", "02/01/27 08:40");
        EXPECT_EQ(test::readAll(dir.path() + u'/' + layout.name), expected)
            << layout.name.toStdString();
    }
    EXPECT_EQ(test::readAll(dir.path() + QStringLiteral("/require.php")),
              QByteArray("<?php $host = 'h'; ?>\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 33);

    // Beside them, the .htaccess that keeps require.php from the web: the
    // owner's lines stay, its own are replaced.
    const QString htaccess = dir.path() + QStringLiteral("/.htaccess");
    const QByteArray guard = requireGuardLines().join(QStringLiteral("\r\n")).toLatin1() + "\r\n";
    EXPECT_EQ(test::readAll(htaccess), guard);
    test::writeAll(htaccess, "RewriteEngine On\n" + guard + "Options -Indexes\n");
    ASSERT_TRUE(btn_Create_PHP_Click(s, prompt));
    EXPECT_EQ(test::readAll(htaccess), "RewriteEngine On\r\nOptions -Indexes\r\n\r\n" + guard);
    // A block that lost its end line takes none of the owner's lines with it.
    const QByteArray start = guard.left(guard.indexOf("\r\n") + 2);
    const QByteArray cut = guard.left(guard.indexOf("Require all denied"));
    test::writeAll(htaccess, "RewriteEngine On\r\n" + cut + "ErrorDocument 404 /404.php\r\n" +
                                 start + "RewriteRule ^a$ b.php\r\n" + guard);
    ASSERT_TRUE(btn_Create_PHP_Click(s, prompt));
    EXPECT_EQ(
        test::readAll(htaccess),
        "RewriteEngine On\r\nErrorDocument 404 /404.php\r\nRewriteRule ^a$ b.php\r\n\r\n" + guard);
    // One that cannot be read is named in the box, with its cause, before
    // any page is written: it and the pages stay as they are.
    const QByteArray owners = test::readAll(htaccess);
    test::writeAll(dir.path() + QStringLiteral("/index.php"), "ancien\r\n");
    prompt.clear();
    {
        Unreadable blocked(htaccess);
        if (!blocked.holds()) {
            GTEST_SKIP() << "no way to make a file unreadable here";
        }
        EXPECT_FALSE(btn_Create_PHP_Click(s, prompt));
    }
    EXPECT_EQ(test::readAll(htaccess), owners);
    EXPECT_EQ(test::readAll(dir.path() + QStringLiteral("/index.php")), "ancien\r\n");
    const QString cause = QStringLiteral("Impossible de lire le fichier ") + htaccess +
                          QStringLiteral(" (permission refusée) : aucun fichier n'a été écrit.");
    EXPECT_EQ(
        prompt.texts(),
        QStringList{QStringLiteral("Erreur lors de la création des fichiers PHP : ") + cause});
    EXPECT_TRUE(s.GV_Erreurs.endsWith(QStringLiteral("\nerreur : ") + cause))
        << s.GV_Erreurs.toStdString();
}

TEST(PhpButton, AFileThatCannotBeReplacedStopsTheRunThereAndIsReportedOnceWithTheLog) {
    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    const QList<SiteFileLayout>& files = siteFiles();
    for (const SiteFileLayout& layout : files) {
        test::writeAll(dir.path() + u'/' + layout.name, "ancien\r\n");
    }
    const int k = 16;  // index.php, the 17th
    ASSERT_EQ(files[k].name, QStringLiteral("index.php"));
    REQUIRE_TEMPLATES(k);
    Settings s;
    s.GV_Export = dir.path();
    s.GV_Erreurs = QStringLiteral("trace");
    RecordingPrompt prompt;
    {
        Unwritable blocked(dir.path() + u'/' + files[k].name);
        if (!blocked.holds()) {
            GTEST_SKIP() << "no way to make a file unwritable here";
        }
        EXPECT_FALSE(btn_Create_PHP_Click(s, prompt));
    }
    for (int i = 0; i < files.size(); ++i) {
        const QByteArray now = test::readAll(dir.path() + u'/' + files[i].name);
        if (i < k) {
            EXPECT_NE(now, QByteArray("ancien\r\n")) << files[i].name.toStdString();
        } else {
            EXPECT_EQ(now, QByteArray("ancien\r\n")) << files[i].name.toStdString();
        }
    }
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text,
              QStringLiteral("Erreur lors de la création des fichiers PHP"));
    EXPECT_EQ(prompt.shown()[0].title, QStringLiteral("Kalvor 1.8.3 - PHP"));
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
    ASSERT_TRUE(s.GV_Erreurs.startsWith(QStringLiteral("trace\nerreur : ")));
    EXPECT_TRUE(s.GV_Erreurs.contains(QStringLiteral("index.php")));
    const QByteArray log = test::readAll(general::Log_Path());
    EXPECT_TRUE(log.startsWith("Kalvorform.btn_Create_PHP_click\r\n"));
    EXPECT_TRUE(log.contains("index.php"));
    // Nothing of the run is left under another name.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), files.size());
}

TEST(PhpButton, AnExportFolderGoneOrNeverChosenFailsOnTheFirstFileAndWritesNothing) {
    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    for (const QString& folder : {dir.path() + QStringLiteral("/parti"), QString()}) {
        Settings s;
        s.GV_Export = folder;
        RecordingPrompt prompt;
        EXPECT_FALSE(btn_Create_PHP_Click(s, prompt));
        ASSERT_EQ(prompt.shown().size(), 1u);
        EXPECT_EQ(prompt.shown()[0].text,
                  QStringLiteral("Erreur lors de la création des fichiers PHP"));
        EXPECT_TRUE(s.GV_Erreurs.startsWith(QStringLiteral("\nerreur : ")));
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_FALSE(QFile::exists(QStringLiteral("/_bas.php")));
}
