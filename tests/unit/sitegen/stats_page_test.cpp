#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/vb.h"
#include "platform/cp1252.h"
#include "sitegen/site_files.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::sitegen;

namespace {

SiteFileLayout layoutOf(const QString& name) {
    for (const SiteFileLayout& layout : siteFiles()) {
        if (layout.name == name) {
            return layout;
        }
    }
    return {};
}

struct Bar {
    QString label;
    bool rest = false;
    QString image;
    int count = 0;
    double width = 0;
    QString shown;  // the text after the bar: "12.5%" or "7"
};

struct Chart {
    QString heading;
    QList<Bar> bars;
};

// The statistics page run by the PHP command line with the database replaced
// by rows given per chart: every statement returns the rows of the chart
// being drawn.
class StatsPage : public testing::Test {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("php")).isEmpty()) {
            GTEST_SKIP() << "php is not installed";
        }
        vb::ScopedClock clock(QDateTime(QDate(2026, 12, 6), QTime(21, 5)));
        for (const char* name :
             {"coeur.php", "menu.php", "_bas.php", "stats.php", "_detail_stats.php"}) {
            writeSiteFile({dir_.path(), QString()}, layoutOf(QString::fromLatin1(name)));
        }
    }

    // `entries` and `rows` are PHP array literals: the statistics array of
    // require.php, and the rows each chart code's statement returns.
    QString run(const QString& entries, const QString& rows) {
        test::writeAll(
            dir_.path() + QStringLiteral("/require.php"),
            cp1252::encode(
                QStringLiteral(
                    "<?php $host = $login = $password = $base = ''; "
                    "$prefixe_table = 'kv_'; $GV_collection = 'both'; "
                    "$GV_icone = 1; $GV_baspage = 0; $GV_moteur = 0; "
                    "$GV_imprimer = 0; $GV_email = 0; $GV_quitter = 0; "
                    "$GV_stats = 1; $GV_listenotes = 0; $GV_listecollec = 0; "
                    "$GV_listestyle = 0; $GV_listedl = 0; $GV_listeachat = 0; "
                    "$GV_parabd = 0; $GV_revue = 0; $GV_dedicace = 0; $GV_stats_large = 250; "
                    "$PATH_images = 'images'; $GV_Perso1 = 'Étagère'; "
                    "$GV_Perso2 = 'P2'; $GV_Perso3 = 'P3'; $GV_Perso4 = 'Lu'; "
                    "$GV_Stats_array = %1;")
                    .arg(entries)));
        test::writeAll(
            dir_.path() + QStringLiteral("/essai.php"),
            cp1252::encode(QStringLiteral("<?php error_reporting(E_ALL); $_GET = array();\n"
                                          "$GLOBALS['essai_rows'] = %1;\n"
                                          "function mysql_connect() { return false; }\n"
                                          "function mysql_select_db() { return false; }\n"
                                          "function get_magic_quotes_gpc() { return false; }\n"
                                          "function mysql_query($sql) {\n"
                                          "  $code = $GLOBALS['w_stat']['stat'];\n"
                                          "  $rows = isset($GLOBALS['essai_rows'][$code]) ? "
                                          "$GLOBALS['essai_rows'][$code] : array();\n"
                                          "  return new ArrayIterator($rows);\n"
                                          "}\n"
                                          "function mysql_fetch_row($r) {\n"
                                          "  if (!$r->valid()) { return false; }\n"
                                          "  $row = $r->current(); $r->next(); return $row;\n"
                                          "}\n"
                                          "chdir(__DIR__); require 'stats.php';\n")
                               .arg(rows)));
        QProcess php;
        php.setProcessChannelMode(QProcess::MergedChannels);
        php.start(QStringLiteral("php"), {QStringLiteral("-d"), QStringLiteral("display_errors=1"),
                                          dir_.path() + QStringLiteral("/essai.php")});
        php.waitForFinished(30000);
        return cp1252::decode(php.readAll());
    }

    static QList<Chart> charts(const QString& page) {
        QList<Chart> found;
        static const QRegularExpression table(
            QStringLiteral("<table class=\"Recap\" align=\"center\" cellpadding=\"0\" "
                           "cellspacing=\"1\">\n<tr><th colspan=\"2\">(.*?)</th></tr>\n(.*?)"
                           "</table>"),
            QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression bar(QStringLiteral(
            "<tr><td( class=\"reste\"| width=\"30%\")>(.*?)</td><td(?: class=\"reste\")?>"
            "<img src=\"([^\"]*)\" alt=\"(\\d+)\" width=\"([^\"]*)\" height=\"10\">&nbsp;"
            "([^<]*)</td></tr>\n"));
        auto tables = table.globalMatch(page);
        while (tables.hasNext()) {
            const auto t = tables.next();
            Chart chart{t.captured(1), {}};
            const QString body = t.captured(2);
            auto bars = bar.globalMatch(body);
            qsizetype matched = 0;
            while (bars.hasNext()) {
                const auto b = bars.next();
                matched += b.capturedLength();
                chart.bars.append({b.captured(2),
                                   b.captured(1) == QStringLiteral(" class=\"reste\""),
                                   b.captured(3), b.captured(4).toInt(), b.captured(5).toDouble(),
                                   b.captured(6)});
            }
            EXPECT_EQ(matched, body.size()) << body.toStdString();
            found.append(chart);
        }
        return found;
    }

    // Shares in hundredths, summed without floating point.
    static long hundredths(const QList<Bar>& bars) {
        long sum = 0;
        for (const Bar& b : bars) {
            QString text = b.shown;
            EXPECT_TRUE(text.endsWith(u'%')) << text.toStdString();
            text.chop(1);
            const QStringList parts = text.split(u'.');
            long value = parts[0].toLong() * 100;
            if (parts.size() == 2) {
                value += parts[1].leftJustified(2, u'0').toLong();
            }
            sum += value;
        }
        return sum;
    }

    QTemporaryDir dir_;
};

