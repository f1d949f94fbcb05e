#include "dialogs/check_report_layout.h"

#include <QFileInfo>

namespace kalvor::site {
namespace {

// Left and right cells of a section's table.
constexpr double kLeft = 10;
constexpr double kMiddle = 95;
constexpr double kRight = 190;

}  // namespace

CheckReportLayout::CheckReportLayout(double pageHeight, const QString& GV_Chemin_Base,
                                     const QString& box_site, const QString& logoFile,
                                     const QString& today)
    : pageHeight_(pageHeight), base_(GV_Chemin_Base), site_(box_site), today_(today) {
    if (QFileInfo::exists(logoFile)) {
        logo_.load(logoFile);
    }
}

void CheckReportLayout::setFont(double size, bool bold, bool italic) {
    font_.size = size;
    font_.bold = bold;
    font_.italic = italic;
}

void CheckReportLayout::print(double x, double y, const QString& text) {
    GV_Print_X = x;
    if (text.isEmpty()) {
        return;
    }
    ReportItem item;
    item.kind = ReportItem::Kind::Text;
    item.rect = QRectF(x, y, 0, 0);
    item.text = text;
    item.font = font_;
    item.color = color_;
    pages_.last().append(item);
}

void CheckReportLayout::box(double x1, double y1, double x2, double y2, bool filled) {
    ReportItem item;
    item.kind = filled ? ReportItem::Kind::FilledBox : ReportItem::Kind::Box;
    item.rect = QRectF(QPointF(x1, y1), QPointF(x2, y2));
    item.color = Qt::black;
    pages_.last().append(item);
}

void CheckReportLayout::newPage() {
    pages_.append(ReportPage());
    ++GV_Print_Page;
}

void CheckReportLayout::rowFont() {
    color_ = Qt::black;
    setFont(7, false);
}

void CheckReportLayout::Print_Entete_Page() {
    if (!logo_.isNull()) {
        ReportItem item;
        item.kind = ReportItem::Kind::Picture;
        item.rect = QRectF(10, 0, 25, 5);
        item.picture = logo_;
        pages_.last().append(item);
    } else {
        setFont(10, true, true);
        print(10, 0, QStringLiteral("Kalvor"));
    }
    setFont(9, true, false);
    print(50, 0, QStringLiteral("Vérification des fichiers entre"));
    setFont(8, false);
    print(180, 0, today_);
    setFont(9, true);
    print(50, 4, QStringLiteral("la base : ") + base_);
    setFont(8, false);
    print(180, 4, QStringLiteral("Page : ") + QString::number(GV_Print_Page));
    setFont(9, true);
    print(50, 8, QStringLiteral("et le site : ") + site_);
}

void CheckReportLayout::Print_Entete_Section(const QString& title, const QString& kind) {
    if (GV_Print_Y + 30 > pageHeight_) {
        newPage();
        Print_Entete_Page();
        GV_Print_Y = 0;
    }
    GV_Print_X = 10;
    GV_Print_Y += 15;
    color_ = Qt::black;
    setFont(9, true);
    print(10, GV_Print_Y, title.left(1).toUpper() + title.mid(1));

    GV_Print_X = 11;
    GV_Print_Y += 6;
    const double y = GV_Print_Y;
    const bool files = kind == QStringLiteral("file");
    box(kLeft, y - 1, kMiddle, y + 3, true);
    setFont(7, true);
    color_ = Qt::white;
    print(11, y, files ? QStringLiteral("Fichier(s) manquants") : QStringLiteral("Fichier"));
    box(kMiddle, y - 1, kRight, y + 3, true);
    print(96, y, files ? QStringLiteral("Fichier(s) non utilisés") : QStringLiteral("Problème"));
    color_ = Qt::black;
    GV_Print_X = 11;
}

void CheckReportLayout::Print_Section(const ReportSection& section, const QList<ReportRow>& rows) {
    const bool files = section.type == QStringLiteral("file");
    const QString title = files ? section.kind : section.kind + QStringLiteral(" Miniatures");
    Print_Entete_Section(title, section.type);
    rowFont();
    for (const ReportRow& row : rows) {
        GV_Print_Y += 4;
        for (int cell = 0; cell < 2; ++cell) {
            if (GV_Print_Y + 8 > pageHeight_) {
                newPage();
                GV_Print_Y = 0;
                Print_Entete_Page();
                Print_Entete_Section(title, section.type);
                rowFont();
                GV_Print_Y += 4;
            }
            const double y = GV_Print_Y;
            if (cell == 0) {
                box(kLeft, y - 1, kMiddle, y + 3, false);
                print(11, y, row.left);
            } else {
                box(kMiddle, y - 1, kRight, y + 3, false);
                print(96, y, row.right);
            }
        }
    }
}

}  // namespace kalvor::site
