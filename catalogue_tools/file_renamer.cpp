#include "catalogue_tools/file_renamer.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>

#include "common/operation.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "platform/system_reason.h"
#include "settings/settings.h"

namespace kalvor::renamer {
namespace {

constexpr int kFileExists = 58;
const QString kRefusal = QStringLiteral("Renamer");

QString joined(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

bool sameFile(const QByteArray& a, const QByteArray& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.constData(), &sa) == 0 && ::stat(b.constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

[[noreturn]] void exists(const QString& to) {
    throw Error(kFileExists, QStringLiteral("Le fichier existe déjà : ") + to);
}

// A rename that never replaces another file: Linux would silently replace
// it. On a file system that ignores case, a change of case alone names the
// same file, which is no collision.
void renameKeepingOthers(const QString& from, const QString& to) {
    const QByteArray f = QFile::encodeName(from);
    const QByteArray t = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0) {
        return;
    }
    int e = errno;
    if (e == EEXIST || e == EINVAL || e == ENOSYS) {
        struct stat st {};
        if (::lstat(t.constData(), &st) == 0 && !sameFile(f, t)) {
            exists(to);
        }
        if (::rename(f.constData(), t.constData()) == 0) {
            return;
        }
        e = errno;
    }
    const QString reason = SystemReason(e);
    if (e == ENOENT) {
        throw Error(err::FileNotFound, QStringLiteral("Fichier introuvable : ") + from +
                                           QStringLiteral(" (") + reason + QStringLiteral(")"));
    }
    throw Error(err::DiskError, QStringLiteral("Impossible de renommer ") + from +
                                    QStringLiteral(" en ") + to + QStringLiteral(" : ") + reason);
}

QString canonical(const QString& path) {
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

bool isOrHolds(const QString& folder, const QString& path) {
    return !path.isEmpty() && (path == folder || path.startsWith(folder + u'/'));
}

// The folder takes the upper-case form of its own name, in its parent.
QString renameFolder(const QString& folder, const Kept& kept) {
    const QFileInfo info(QDir::cleanPath(folder));
    const QString own = info.fileName();
    const QString path = canonical(folder);
    if (path.isEmpty()) {
        throw Error(err::PathNotFound, QStringLiteral("Chemin introuvable : ") + folder);
    }
    if (own.isEmpty() || path == QStringLiteral("/")) {
        throw Error(err::DiskError, QStringLiteral("Le répertoire ") + folder +
                                        QStringLiteral(" n'a pas de nom à renommer"));
    }
    const struct {
        QString path;
        QString what;
    } keptPaths[] = {{canonical(kept.catalogue), QStringLiteral("la base ouverte")},
                     {canonical(kept.programFolder), QStringLiteral("le répertoire du programme")},
                     {canonical(kept.currentFolder), QStringLiteral("le répertoire courant")}};
    for (const auto& k : keptPaths) {
        if (isOrHolds(path, k.path)) {
            throw Error(err::PermissionDenied, QStringLiteral("Le répertoire ") + folder +
                                                   QStringLiteral(" n'est pas renommé : il est "
                                                                  "ou contient ") +
                                                   k.what + QStringLiteral(" (") + k.path +
                                                   QStringLiteral(")"));
        }
    }
    const QString upper = own.toUpper();
    if (upper == own) {
        return folder;
    }
    const QString renamed = joined(info.absolutePath(), upper);
    renameKeepingOthers(info.absoluteFilePath(), renamed);
    return renamed;
}

void renameFile(const QString& folder, const QString& name, const Request& request) {
    const QString newName = NewName(name, request);
    if (newName != name) {
        renameKeepingOthers(joined(folder, name), joined(folder, newName));
    }
}

bool isCatalogue(const QString& file, const Kept& kept) {
    const QString catalogue = canonical(kept.catalogue);
    return !catalogue.isEmpty() && canonical(file) == catalogue;
}

}  // namespace

QString NewName(const QString& name, const Request& request) {
    switch (request.conversion) {
        case Conversion::Minuscule:
            return name.toLower();
        case Conversion::Majuscule:
            return name.toUpper();
        case Conversion::Caractere:
            if (request.from.isEmpty()) {
                return name;
            }
            return QString(name).replace(request.from, request.to, Qt::CaseSensitive);
        case Conversion::None:
            break;
    }
    return name;
}

QString Convertir(const Request& request, const Kept& kept) {
    QString folder = request.folder;
    if (request.selection == Selection::Repertoire) {
        if (request.conversion == Conversion::Majuscule) {
            folder = renameFolder(folder, kept);
        }
        const QDir dir(folder);
        if (!dir.exists()) {
            throw Error(err::PathNotFound, QStringLiteral("Chemin introuvable : ") + folder);
        }
        // Listed whole before the first rename: a name produced by a rename
        // is never met again.
        const QFileInfoList files =
            dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo& file : files) {
            if (!isCatalogue(file.absoluteFilePath(), kept)) {
                renameFile(folder, file.fileName(), request);
            }
        }
    } else if (request.selection == Selection::Fichier) {
        const QString path = joined(folder, request.file);
        if (isCatalogue(path, kept) && NewName(request.file, request) != request.file) {
            throw Error(err::PermissionDenied, QStringLiteral("La base ouverte ") + path +
                                                   QStringLiteral(" n'est pas renommée"));
        }
        renameFile(folder, request.file, request);
    }
    return folder;
}

QString btn_convertir_Click(const Request& request, Settings& settings, Prompt& prompt) {
    const auto refuse = [&prompt](const QString& text) {
        prompt.message(text, kRefusal, PromptIcon::Critical);
        return QString();
    };
    if (request.conversion == Conversion::None) {
        return refuse(QStringLiteral("Veuillez sélectionner Minuscule, Majuscule ou Caractère"));
    }
    if (request.selection == Selection::None) {
        return refuse(QStringLiteral("Veuillez sélectionner Fichier ou répertoire"));
    }
    if (request.conversion == Conversion::Caractere &&
        (request.from.isEmpty() || request.to.isEmpty())) {
        return refuse(QStringLiteral("Veuillez indiquer les caractères à remplacer"));
    }
    if (request.selection == Selection::Fichier && request.file.isEmpty()) {
        return refuse(QStringLiteral("Veuillez sélectionner le fichier"));
    }
    if (request.selection == Selection::Repertoire && request.folder.isEmpty()) {
        return refuse(QStringLiteral("Veuillez sélectionner le répertoire"));
    }

    const QString target =
        joined(request.folder,
               request.selection == Selection::Repertoire ? QStringLiteral("*.*") : request.file);
    QString question;
    if (request.conversion == Conversion::Minuscule) {
        question = QStringLiteral("Conversion en minuscule de");
    } else if (request.conversion == Conversion::Majuscule) {
        question = QStringLiteral("Conversion en majuscule de ");
    } else {
        question = QStringLiteral("Remplacer ") + request.from + QStringLiteral(" par ") +
                   request.to + QStringLiteral(" dans ");
    }
    if (!prompt.askYesNo(question + target, QStringLiteral("Rename"), PromptIcon::Question)) {
        return request.folder;
    }

    const OnFailure onFailure{
        .title = kRefusal,
        .message = QStringLiteral("Le renommage s'est arrêté sur une erreur :\n"),
        .withCause = true,
        .erreurs = &settings.GV_Erreurs,
        .logLabel = QStringLiteral("Kalvorform.btn_convertir_click"),
        .busy = true};
    QString folder;
    RunOperation(prompt, onFailure, [&] {
        folder = Convertir(request,
                           {settings.GV_Chemin_Base, settings.GV_App_Path, QDir::currentPath()});
    });
    return folder;
}

}  // namespace kalvor::renamer
