#include "sqlscripts/data_export_run.h"

#include "common/operation.h"
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

Settings::MarkTexts ExportMarks::texts() const {
    using Mark = Settings::Mark;
    Settings::MarkTexts all;
    if (lastRun) {
        all.append({Mark::LastRun, *lastRun});
    }
    if (lastId) {
        all.append({Mark::LastId, QString::number(*lastId)});
    }
    if (lastIdPara) {
        all.append({Mark::LastIdPara, QString::number(*lastIdPara)});
    }
    if (lastIdRevue) {
        all.append({Mark::LastIdRevue, QString::number(*lastIdRevue)});
    }
    if (collaborateurs) {
        all.append({Mark::LastCollaborateurs, *collaborateurs});
    }
    if (lastFull) {
        all.append({Mark::LastFull, *lastFull});
    }
    return all;
}

void ExportMarks::Write() const {
    const Settings::MarkTexts all = texts();
    if (all.isEmpty()) {
        return;
    }
    const Settings::MarkTexts earlier = Settings::Stored_Marks(all);
    if (!Settings::Write_Marks(all)) {
        // Left unsaved, a later save of the settings would write them after
        // all: the earlier ones stand in their place.
        Settings::Write_Marks(earlier);
        // The store's problem says why, on its own.
        throw Error(err::DiskError,
                    QStringLiteral("Le script est écrit, mais les marques de la dernière "
                                   "exportation n'ont pas été enregistrées : la prochaine "
                                   "exportation des dernières données enverra de nouveau ce que "
                                   "celle-ci a envoyé."));
    }
}

void ExportMarks::ApplyTo(Settings& settings) const {
    if (lastRun) {
        settings.GV_LastRun = *lastRun;
    }
    Settings::UnreadableMarks& unreadable = settings.unreadableMarks;
    if (lastId) {
        settings.GV_LastId = *lastId;
        unreadable.lastId.reset();
    }
    if (lastIdRevue) {
        settings.GV_LastIdRevue = *lastIdRevue;
        unreadable.lastIdRevue.reset();
    }
    if (lastIdPara) {
        settings.GV_LastIdPara = *lastIdPara;
        unreadable.lastIdPara.reset();
    }
    if (collaborateurs) {
        settings.GV_LastCollaborateurs = *collaborateurs;
    }
    if (lastFull) {
        settings.GV_LastFull = *lastFull;
    }
    if (changed) {
        settings.GV_LastRun_Changed = true;
    }
    settings.Marks_Saved();
}

bool RunDataExport(Settings& settings, Prompt& prompt, const QString& logLabel,
                   const std::function<QString(ExportMarks&)>& run) {
    const OnFailure onFailure{
        .title = kTitle,
        .message = QStringLiteral("Erreur lors de la création des donnees : "),
        .withCause = true,
        .settingShown = true,
        .unattended = settings.Mode_Commande,
        .erreurs = &settings.GV_Erreurs,
        .logLabel = logLabel,
        .busy = true};
    return RunOperation(prompt, onFailure, [&] {
        ExportMarks marks;
        const QString summary = run(marks);
        marks.ApplyTo(settings);
        // A scheduled run says on one line what it wrote, where.
        prompt.message(settings.Mode_Commande ? oneLine(summary) : summary, kTitle,
                       PromptIcon::Information);
    });
}

}  // namespace kalvor
