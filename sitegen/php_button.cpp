#include "sitegen/php_button.h"

#include "common/export_folder.h"

#include "common/banner.h"
#include "common/operation.h"
#include "sitegen/require_php.h"
#include "sitegen/site_files.h"

namespace kalvor::sitegen {

bool thumbnailsClashWithImages(const Settings& s) {
    if (s.opt_miniatures != 1 || !s.box_prefix.isEmpty()) {
        return false;
    }
    const std::pair<const QString&, const QString&> kinds[] = {
        {s.box_thumb_couvertures, s.path_couvertures}, {s.box_thumb_versos, s.path_versos},
        {s.box_thumb_planches, s.path_planches},       {s.box_thumb_photos, s.path_photos},
        {s.box_thumb_dedicaces, s.path_dedicaces},     {s.box_thumb_parabd, s.path_parabd},
        {s.box_thumb_revues, s.path_revues},
    };
    for (const auto& [thumb, image] : kinds) {
        if (thumb.isEmpty() || thumb == image) {
            return true;
        }
    }
    return false;
}

bool btn_Create_PHP_Click(Settings& s, Prompt& prompt) {
    if (thumbnailsClashWithImages(s)) {
        prompt.message(QStringLiteral("Erreur dans la Configuration des miniatures"), kBanner,
                       PromptIcon::Critical);
        return false;
    }
    // Every page names this folder in its require_once, byte for byte.
    const ConfigRefusal refusal = checkHostValue(
        s.GV_Require,
        QStringLiteral("« répertoire où se trouvera le fichier require.php » (onglet « 1. "
                       "Configuration »)"),
        false);
    if (!refusal.isEmpty()) {
        prompt.message(refusal.text, refusal.title, refusal.icon);
        return false;
    }
    const QString title = kBanner + QStringLiteral(" - PHP");
    const OnFailure onFailure{
        .title = title,
        .message = QStringLiteral("Erreur lors de la création des fichiers PHP"),
        .erreurs = &s.GV_Erreurs,
        .logLabel = QStringLiteral("Kalvorform.btn_Create_PHP_click")};
    // The owner's .htaccess is read before any page is written, so that one
    // that cannot be read stops the run with nothing written, and its name
    // and cause are said in the box.
    QList<QByteArray> owners;
    OnFailure unreadable = onFailure;
    unreadable.message += QStringLiteral(" : ");
    unreadable.withCause = true;
    if (!RunOperation(prompt, unreadable, [&] { owners = Read_Require_Guard(s.GV_Export); })) {
        return false;
    }
    return RunOperation(prompt, onFailure, [&] {
        RequireExportFolder(s.GV_Export);
        Create_Pages({s.GV_Export, s.GV_Require});
        // To be uploaded beside require.php, wherever the "require" folder is.
        Create_Require_Guard(s.GV_Export, owners);
        prompt.message(QStringLiteral("Fichiers PHP générés dans ") + s.GV_Export, title,
                       PromptIcon::Information);
    });
}

}  // namespace kalvor::sitegen
