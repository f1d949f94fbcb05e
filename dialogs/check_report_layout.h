#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include "sitecheck/check_report_lists.h"

namespace kalvor::site {

struct ReportFont {
    QString name = QStringLiteral("Arial");
    double size = 8;  // points
    bool bold = false;
    bool italic = false;
};

// One drawing on a page of the report, in millimetres from the top left of
// the printable area.
struct ReportItem {
    enum class Kind { Text, Box, FilledBox, Picture };
    Kind kind = Kind::Text;
    QRectF rect;   // a box or a picture; for a text, its top left corner only
    QString text;  // texts only; the top of its line is at rect.top()
    ReportFont font;
    QColor color;
    QImage picture;
};
using ReportPage = QList<ReportItem>;

// The check report laid out page by page before anything reaches the
// printer, so that a failure while reading the result leaves no job behind.
// The procedures work like a printer addressed in millimetres: a current
// position, font and text colour, and a page height.
class CheckReportLayout {
  public:
    // `logoFile` is drawn at the top left of every page; without a readable
    // picture there the header says "Kalvor" instead. `today` as printed.
    CheckReportLayout(double pageHeight, const QString& GV_Chemin_Base, const QString& box_site,
                      const QString& logoFile, const QString& today);

    // The header at the top of the current page; leaves GV_Print_Y alone.
    void Print_Entete_Page();
    // The title and the black heading bar of a section, on a new page when
    // fewer than 30 mm remain; GV_Print_Y is left on the bar's line.
    void Print_Entete_Section(const QString& title, const QString& kind);
    // A whole section: its header and its rows, a row never split over two
    // pages, the section's header repeated on each new page.
    void Print_Section(const ReportSection& section, const QList<ReportRow>& rows);

    const QList<ReportPage>& pages() const { return pages_; }

    double GV_Print_X = 0;
    double GV_Print_Y = 0;
    qint16 GV_Print_Page = 1;

  private:
    void setFont(double size, bool bold, bool italic = false);
    void print(double x, double y, const QString& text);
    void box(double x1, double y1, double x2, double y2, bool filled);
    void newPage();
    void rowFont();

    double pageHeight_;
    QString base_;
    QString site_;
    QImage logo_;
    QString today_;
    ReportFont font_;
    QColor color_ = Qt::black;
    QList<ReportPage> pages_{ReportPage()};
};

}  // namespace kalvor::site
