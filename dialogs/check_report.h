#pragma once

#include <QList>
#include <functional>

#include "dialogs/check_report_layout.h"
#include "sitecheck/site_check_state.h"

class QPrinter;
class QWidget;

namespace kalvor {

class Prompt;
class Settings;

namespace site {

// Chooses and sets up the printer; false when the user cancels.
using ChoosePrinter = std::function<bool(QPrinter&)>;

// The printer dialog over `parent`: a printer, or a PDF file.
ChoosePrinter Printer_Dialog(QWidget* parent);

// Prints the result of the last site check, read from the work tables of the
// catalogue at GV_Chemin_Base. Before any check it says so and asks for no
// printer; a cancelled dialog ends quietly; a failure once the printer is
// chosen leaves no job behind and is reported. The sections of the folders
// whose listing the check could not read (`unchecked`) say so in place of
// their rows.
void Print_Rapport(const Settings& settings, Prompt& prompt, const ChoosePrinter& choosePrinter,
                   const QList<UnreadListing>& unchecked = {});

// Sends laid-out pages to the printer as one document. Error when the
// printer refuses it, the job then abandoned.
void Print_Pages(const QList<ReportPage>& pages, QPrinter& printer);

}  // namespace site
}  // namespace kalvor
