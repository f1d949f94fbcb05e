// The recovery of a whole site through its dialog, as the user runs it: the
// 20,000-album catalogue (or the catalogue given) is published and served,
// then the dialog recovers it into a base, new at the first run and holding
// the run before's recovery at the others, while a timer measures how
// long the window goes without handling its events. Prints the time of each
// step, the longest and the 99th percentile of those silences, and the time
// in all.
//   recovery_window_bench [catalogue.mdb] [--runs N]
// Run through bench/recovery/run, which starts the servers.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "bench/event_gaps.h"
#include "dialogs/frm_recovery.h"
#include "e2e/e2e_servers.h"
#include "e2e/site/site_harness.h"
#include "platform/error.h"
#include "platform/long_work.h"
#include "platform/prompt.h"
#include "settings/settings.h"

using namespace kalvor;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString catalogue = QStringLiteral("/work/shared/fixtures/large/catalogue-20k-v6.mdb");
    int runs = 3;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--runs" && i + 1 < args.size()) {
            runs = args[++i].toInt();
        } else {
            catalogue = args[i];
        }
    }
    if (!e2e::serversAnnounced()) {
        std::fprintf(stderr, "Serveurs absents : lancer bench/recovery/run\n");
        return 1;
    }
    e2e::SiteHarness site(QStringLiteral("recovery-bench"));
    const QString failed =
        site.build(e2e::siteSettings(), e2e::siteStats(), e2e::publishedData, catalogue, false);
    if (!failed.isEmpty()) {
        std::fprintf(stderr, "Échec de la publication : %s\n", qPrintable(failed));
        return 1;
    }
    Settings settings = e2e::siteSettings();
    settings.box_site = site.url();
    settings.box_password = e2e::mysqlPassword();
    RecordingPrompt prompt;
    QTemporaryDir dir;
    bench::EventGaps gaps;
    // Every run after the first goes into the base the one before filled:
    // its check reads an earlier recovery, and the question is answered Yes.
    const QString base = dir.filePath(QStringLiteral("recovery.db"));
    QFile::copy(QStringLiteral(KALVOR_RECOVERY_DB), base);
    QFile(base).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    for (int run = 0; run < runs; ++run) {
        FrmRecovery dialog(settings, prompt);
        dialog.setDatabaseChooser([&] { return base; });
        dialog.show();
        gaps.step = [&] { return dialog.statusText(); };
        prompt.clear();
        prompt.queueAnswers({true});
        QElapsedTimer clock;
        clock.start();
        gaps.start();
        dialog.btn_process_Click();
        QEventLoop loop;
        QObject::connect(&dialog.work(), &LongWork::runningChanged, &loop, &QEventLoop::quit);
        if (dialog.work().running()) {
            loop.exec();
        }
        gaps.stop();
        const double seconds = clock.elapsed() / 1000.0;
        const QString said = prompt.texts().join(u' ');
        std::printf(
            "run %d: %.2f s in all ; window without answer at most %.0f ms (p99 %.0f ms, "
            "computing at most %.0f ms) ; %s\n",
            run + 1, seconds, gaps.longest(), gaps.percentile(0.99), gaps.longestBusy(),
            qPrintable(said.left(80)));
        for (const QString& gap : gaps.longOnes) {
            std::printf("  %s\n", qPrintable(gap));
        }
        std::fflush(stdout);
    }
    return 0;
}
