// Time of the site file check: a site folder served by PHP holds image files
// named after the catalogue's references, files it does not reference and
// thumbnails; the check's driver then runs against the catalogue as the
// button does, and the time of each phase is printed.
//   sitecheck_bench [catalogue.mdb] [--files N] [--window]
// With --window, "Analyse" is pressed in the main window instead, offscreen.
// Run through bench/sitecheck/run, which starts the PHP server and sets
// KALVOR_TEST_PHP_ROOT and KALVOR_TEST_PHP_URL.
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMap>
#include <QMutex>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QUuid>
#include <cstdio>
#include <numeric>

#include "app/kalvorform.h"
#include "bench/event_gaps.h"
#include "common/vb.h"
#include "platform/cp1252.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "platform/inet.h"
#include "platform/long_work.h"
#include "platform/prompt.h"
#include "platform/textfile.h"
#include "settings/settings.h"
#include "settings/stats_grid.h"
#include "sitecheck/site_check.h"
#include "sitecheck/site_comparison.h"
#include "sitecheck/site_work_tables.h"
#include "sitegen/require_php.h"
#include "sitegen/site_files.h"

using namespace kalvor;

namespace {

// Prints each phase with the time since the check began.
class TimedView : public site::SiteCheckView {
  public:
    TimedView() { clock_.start(); }
    // From the check's thread.
    void Show_Phase(const QString& text) override {
        const QMutexLocker lock(&mutex);
        phase = text;
        std::printf("  %6.2f s  %s\n", clock_.elapsed() / 1000.0, qPrintable(text));
    }
    void Enable_Check(bool) override {}
    void Fill_TreeViews(const site::CheckResult& r) override {
        std::printf(
            "  %6.2f s  result: %lld missing, %lld not referenced, %lld thumbnail "
            "problems\n",
            clock_.elapsed() / 1000.0, qlonglong(r.missing.size()),
            qlonglong(r.unreferenced.size()), qlonglong(r.thumbnails.size()));
    }
    void Enable_Results() override {}
    double seconds() const { return clock_.elapsed() / 1000.0; }

    QString phase;
    QMutex mutex;

  private:
    QElapsedTimer clock_;
};

// The site's file names are Windows-1252 bytes, as its listings are read.
void touch(const QString& path, const QDateTime& when) {
    const QByteArray name = cp1252::encode(path);
    const int fd = ::open(name.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, "x", 1) != 1) {
        throw Error(err::PathNotFound, path);
    }
    ::close(fd);
    const timeval times[2] = {{when.toSecsSinceEpoch(), 0}, {when.toSecsSinceEpoch(), 0}};
    ::utimes(name.constData(), times);
}

