#include "sitegen/site_files.h"

#include <QFile>
#include <cerrno>

#include "platform/error.h"
#include "platform/system_reason.h"

namespace kalvor::sitegen {
namespace {

const QString kGuardStart = QStringLiteral(
    "# Kalvor : require.php tient le mot de passe MySQL, Apache ne l'envoie jamais.");
const QString kGuardEnd = QStringLiteral("# Kalvor : fin");

}  // namespace

const QList<SiteFileLayout>& siteFiles() {
    using B = SiteBox;
    static const QList<SiteFileLayout> files = {
        {QStringLiteral("_bas.php"), B::Php, true, true},
        {QStringLiteral("_detail_stats.php"), B::Php, true, true},
        {QStringLiteral("_image.php"), B::Php, true},
        {QStringLiteral("_nouv_couv.php"), B::Php, false, true},
        {QStringLiteral("_nouv_revue.php"), B::Php, true, true},
        {QStringLiteral("_nouv_parabd.php"), B::Php, false, true},
        {QStringLiteral("_retaille.php"), B::Php, true},
        {QStringLiteral("_serie.php"), B::Php, false},
        {QStringLiteral("auteur.php"), B::Php, true},
        {QStringLiteral("kalvor.php"), B::StyleSheet, true},
        {QStringLiteral("check_files.php"), B::Php, false},
        {QStringLiteral("check_thumbs.php"), B::Php, false},
        {QStringLiteral("coeur.php"), B::Php, true},
        {QStringLiteral("csshover.htc"), B::None, false},
        {QStringLiteral("dl.php"), B::Php, true},
        {QStringLiteral("dt-achat.php"), B::Php, true},
        {QStringLiteral("index.php"), B::Php, true},
        {QStringLiteral("menu.php"), B::Html, true, true},
        {QStringLiteral("notes.php"), B::Php, true},
        {QStringLiteral("print.css"), B::None, false},
        {QStringLiteral("revue.php"), B::Php, true},
        {QStringLiteral("serie.php"), B::Php, true},
        {QStringLiteral("stats.php"), B::Php, true},
        {QStringLiteral("style.php"), B::Php, false},
        {QStringLiteral("type.php"), B::Php, true},
        {QStringLiteral("collection.php"), B::Php, false},
        {QStringLiteral("liste.php"), B::Php, true},
        {QStringLiteral("imprimer.php"), B::Php, false},
        {QStringLiteral("fonctions.js"), B::None, false},
        {QStringLiteral("moteur.php"), B::Php, true},
        {QStringLiteral("search.php"), B::Php, true},
        {QStringLiteral("recovery.php"), B::Php, true},
    };
    return files;
}

void Create_Pages(const SiteTarget& target) {
    for (const SiteFileLayout& layout : siteFiles()) {
        writeSiteFile(target, layout);
    }
}

QStringList requireGuardLines() {
    // Any name that holds the file's, in any case: the copies editors and
    // tools leave beside it (require.php~, .require.php.swp, require.php.1,
    // "require - Copie.php") are sent as text, password included. Names
    // beginning ".ht" are the site's own state, refused by Apache's stock
    // configuration too. The rule of Apache 2.4, else that of 2.2, as the
    // cache folder's.
    return {kGuardStart,
            QStringLiteral("<FilesMatch \"(?i:require.*\\.php|^\\.ht)\">"),
            QStringLiteral("<IfModule mod_authz_core.c>"),
            QStringLiteral("Require all denied"),
            QStringLiteral("</IfModule>"),
            QStringLiteral("<IfModule !mod_authz_core.c>"),
            QStringLiteral("Deny from all"),
            QStringLiteral("</IfModule>"),
            QStringLiteral("</FilesMatch>"),
            kGuardEnd};
}

namespace {

// The lines of the .htaccess at `path` that are not Kalvor's, as bytes: their
// encoding is theirs. A whole block of Kalvor's, start to end, goes; of one
// that lost its end line, only the lines of the guard that still follow its
// start in order, so that no line of the owner's is taken for one of ours.
QList<QByteArray> ownersLines(const QString& path) {
    QFile earlier(path);
    if (!earlier.exists()) {
        return {};
    }
    errno = 0;
    const bool opened = earlier.open(QIODevice::ReadOnly);
    const QByteArray bytes = opened ? earlier.readAll() : QByteArray();
    if (!opened || earlier.error() != QFileDevice::NoError) {
        throw Error(err::PermissionDenied,
                    QStringLiteral("Impossible de lire le fichier %1 (%2) : aucun fichier n'a "
                                   "été écrit.")
                        .arg(path, FileReason(earlier, errno)));
    }
    QList<QByteArray> guard;
    for (const QString& line : requireGuardLines()) {
        guard << line.toLatin1();
    }
    QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray& line : lines) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
    }
    QList<QByteArray> kept;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed() != guard.first()) {
            kept << lines[i];
            continue;
        }
        qsizetype next = i + 1;
        while (next < lines.size() && lines[next].trimmed() != guard.first() &&
               lines[next].trimmed() != guard.last()) {
            ++next;
        }
        if (next < lines.size() && lines[next].trimmed() == guard.last()) {
            i = next;
            continue;
        }
        qsizetype ours = 1;
        while (i + ours < lines.size() && ours < guard.size() - 1 &&
               lines[i + ours].trimmed() == guard[ours]) {
            ++ours;
        }
        i += ours - 1;
    }
    while (!kept.isEmpty() && kept.last().trimmed().isEmpty()) {
        kept.removeLast();
    }
    return kept;
}

}  // namespace

QList<QByteArray> Read_Require_Guard(const QString& folder) {
    return ownersLines(folder + QStringLiteral("/.htaccess"));
}

void Create_Require_Guard(const QString& folder) {
    Create_Require_Guard(folder, Read_Require_Guard(folder));
}

void Create_Require_Guard(const QString& folder, const QList<QByteArray>& kept) {
    TextFile file(folder + QStringLiteral("/.htaccess"));
    for (const QByteArray& line : kept) {
        file.WriteLine(line);
    }
    if (!kept.isEmpty()) {
        file.WriteLine(QString());
    }
    for (const QString& line : requireGuardLines()) {
        file.WriteLine(line);
    }
    file.Close();
}

}  // namespace kalvor::sitegen
