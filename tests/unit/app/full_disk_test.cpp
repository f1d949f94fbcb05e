#include <QDir>
#include <QMap>
#include <QRegularExpression>
#include <functional>

#include <gtest/gtest.h>

#include "common/vb.h"
#include "platform/prompt.h"
#include "program_job.h"
#include "settings/settings.h"
#include "sitegen/php_button.h"
#include "sitegen/require_php.h"
#include "sqlscripts/structure_button.h"
#include "support/file_size_limit.h"

using namespace kalvor;

namespace {

struct Outcome {
    bool done = false;
    QString shown;  // what the user is told
    QString cause;  // the log's line, or the console's for a scheduled run
};

// A scheduled export of the program, or a button of the window.
struct Writer {
    const char* name;
    QString config;  // store lines of the program's key
    QString folder;  // where the files go, under the export folder
    QString success, failure;
    QStringList arguments;
    std::function<bool(Settings&, Prompt&)> click;
    bool together = false;  // the files all replaced, or none
};

Settings siteSettings(const QString& exportFolder) {
    Settings s;
    s.GV_Export = exportFolder;
    s.opt_albums = 1;
    s.box_base = s.box_host = s.box_login = QStringLiteral("bd");
    s.box_series_accueil = QStringLiteral("10");
    return s;
}

Outcome run(const Writer& w, const test::IsolatedEnvironment& env, const QString& folder) {
    if (!w.arguments.isEmpty()) {
        const test::Job job = test::runProgram(env, w.arguments);
        return {job.exitCode == 0, job.output, job.output};
    }
    Settings s = siteSettings(folder);
    RecordingPrompt prompt;
    const bool done = w.click(s, prompt);
    return {done, prompt.texts().join(u'\n'), s.GV_Erreurs};
}

QMap<QString, QByteArray> filesOf(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::AllDirs |
                                                      QDir::NoDotAndDotDot)) {
        files[name] = test::readAll(folder + u'/' + name);
    }
    return files;
}

std::string marksOf(const test::IsolatedEnvironment& env) {
    return QString::fromUtf8(test::readAll(env.registryPath()))
        .split(QStringLiteral("\r\n"))
        .filter(QRegularExpression(QStringLiteral("^\"last"),
                                   QRegularExpression::CaseInsensitiveOption))
        .join(u' ')
        .toStdString();
}

const QString kMarks = QStringLiteral(
    "\"collection\"=\"31\"\r\n\"lastrun\"=\"01/01/2020\"\r\n\"lastid\"=\"7\"\r\n"
    "\"lastidrevue\"=\"8\"\r\n\"lastidpara\"=\"9\"\r\n");

}  // namespace

// The largest file of each writer meets a full disk at its last flush: the
// writer reports the failure, no file takes its name unfinished, the files
// it replaces stay, and no mark moves.
TEST(FullDisk, EveryWriterReportsItAndLeavesNoCutFile) {
    vb::ScopedClock clock(QDateTime(QDate(2026, 12, 6), QTime(21, 5)));
    const QString data = QStringLiteral("Erreur lors de la création des donnees");
    const QString scripts = QStringLiteral("/scripts");
    const QString split = QStringLiteral("\"split\"=\"true\"\r\n\"splitgroup\"=\"10\"\r\n");
    const std::vector<Writer> writers = {
        {"donnees", kMarks, scripts, "terminée", data, {"donnees"}, {}},
        {"dernieres_donnees", kMarks, scripts, "terminée", data, {"dernieres_donnees"}, {}},
        {"split", kMarks + split, scripts, "terminée", data, {"donnees"}, {}, true},
        {"require.php",
         {},
         {},
         "Fichier configuration généré",
         "Erreur lors de la création du fichier Configuration",
         {},
         [](Settings& s, Prompt& p) { return sitegen::btn_Create_Config_Click(s, {}, p); }},
        {"site files",
         {},
         {},
         "Fichiers PHP générés",
         "Erreur lors de la création des fichiers PHP",
         {},
         sitegen::btn_Create_PHP_Click},
        {"schema scripts",
         {},
         scripts,
         "Structure des tables terminée",
         "Erreur lors de la création de la structure des tables",
         {},
         [](Settings& s, Prompt& p) {
             btn_Create_Structure_Click({s.GV_Export, {}, false}, p, s.GV_Erreurs);
             return s.GV_Erreurs.isEmpty();
         }},
    };
    const QByteArray previous("-- précédent\r\n");
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.name);
        QMap<QString, QByteArray> written;
        {
            test::IsolatedEnvironment env;
            const QString folder = env.path() + QStringLiteral("/export");
            QDir().mkpath(folder);
            test::writeStore(env, folder, w.config);
            const Outcome outcome = run(w, env, folder);
            ASSERT_TRUE(outcome.done) << outcome.shown.toStdString();
            written = filesOf(folder + w.folder);
        }
        QString largest;
        for (auto it = written.cbegin(); it != written.cend(); ++it) {
            if (largest.isEmpty() || it.value().size() > written[largest].size()) {
                largest = it.key();
            }
        }

        test::IsolatedEnvironment env;
        const QString folder = env.path() + QStringLiteral("/export");
        for (const QString& name : written.keys()) {
            test::writeAll(folder + w.folder + u'/' + name, previous);
        }
        test::writeStore(env, folder, w.config);
        const std::string marks = marksOf(env);
        Outcome outcome;
        {
            test::FileSizeLimit limit(written[largest].size() - 1);
            outcome = run(w, env, folder);
        }
        EXPECT_FALSE(outcome.done);
        EXPECT_TRUE(outcome.shown.contains(w.failure)) << outcome.shown.toStdString();
        EXPECT_FALSE(outcome.shown.contains(w.success)) << outcome.shown.toStdString();
        EXPECT_TRUE(outcome.cause.contains(QRegularExpression(
                        QStringLiteral("(erreur|donnees) : Erreur d'écriture dans le fichier "))) &&
                    outcome.cause.contains(u"(fichier trop volumineux)"))
            << outcome.cause.toStdString();
        // Each file is the previous one or whole; the largest was not written.
        const QMap<QString, QByteArray> after = filesOf(folder + w.folder);
        EXPECT_EQ(after.keys(), written.keys());
        for (const QString& name : written.keys()) {
            EXPECT_TRUE(after[name] == previous || (!w.together && after[name] == written[name]))
                << name.toStdString() << " has " << after[name].size() << " bytes";
        }
        EXPECT_EQ(after[largest], previous) << largest.toStdString();
        EXPECT_EQ(marksOf(env), marks);
    }
}
