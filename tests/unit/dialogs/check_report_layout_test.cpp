// Where the report puts things, in millimetres: the page break rules.
#include "dialogs/check_report_layout.h"

#include <gtest/gtest.h>

using namespace kalvor::site;

namespace {

struct Placed {
    int page;
    double y;
};

// Where `text` was printed, page from 1; page 0 when nowhere.
QList<Placed> find(const CheckReportLayout& report, const QString& text) {
    QList<Placed> found;
    for (qsizetype p = 0; p < report.pages().size(); ++p) {
        for (const ReportItem& item : report.pages()[p]) {
            if (item.kind == ReportItem::Kind::Text && item.text == text) {
                found.append({int(p + 1), item.rect.top()});
            }
        }
    }
    return found;
}

QList<ReportRow> rows(int count) {
    QList<ReportRow> list;
    for (int i = 1; i <= count; ++i) {
        list.append({QStringLiteral("L%1").arg(i), QStringLiteral("R%1").arg(i)});
    }
    return list;
}

CheckReportLayout started(double pageHeight) {
    CheckReportLayout report(pageHeight, QStringLiteral("C:/bd.mdb"), QStringLiteral("http://s/"),
                             QString(), QStringLiteral("07/03/2024"));
    report.Print_Entete_Page();
    report.GV_Print_Y = 0;
    return report;
}

TEST(CheckReportLayout, ARowThatDoesNotFitGoesWholeToANewPageUnderBothHeaders) {
    // Rows at 25, 29, ... ; on a 60 mm page the row at 53 still fits
    // (53 + 8 > 60 only from 53 on): 25..49 fit, the 8th (y 53) breaks.
    CheckReportLayout report = started(60);
    report.Print_Section({QStringLiteral("couvertures"), QStringLiteral("file")}, rows(9));
    ASSERT_EQ(report.pages().size(), 2);
    EXPECT_EQ(find(report, "L1")[0].y, 25);
    EXPECT_EQ(find(report, "L7")[0].y, 49);
    for (const char* cell : {"L8", "R8"}) {
        ASSERT_EQ(find(report, cell).size(), 1);
        EXPECT_EQ(find(report, cell)[0].page, 2) << cell;
        EXPECT_EQ(find(report, cell)[0].y, 25) << cell;
    }
    EXPECT_EQ(find(report, "L9")[0].y, 29);
    EXPECT_EQ(report.GV_Print_Page, 2);
    EXPECT_EQ(find(report, "Page : 2").size(), 1);
    EXPECT_EQ(find(report, "Page : 2")[0].page, 2);
    const QList<Placed> titles = find(report, "Couvertures");
    ASSERT_EQ(titles.size(), 2);
    EXPECT_EQ(titles[1].page, 2);
    EXPECT_EQ(titles[1].y, 15);
    EXPECT_EQ(find(report, "Fichier(s) manquants")[1].y, 21);

    // The rows print regular black, on every page.
    for (const ReportItem& item : report.pages()[1]) {
        if (item.text == "L9") {
            EXPECT_FALSE(item.font.bold);
            EXPECT_EQ(item.font.size, 7);
            EXPECT_EQ(item.color, QColor(Qt::black));
        }
    }
}

TEST(CheckReportLayout, ASectionHeaderNeeds30MillimetresBelowTheLastRow) {
    CheckReportLayout report = started(100);
    report.Print_Section({QStringLiteral("couvertures"), QStringLiteral("file")}, rows(13));
    EXPECT_EQ(report.GV_Print_Y, 73);  // the last row: 73 + 30 > 100
    report.Print_Section({QStringLiteral("versos"), QStringLiteral("thumb")}, rows(1));
    EXPECT_EQ(find(report, "Versos Miniatures")[0].page, 2);
    EXPECT_EQ(find(report, "Versos Miniatures")[0].y, 15);
    EXPECT_EQ(find(report, "Page : 2")[0].page, 2);

    CheckReportLayout roomy = started(100);
    roomy.Print_Section({QStringLiteral("couvertures"), QStringLiteral("file")}, rows(12));
    roomy.Print_Section({QStringLiteral("versos"), QStringLiteral("thumb")}, rows(1));
    EXPECT_EQ(find(roomy, "Versos Miniatures")[0].page, 1);
    EXPECT_EQ(find(roomy, "Versos Miniatures")[0].y, 69 + 15);
    EXPECT_EQ(find(roomy, "Problème")[0].y, 90);
}

TEST(CheckReportLayout, AnEmptySectionIsItsTitleItsBarAndTwoEmptyBoxes) {
    CheckReportLayout report = started(280);
    const auto before = report.pages()[0].size();
    report.Print_Section({QStringLiteral("dedicaces"), QStringLiteral("file")}, {ReportRow()});
    const ReportPage added = report.pages()[0].mid(before);
    QStringList drawn;
    for (const ReportItem& item : added) {
        switch (item.kind) {
            case ReportItem::Kind::Text:
                drawn << item.text;
                break;
            case ReportItem::Kind::FilledBox:
            case ReportItem::Kind::Box:
                drawn << QStringLiteral("%1%2,%3-%4,%5")
                             .arg(item.kind == ReportItem::Kind::Box ? "box " : "bar ")
                             .arg(item.rect.left())
                             .arg(item.rect.top())
                             .arg(item.rect.right())
                             .arg(item.rect.bottom());
                break;
            case ReportItem::Kind::Picture:
                drawn << QStringLiteral("picture");
                break;
        }
    }
    EXPECT_EQ(drawn, (QStringList{"Dedicaces", "bar 10,20-95,24", "Fichier(s) manquants",
                                  "bar 95,20-190,24", "Fichier(s) non utilisés", "box 10,24-95,28",
                                  "box 95,24-190,28"}));
    for (const ReportItem& item : added) {
        if (item.text.startsWith(QStringLiteral("Fichier"))) {
            EXPECT_EQ(item.color, QColor(Qt::white));
            EXPECT_TRUE(item.font.bold);
        }
    }
}

}  // namespace