const QString kEightValues = QStringLiteral(
    "array('ST02' => array(array('Dupuis', '7'), array('Dargaud', '5'), array('Glénat', '4'),"
    " array('Casterman', '3'), array('Delcourt', '3'), array('Soleil', '2'), array('Lombard', '1'),"
    " array('Futuropolis', '1')))");

QString entry(int index, const char* code, int use, int nb, int type, int autres) {
    return QStringLiteral(
               "%1 => array(\"stat\" => \"%2\", \"use\" => %3, \"nb\" => %4, \"type\" => "
               "%5,\"autres\" => %6)")
        .arg(index)
        .arg(QString::fromLatin1(code))
        .arg(use)
        .arg(nb)
        .arg(type)
        .arg(autres);
}

}  // namespace

TEST_F(StatsPage, ChartsFollowTheArrayIndexAndOnlyUsedKnownCodesDraw) {
    const QString page = run(QStringLiteral("array(%1, %2, %3, %4)")
                                 .arg(entry(2, "ST02", 1, 5, 0, 0), entry(0, "ST06", 1, 5, 1, 0),
                                      entry(1, "ST04", 0, 5, 0, 0), entry(3, "ST99", 1, 5, 0, 0)),
                             kEightValues);
    EXPECT_FALSE(page.contains(QStringLiteral("Warning"))) << page.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("<h1>Mes Statistiques</h1>")));
    const qsizetype st06 = page.indexOf(QStringLiteral("<!-- ST06 -->"));
    const qsizetype st04 = page.indexOf(QStringLiteral("<!-- ST04 -->"));
    const qsizetype st02 = page.indexOf(QStringLiteral("<!-- ST02 -->"));
    const qsizetype st99 = page.indexOf(QStringLiteral("<!-- ST99 -->"));
    EXPECT_TRUE(st06 >= 0 && st06 < st04 && st04 < st02 && st02 < st99);
    const QList<Chart> drawn = charts(page);
    ASSERT_EQ(drawn.size(), 2);
    EXPECT_EQ(drawn[0].heading, QStringLiteral("R&eacute;partition par Étagère"));
    EXPECT_TRUE(drawn[0].bars.isEmpty());  // no rows for ST06
    EXPECT_EQ(drawn[1].heading, QStringLiteral("Nombre d'albums par &Eacute;diteur"));
    EXPECT_EQ(drawn[1].bars.size(), 5);
}

TEST_F(StatsPage, RestLineSumsTheValuesBeyondTheCountAndPercentagesAddUpToExactly100) {
    const QList<Chart> drawn =
        charts(run(QStringLiteral("array(%1)").arg(entry(0, "ST02", 1, 5, 1, 1)), kEightValues));
    ASSERT_EQ(drawn.size(), 1);
    const QList<Bar>& bars = drawn[0].bars;
    ASSERT_EQ(bars.size(), 6);
    EXPECT_EQ(bars[0].label, QStringLiteral("Dupuis"));
    EXPECT_EQ(bars[0].shown, QStringLiteral("26.92%"));  // 7 of 26
    EXPECT_EQ(bars[0].width, 250);
    EXPECT_EQ(bars[0].image, QStringLiteral("images/barre.gif"));
    EXPECT_EQ(bars[2].label, QStringLiteral("Glénat"));
    EXPECT_TRUE(bars[5].rest);
    EXPECT_EQ(bars[5].label, QStringLiteral("Autres"));
    EXPECT_EQ(bars[5].count, 4);
    EXPECT_EQ(bars[5].image, QStringLiteral("images/barre2.gif"));
    EXPECT_NEAR(bars[5].width, 4.0 / 7 * 250, 1e-9);  // PHP writes 14 digits
    EXPECT_EQ(hundredths(bars), 10000);
}

