// The works of the main window pressed offscreen, as the user runs them, on
// the 20,000-album Access catalogue (or the catalogue given): the full and
// the incremental data exports, the collaborators check of the catalogue and
// of its SQLite copy, the case conversion of every image name stored in that
// copy, and the renamer over a folder of 20,000 files. A timer measures how
// long the window goes without handling its events from the press to the
// shown result; each run prints the time in all, the longest and the 99th
// percentile of those silences. The site check and the recovery have their
// own benches (bench/sitecheck/run --window, bench/recovery/run).
//   window_works_bench [catalogue.mdb] [--runs N] [--files N]
// Needs zcat and sqlite3 for the SQLite copy (catalogue.sql.gz beside it).
// The settings are a registry file of their own.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "app/command_line.h"
#include "app/dir_list_box.h"
#include "app/file_list_box.h"
#include "app/kalvorform.h"
#include "app/renamer_frame.h"
#include "app/start_up.h"
#include "bench/event_gaps.h"
#include "platform/long_work.h"
#include "platform/prompt.h"
#include "settings/settings.h"

using namespace kalvor;

namespace {

template <class W>
W* child(QWidget& window, const char* name) {
    W* w = window.findChild<W*>(QString::fromLatin1(name));
    if (w == nullptr) {
        std::fprintf(stderr, "no control %s\n", name);
        std::exit(1);
    }
    return w;
}

// Presses `button` from the window's event loop and waits for its work, if
// it started any, to end: the press and the shown result both counted.
void press(const char* what, int run, QAbstractButton* button, Kalvorform& window,
           RecordingPrompt& prompt) {
    bench::EventGaps gaps;
    gaps.step = [&] { return window.statusPanel(1); };
    QEventLoop loop;
    bool returned = false;
    QObject::connect(&window.work(), &LongWork::runningChanged, &loop, [&](bool running) {
        if (!running && returned) {
            loop.quit();
        }
    });
    QTimer::singleShot(0, &loop, [&] {
        button->click();
        returned = true;
        if (!window.work().running()) {
            loop.quit();
        }
    });
    prompt.clear();
    prompt.queueAnswers({true});
    QElapsedTimer clock;
    clock.start();
    gaps.start();
    loop.exec();
    gaps.stop();
    const QString said = prompt.texts().join(u' ').simplified();
    std::printf(
        "%s, run %d: %.2f s in all ; window without answer at most %.0f ms (p99 %.0f ms, "
        "computing at most %.0f ms) ; %s\n",
        what, run, clock.elapsed() / 1000.0, gaps.longest(), gaps.percentile(0.99),
        gaps.longestBusy(), qPrintable(said.left(70)));
    for (const QString& gap : gaps.longOnes) {
        std::printf("  %s\n", qPrintable(gap));
    }
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString catalogue = QStringLiteral("/work/shared/fixtures/large/catalogue-20k-v6.mdb");
    int runs = 3;
    int files = 20000;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--runs" && i + 1 < args.size()) {
            runs = args[++i].toInt();
        } else if (args[i] == u"--files" && i + 1 < args.size()) {
            files = args[++i].toInt();
        } else {
            catalogue = args[i];
        }
    }
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("catalogue.db"));
    const QString dump = QFileInfo(catalogue).path() + u'/' +
                         QFileInfo(catalogue).completeBaseName() + QStringLiteral(".sql.gz");
    if (QProcess::execute(QStringLiteral("sh"),
                          {QStringLiteral("-c"),
                           QStringLiteral("zcat '%1' | sqlite3 '%2'").arg(dump, copy)}) != 0) {
        std::fprintf(stderr, "Copie SQLite impossible : %s\n", qPrintable(dump));
        return 1;
    }
    const QString folder = dir.filePath(QStringLiteral("Images"));
    QDir().mkpath(folder);
    const QString exported = dir.filePath(QStringLiteral("export"));
    QDir().mkpath(exported);
    const QString registry = dir.filePath(QStringLiteral("registry.reg"));
    QFile file(registry);
    file.open(QIODevice::WriteOnly);
    file.write(
        QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_CURRENT_USER\\Software\\Ormelo6]\r\n\"CheminBase\"=\"%1\"\r\n\r\n"
                       "[HKEY_CURRENT_USER\\software\\Kalvor\\Repertoires]\r\n"
                       "\"Export\"=\"%2\"\r\n")
            .arg(catalogue, exported)
            .toUtf8());
    file.close();
    qputenv("KALVOR_REGISTRY", registry.toUtf8());
    qputenv("WINEPREFIX", dir.filePath(QStringLiteral("wine")).toUtf8());

    Settings settings;
    RecordingPrompt prompt;
    start_up::Form_Load(settings, CommandLine::Parse(QString()), prompt);
    Kalvorform window(settings, &prompt);
    window.Form_Load_Interactive();
    window.show();
    RenamerFrame* frame = window.FrameRenommer();

    for (int run = 1; run <= runs; ++run) {
        settings.GV_Chemin_Base = catalogue;
        window.kalvor_Click();
        press("export complet", run, child<QAbstractButton>(window, "btn_Donnees_SQL"), window,
              prompt);
        press("export incrémental", run, child<QAbstractButton>(window, "btn_LastDonnees_SQL"),
              window, prompt);
        window.Renommer_Click();
        press("collaborateurs, Access", run, child<QAbstractButton>(window, "btn_collaborateurs"),
              window, prompt);
        settings.GV_Chemin_Base = copy;
        press("collaborateurs, SQLite", run, child<QAbstractButton>(window, "btn_collaborateurs"),
              window, prompt);
        for (const char* box : {"opt_conv_albums", "opt_conv_acheter", "opt_conv_serie",
                                "opt_conv_auteur", "opt_conv_exlibris", "opt_conv_revues"}) {
            child<QCheckBox>(window, box)->setChecked(true);
        }
        press("minuscule dans la base", run, child<QAbstractButton>(window, "cmd_minuscule"),
              window, prompt);

        for (int i = 0; i < files; ++i) {
            QFile file(folder + QStringLiteral("/Couv_%1.JPG").arg(i, 5, 10, QChar(u'0')));
            file.open(QIODevice::WriteOnly);
        }
        frame->Dir1()->setPath(folder);
        child<QRadioButton>(window, "opt_minuscule")->setChecked(true);
        child<QRadioButton>(window, "opt_repertoire")->setChecked(true);
        press("renommer le répertoire", run, child<QAbstractButton>(window, "btn_convertir"),
              window, prompt);
        for (const QString& name : QDir(folder).entryList(QDir::Files)) {
            QFile::remove(folder + u'/' + name);
        }
        frame->File1()->Refresh();
    }
    return 0;
}