// "Analyse" pressed in the main window, the trees filled as the user sees
// them: the window's longest wait from the press to the shown result.
void windowCheck(Settings& s, Prompt& prompt) {
    Kalvorform window(s, &prompt);
    window.refresh();
    window.show();
    window.TabNavig()->setCurrentIndex(window.TabNavig()->count() - 1);
    bench::EventGaps gaps;
    gaps.step = [&] { return window.statusPanel(1); };
    QElapsedTimer clock;
    clock.start();
    gaps.start();
    window.findChild<QPushButton*>(QStringLiteral("btn_check_files"))->click();
    QEventLoop loop;
    QObject::connect(&window.work(), &LongWork::runningChanged, &loop, &QEventLoop::quit);
    if (window.work().running()) {
        loop.exec();
    }
    gaps.stop();
    const auto* missing = window.findChild<QTreeWidget*>(QStringLiteral("TV_missing"));
    int shown = 0;
    for (int i = 0; i < missing->topLevelItemCount(); ++i) {
        shown += missing->topLevelItem(i)->childCount();
    }
    std::printf(
        "window: %.2f s to the shown result (%d missing files in the tree) ; window "
        "without answer at most %.0f ms (p99 %.0f ms, computing at most %.0f ms)\n",
        clock.elapsed() / 1000.0, shown, gaps.longest(), gaps.percentile(0.99), gaps.longestBusy());
    for (const QString& gap : gaps.longOnes) {
        std::printf("  %s\n", qPrintable(gap));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString catalogue = QStringLiteral("/work/shared/fixtures/large/catalogue-20k-v6.mdb");
    int files = 2000;
    bool inWindow = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--window") {
            inWindow = true;
        } else if (args[i] == u"--files" && i + 1 < args.size()) {
            files = args[++i].toInt();
        } else {
            catalogue = args[i];
        }
    }
    const QString root = qEnvironmentVariable("KALVOR_TEST_PHP_ROOT");
    const QString url = qEnvironmentVariable("KALVOR_TEST_PHP_URL");
    if (root.isEmpty() || url.isEmpty()) {
        std::fprintf(stderr, "run through bench/sitecheck/run\n");
        return 2;
    }

    try {
        const QString unique = QUuid::createUuid().toString(QUuid::Id128).left(8);
        Settings s;
        s.GV_Export = root + QStringLiteral("/sitecheck_") + unique;
        s.GV_Chemin_Base = catalogue;
        s.box_site = url + QStringLiteral("/sitecheck_") + unique;
        s.box_prefix = QStringLiteral("m_");
        s.opt_albums = s.opt_acheter = s.opt_parabd = s.opt_revues = s.Opt_Collaborateurs = 1;
        s.opt_miniatures = 1;
        // The numbers require.php writes bare.
        s.box_series_accueil = QStringLiteral("10");
        s.box_baspage = QStringLiteral("30");
        s.box_col_accueil = QStringLiteral("Auto");
        s.box_ligne_accueil = QStringLiteral("2");
        s.box_albums_accueil = QStringLiteral("12");
        const QStringList kinds = {"couvertures", "versos", "photos", "planches",
                                   "dedicaces",   "parabd", "revues"};
        QString* folders[] = {&s.GV_Rep_Couvertures, &s.GV_Rep_Versos,    &s.GV_Rep_Photos,
                              &s.GV_Rep_Planches,    &s.GV_Rep_Dedicaces, &s.GV_Rep_Parabd,
                              &s.GV_Rep_Revues};
        QString* thumbs[] = {&s.box_thumb_couvertures, &s.box_thumb_versos,    &s.box_thumb_photos,
                             &s.box_thumb_planches,    &s.box_thumb_dedicaces, &s.box_thumb_parabd,
                             &s.box_thumb_revues};
        for (int k = 0; k < kinds.size(); ++k) {
            *folders[k] = kinds[k];
            *thumbs[k] = QStringLiteral("mini/") + kinds[k];
            QDir().mkpath(s.GV_Export + u'/' + kinds[k]);
            QDir().mkpath(s.GV_Export + QStringLiteral("/mini/") + kinds[k]);
        }
        QList<StatsEntry> stats;
        for (int i = 1; i <= 11; ++i) {
            stats.append({QStringLiteral("ST%1").arg(i, 2, 10, QLatin1Char('0')), 1, 10, 1, 1});
        }
        TextFile require(s.GV_Export + QStringLiteral("/require.php"));
        for (const QString& line : sitegen::requirePhpLines(s, stats, vb::Now())) {
            require.WriteLine(line);
        }
        require.Close();
        sitegen::Create_Pages({s.GV_Export, QString()});

        QElapsedTimer clock;
        clock.start();
        dao::DBEngine::OpenDatabase(catalogue)->Close();
        std::printf("catalogue %s opened in %.2f s\n", qPrintable(catalogue),
                    clock.elapsed() / 1000.0);

        // Three files in five are referenced images, one in five a file
        // nothing references, one in five a thumbnail.
        const site::CompareOptions options{true, true, true, true, true};
        QHash<QString, QStringList> referenced;
        auto db = dao::DBEngine::OpenDatabase(catalogue);
        for (const site::CatalogueReference& ref : site::Catalogue_References(catalogue, options)) {
            auto rs = db->OpenRecordset(ref.sql);
            for (; !rs->Eof(); rs->MoveNext()) {
                referenced[ref.rep] << rs->Fields(0).toString();
            }
        }
        db->Close();
        const QDateTime when = QDateTime::currentDateTime().addDays(-10);
        int written = 0;
        QStringList images;
        for (int i = 0; written < files * 3 / 5; ++i) {
            const QString& kind = kinds[i % kinds.size()];
            const QStringList& names = referenced[kind];
            if (names.isEmpty() || i / kinds.size() >= names.size()) {
                if (i > files * 10) {
                    break;
                }
                continue;
            }
            const QString name = names[i / kinds.size()];
            touch(s.GV_Export + u'/' + kind + u'/' + name, when);
            images << kind + u'/' + name;
            ++written;
        }
        for (int i = 0; written < files * 4 / 5; ++i, ++written) {
            touch(s.GV_Export + u'/' + kinds[i % kinds.size()] +
                      QStringLiteral("/inconnu_%1.jpg").arg(i),
                  when);
        }
        for (int i = 0; written < files && !images.isEmpty(); ++i, ++written) {
            const QString image = images[i % images.size()];
            touch(s.GV_Export + QStringLiteral("/mini/") + image.section(u'/', 0, 0) +
                      QStringLiteral("/m_") + image.section(u'/', 1),
                  i % 2 ? when.addDays(1) : when.addDays(-1));
        }
        std::printf("site: %d files (%lld referenced images), %d references in the catalogue\n",
                    written, qlonglong(images.size()),
                    int(std::accumulate(referenced.begin(), referenced.end(), 0,
                                        [](int n, const QStringList& l) { return n + l.size(); })));

        // As the window runs it: its long part on a thread of its own, the
        // gaps measured on this one.
        ConsolePrompt prompt;
        if (inWindow) {
            windowCheck(s, prompt);
            site::Drop_Tables_Temp(catalogue, prompt);
            QDir(s.GV_Export).removeRecursively();
            return 0;
        }
        TimedView view;
        site::SiteCheck check(prompt, view);
        LongWork work;
        bench::EventGaps gaps;
        gaps.step = [&] {
            const QMutexLocker lock(&view.mutex);
            return view.phase;
        };
        gaps.start();
        if (check.Begin(s)) {
            work.start(
                [&] {
                    Inet inet;
                    check.Work(inet);
                },
                [&] { check.End(); });
            QEventLoop loop;
            QObject::connect(&work, &LongWork::runningChanged, &loop, &QEventLoop::quit);
            loop.exec();
        }
        gaps.stop();
        std::printf("events waited at most %.0f ms (p99 %.0f ms)\n", gaps.longest(),
                    gaps.percentile(0.99));
        for (const QString& gap : gaps.longOnes) {
            std::printf("  %s\n", qPrintable(gap));
        }
        std::printf("site check: %.2f s, %d listings, %d lines skipped\n", view.seconds(),
                    check.state().GV_Nb_Rep, check.state().malformedLines);
        QMap<QString, int> problems;
        for (const site::CheckEntry& e : check.result().thumbnails) {
            ++problems[e.probleme.section(u':', 0, 0).trimmed()];
        }
        for (auto it = problems.cbegin(); it != problems.cend(); ++it) {
            std::printf("  %5d  %s\n", it.value(), qPrintable(it.key()));
        }
        site::Drop_Tables_Temp(catalogue, prompt);
        QDir(s.GV_Export).removeRecursively();
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Description()));
        return 1;
    }
    return 0;
}