TEST_F(StatsPage, WithoutRestLineTheRestNeitherShowsNorWidensTheScale) {
    const QString rows = QStringLiteral(
        "array('ST01' => array(array('Aventure', '2'), array('Humour', '1'), array('Polar', "
        "'9')))");
    // Percentages: shares of a total that still holds the rest.
    QList<Chart> drawn =
        charts(run(QStringLiteral("array(%1)").arg(entry(0, "ST01", 1, 2, 1, 0)), rows));
    ASSERT_EQ(drawn.size(), 1);
    ASSERT_EQ(drawn[0].bars.size(), 2);
    EXPECT_EQ(drawn[0].bars[0].shown, QStringLiteral("16.67%"));
    EXPECT_EQ(drawn[0].bars[1].shown, QStringLiteral("8.33%"));
    EXPECT_EQ(drawn[0].bars[0].width, 250);
    EXPECT_LT(hundredths(drawn[0].bars), 10000);

    drawn = charts(run(QStringLiteral("array(%1)").arg(entry(0, "ST01", 1, 2, 0, 0)), rows));
    ASSERT_EQ(drawn[0].bars.size(), 2);
    EXPECT_EQ(drawn[0].heading, QStringLiteral("Nombre d'albums par Style"));
    EXPECT_EQ(drawn[0].bars[0].shown, QStringLiteral("2"));
    EXPECT_EQ(drawn[0].bars[0].width, 250);
    EXPECT_EQ(drawn[0].bars[1].width, 125);
}

TEST_F(StatsPage, EmptyLabelsGoToTheRestAndARestOfNothingShowsNoLine) {
    const QString rows = QStringLiteral(
        "array('ST06' => array(array('', '6'), array('A', '3'), array(null, '2'), "
        "array('B', '1')), 'ST07' => array(array('A', '3'), array('B', '1')))");
    const QList<Chart> drawn =
        charts(run(QStringLiteral("array(%1, %2)")
                       .arg(entry(0, "ST06", 1, 5, 0, 1), entry(1, "ST07", 1, 5, 1, 1)),
                   rows));
    ASSERT_EQ(drawn.size(), 2);
    ASSERT_EQ(drawn[0].bars.size(), 3);
    EXPECT_EQ(drawn[0].bars[0].label, QStringLiteral("A"));
    EXPECT_EQ(drawn[0].bars[1].label, QStringLiteral("B"));
    EXPECT_EQ(drawn[0].bars[2].label, QStringLiteral("Autres"));
    EXPECT_EQ(drawn[0].bars[2].count, 8);
    EXPECT_EQ(drawn[0].bars[2].width, 250);  // the rest competes for the scale
    ASSERT_EQ(drawn[1].bars.size(), 2);      // rest of 0: no line
    EXPECT_EQ(drawn[1].bars[0].shown, QStringLiteral("75%"));
    EXPECT_EQ(drawn[1].bars[1].shown, QStringLiteral("25%"));
}

TEST_F(StatsPage, ZeroCountsAndNoValueSlotsNeverDivideByZero) {
    const QString rows = QStringLiteral(
        "array('ST02' => array(array('A', '0'), array('B', '0')), 'ST03' => array(array('2024-01', "
        "'4')))");
    const QString page = run(QStringLiteral("array(%1, %2, %3)")
                                 .arg(entry(0, "ST02", 1, 5, 1, 1), entry(1, "ST03", 1, 0, 1, 1),
                                      entry(2, "ST05", 1, 3, 1, 1)),
                             rows);
    EXPECT_FALSE(page.contains(QStringLiteral("Fatal error"))) << page.toStdString();
    EXPECT_FALSE(page.contains(QStringLiteral("Warning"))) << page.toStdString();
    const QList<Chart> drawn = charts(page);
    ASSERT_EQ(drawn.size(), 3);
    ASSERT_EQ(drawn[0].bars.size(), 2);
    EXPECT_EQ(drawn[0].bars[0].shown, QStringLiteral("0%"));
    EXPECT_EQ(drawn[0].bars[0].width, 0);
    EXPECT_EQ(drawn[1].heading,
              QStringLiteral("R&eacute;partition des achats par mois (0 derniers mois)"));
    ASSERT_EQ(drawn[1].bars.size(), 1);
    EXPECT_EQ(drawn[1].bars[0].shown, QStringLiteral("100%"));
    EXPECT_TRUE(drawn[2].bars.isEmpty());  // a statement without rows: the heading alone
}
