#include "dialogs/check_report.h"

#include <QDir>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "common/banner.h"
#include "common/operation.h"
#include "common/vb.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "platform/program_folder.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "sitecheck/check_result.h"

namespace kalvor::site {
namespace {

// The run time's number for a printer that fails.
constexpr int kPrinterError = 482;

void failPrinter(QPrinter& printer) {
    printer.abort();
    throw Error(kPrinterError, QStringLiteral("Erreur d'imprimante"));
}

}  // namespace

ChoosePrinter Printer_Dialog(QWidget* parent) {
    return [parent](QPrinter& printer) {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
}

void Print_Pages(const QList<ReportPage>& pages, QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        failPrinter(printer);
    }
    // Fonts are sized in points on the printer itself; positions turn from
    // millimetres into the printer's dots.
    const double dotsX = printer.logicalDpiX() / 25.4;
    const double dotsY = printer.logicalDpiY() / 25.4;
    const auto dots = [&](const QRectF& mm) {
        return QRectF(mm.x() * dotsX, mm.y() * dotsY, mm.width() * dotsX, mm.height() * dotsY);
    };
    QPen line(Qt::black);
    line.setWidthF(0.15 * dotsX);
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0 && !printer.newPage()) {
            failPrinter(printer);
        }
        for (const ReportItem& item : pages[p]) {
            switch (item.kind) {
                case ReportItem::Kind::Text: {
                    QFont font(item.font.name);
                    font.setPointSizeF(item.font.size);
                    font.setBold(item.font.bold);
                    font.setItalic(item.font.italic);
                    painter.setFont(font);
                    painter.setPen(item.color);
                    const QRectF at = dots(item.rect);
                    painter.drawText(QPointF(at.x(), at.y() + painter.fontMetrics().ascent()),
                                     item.text);
                    break;
                }
                case ReportItem::Kind::Box:
                    line.setColor(item.color);
                    painter.setPen(line);
                    painter.setBrush(Qt::NoBrush);
                    painter.drawRect(dots(item.rect));
                    break;
                case ReportItem::Kind::FilledBox:
                    painter.fillRect(dots(item.rect), item.color);
                    break;
                case ReportItem::Kind::Picture:
                    painter.drawImage(dots(item.rect), item.picture);
                    break;
            }
        }
    }
    if (!painter.end()) {
        failPrinter(printer);
    }
}

void Print_Rapport(const Settings& settings, Prompt& prompt, const ChoosePrinter& choosePrinter,
                   const QList<UnreadListing>& unchecked) {
    const auto failed = [&](const Failure& failure) {
        prompt.message(QStringLiteral("Erreur (") + QString::number(failure.number) +
                           QStringLiteral(") lors de l'impression"),
                       kBanner, PromptIcon::Exclamation);
    };
    std::unique_ptr<dao::Database> GV_Base_Site;
    bool checked = false;
    if (const std::optional<Failure> failure = Attempt([&] {
            GV_Base_Site = dao::DBEngine::OpenDatabase(settings.GV_Chemin_Base);
            checked = Check_Tables_Present(*GV_Base_Site);
        })) {
        failed(*failure);
        return;
    }
    if (!checked) {
        prompt.message(QStringLiteral("veuillez lancer la vérification avant l'impression"),
                       kBanner, PromptIcon::Exclamation);
        return;
    }

    QPrinter printer(QPrinter::HighResolution);
    if (!choosePrinter(printer)) {
        return;
    }
    const std::optional<Failure> failure = Attempt([&] {
        const double pageHeight = printer.pageRect(QPrinter::Millimeter).height();
        CheckReportLayout report(
            pageHeight, settings.GV_Chemin_Base, settings.box_site,
            QDir(programFolder()).filePath(QStringLiteral("images/kalvor.gif")),
            vb::Now().toString(QStringLiteral("dd/MM/yyyy")));
        report.Print_Entete_Page();
        report.GV_Print_Y = 0;
        for (const ReportSection& section : Report_Sections()) {
            const bool files = section.type == QStringLiteral("file");
            const QString script = files ? Unchecked_Files(unchecked, section.kind)
                                         : Unchecked_Thumbnails(unchecked, section.kind);
            const QList<ReportRow> rows =
                !script.isEmpty() ? QList<ReportRow>{{Unchecked_Text(script), QString()}}
                : files           ? Get_Liste_Fichiers(*GV_Base_Site, section.kind)
                                  : Get_Liste_Miniatures(*GV_Base_Site, section.kind);
            report.Print_Section(section, rows);
        }
        GV_Base_Site->Close();
        Print_Pages(report.pages(), printer);
    });
    if (failure) {
        failed(*failure);
    }
}

}  // namespace kalvor::site
