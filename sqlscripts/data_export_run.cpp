#include "sqlscripts/data_export_run.h"

#include <exception>

#include "common/general.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "settings/settings.h"

namespace kalvor {
namespace {
const QString kTitle = QStringLiteral("Kalvor 1.8.3 - Génération SQL");

// The summary as one line of a scheduled job's log: its paragraphs joined by
// " ; ", the lines of each after its first by ", " following " : ".
QString oneLine(const QString& summary) {
    QStringList paragraphs;
    for (const QString& paragraph : summary.split(QStringLiteral("\n\n"))) {
        QStringList lines = paragraph.split(u'\n', Qt::SkipEmptyParts);
        if (lines.isEmpty()) {
            continue;
        }
        const QString first = lines.takeFirst();
        paragraphs << (lines.isEmpty()
                           ? first
                           : first + QStringLiteral(" : ") + lines.join(QStringLiteral(", ")));
    }
    return paragraphs.join(QStringLiteral(" ; "));
}

}  // namespace

void ExportMarks::ApplyTo(Settings& settings) const {
    if (lastRun) {
        settings.GV_LastRun = *lastRun;
    }
    if (lastId) {
        settings.GV_LastId = *lastId;
    }
    if (lastIdRevue) {
        settings.GV_LastIdRevue = *lastIdRevue;
    }
    if (lastIdPara) {
        settings.GV_LastIdPara = *lastIdPara;
    }
    if (changed) {
        settings.GV_LastRun_Changed = true;
    }
}

bool RunDataExport(Settings& settings, Prompt& prompt, const QString& logLabel,
                   const std::function<QString(ExportMarks&)>& run) {
    BusyPointer busy(prompt);
    QString description, shown = QStringLiteral("Erreur lors de la création des donnees");
    try {
        ExportMarks marks;
        const QString summary = run(marks);
        marks.ApplyTo(settings);
        // A scheduled run says on one line what it wrote, where.
        prompt.message(settings.Mode_Commande ? oneLine(summary) : summary, kTitle,
                       PromptIcon::Information);
        return true;
    } catch (const Error& e) {
        description = e.Description();
        if (e.Number() == err::InvalidSetting) {
            shown = description;  // the user must correct it: say which
        }
    } catch (const std::exception& e) {
        description = QString::fromLocal8Bit(e.what());
    }
    QString text = shown;
    if (settings.Mode_Commande && shown != description) {
        // A scheduled run has no one to read the log: the cause goes with the
        // message, on one line as the log has it.
        text += QStringLiteral("\nerreur : ") + QString(description).replace(u'\n', u' ');
    }
    prompt.message(text, kTitle, PromptIcon::Critical);
    settings.GV_Erreurs += QStringLiteral("\nerreur : ") + description;
    general::Write_Log(logLabel, settings.GV_Erreurs);
    return false;
}

}  // namespace kalvor
