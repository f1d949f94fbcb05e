#include "platform/system_reason.h"

#include <QFileDevice>
#include <cerrno>
#include <cstring>

namespace kalvor {
namespace {

const int kKnown[] = {ENOSPC,  EDQUOT, EFBIG,        EROFS,     EACCES, EPERM, ENOENT,
                      ENOTDIR, EISDIR, EEXIST,       ENOTEMPTY, EXDEV,  EBUSY, ETXTBSY,
                      EMFILE,  ENFILE, ENAMETOOLONG, ELOOP,     EIO,    ENOMEM};

QString frenchFor(int errnum) {
    switch (errnum) {
        case ENOSPC:
            return QStringLiteral("disque plein");
        case EDQUOT:
            return QStringLiteral("quota de disque dépassé");
        case EFBIG:
            return QStringLiteral("fichier trop volumineux");
        case EROFS:
            return QStringLiteral("système de fichiers en lecture seule");
        case EACCES:
        case EPERM:
            return QStringLiteral("permission refusée");
        case ENOENT:
            return QStringLiteral("fichier ou dossier introuvable");
        case ENOTDIR:
            return QStringLiteral("un élément du chemin n'est pas un dossier");
        case EISDIR:
            return QStringLiteral("c'est un dossier");
        case EEXIST:
            return QStringLiteral("le fichier existe déjà");
        case ENOTEMPTY:
            return QStringLiteral("dossier non vide");
        case EXDEV:
            return QStringLiteral("déplacement vers un autre système de fichiers impossible");
        case EBUSY:
        case ETXTBSY:
            return QStringLiteral("fichier occupé");
        case EMFILE:
        case ENFILE:
            return QStringLiteral("trop de fichiers ouverts");
        case ENAMETOOLONG:
            return QStringLiteral("nom de fichier trop long");
        case ELOOP:
            return QStringLiteral("trop de liens symboliques");
        case EIO:
            return QStringLiteral("erreur d'entrée-sortie du disque");
        case ENOMEM:
            return QStringLiteral("mémoire insuffisante");
        default:
            return QStringLiteral("erreur système n° %1").arg(errnum);
    }
}

QString frenchFor(QFileDevice::FileError error) {
    switch (error) {
        case QFileDevice::ReadError:
            return QStringLiteral("erreur de lecture");
        case QFileDevice::WriteError:
            return QStringLiteral("erreur d'écriture");
        case QFileDevice::ResourceError:
            return QStringLiteral("ressources du système insuffisantes");
        case QFileDevice::OpenError:
            return QStringLiteral("ouverture impossible");
        case QFileDevice::PermissionsError:
            return QStringLiteral("permission refusée");
        case QFileDevice::RenameError:
            return QStringLiteral("renommage impossible");
        case QFileDevice::RemoveError:
            return QStringLiteral("suppression impossible");
        case QFileDevice::AbortError:
            return QStringLiteral("opération interrompue");
        default:
            return QStringLiteral("erreur inconnue");
    }
}

}  // namespace

QString SystemReason(int errnum) {
    return frenchFor(errnum);
}

QString FileReason(const QFileDevice& file, int errnum) {
    if (errnum != 0) {
        return SystemReason(errnum);
    }
    // Qt words a system failure with the system's own text: the number
    // behind it is found again, so that the cause keeps its detail in French.
    const QString system = file.errorString();
    for (int known : kKnown) {
        if (!system.isEmpty() && system.contains(QString::fromLocal8Bit(std::strerror(known)))) {
            return frenchFor(known);
        }
    }
    return frenchFor(file.error());
}

}  // namespace kalvor
