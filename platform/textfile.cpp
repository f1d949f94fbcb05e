#include "platform/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <unistd.h>

#include <cerrno>

#include "platform/cp1252.h"
#include "platform/error.h"
#include "platform/system_reason.h"

namespace kalvor {
namespace {
const QByteArray kCrLf("\r\n");

// A file system that cannot sync says so; that is no failure to write.
bool syncUnsupported(int errnum) {
    return errnum == EINVAL || errnum == ENOSYS || errnum == EOPNOTSUPP;
}
}  // namespace

TextFile::TextFile(const QString& path) : path_(path), file_(std::make_unique<QSaveFile>(path)) {
    file_->setDirectWriteFallback(false);
    const QFileInfo info(path);
    if (!info.absoluteDir().exists()) {
        file_.reset();
        throw Error(err::PathNotFound,
                    QStringLiteral("Chemin d'accès introuvable : %1").arg(info.absolutePath()));
    }
    if (info.isDir()) {
        file_.reset();
        throw Error(
            err::PermissionDenied,
            QStringLiteral("Impossible de créer le fichier %1 : c'est un dossier.").arg(path));
    }
    // Qt refuses a read-only target without saying why: ask the system.
    const QByteArray name = QFile::encodeName(path);
    errno = 0;
    if ((info.exists() && ::access(name.constData(), W_OK) != 0) ||
        !file_->open(QIODevice::WriteOnly)) {
        const QString reason = FileReason(*file_, errno);
        file_.reset();
        throw Error(err::PermissionDenied,
                    QStringLiteral("Impossible de créer le fichier %1 (%2).").arg(path, reason));
    }
}

TextFile::TextFile(TextFile&&) noexcept = default;
TextFile& TextFile::operator=(TextFile&&) noexcept = default;

TextFile::~TextFile() {
    if (file_) {
        file_->cancelWriting();  // the temporary file is removed, the target untouched
    }
}

void TextFile::writeBytes(const QByteArray& bytes) {
    if (!file_) {
        throw Error(err::InvalidArgument,
                    QStringLiteral("Le fichier %1 est déjà fermé.").arg(path_));
    }
    errno = 0;
    if (file_->write(bytes) != bytes.size() || file_->error() != QFileDevice::NoError) {
        discard(errno);
    }
}

void TextFile::discard(int errnum) {
    const QString reason = FileReason(*file_, errnum);
    file_->cancelWriting();
    file_.reset();  // removes the temporary file
    throw Error(err::DiskError,
                QStringLiteral("Erreur d'écriture dans le fichier %1 (%2).").arg(path_, reason));
}

void TextFile::WriteLine(const QString& text) {
    writeBytes(cp1252::encode(text) + kCrLf);
}

void TextFile::WriteLine(const QByteArray& bytes) {
    writeBytes(bytes + kCrLf);
}

void TextFile::Write(const QString& text) {
    writeBytes(cp1252::encode(text));
}

void TextFile::Write(const QByteArray& bytes) {
    writeBytes(bytes);
}

void TextFile::Close() {
    if (!file_) {
        return;
    }
    // commit() renames the file even when its last buffered bytes could not
    // be written (Qt 6.4): everything is written and on disk before it runs.
    errno = 0;
    if (!file_->flush() || file_->error() != QFileDevice::NoError) {
        discard(errno);
    }
    if (::fsync(file_->handle()) != 0 && !syncUnsupported(errno)) {
        discard(errno);
    }
    std::unique_ptr<QSaveFile> file = std::move(file_);
    errno = 0;
    const bool committed = file->commit();
    const int errnum = errno;
    if (!committed || file->error() != QFileDevice::NoError) {
        throw Error(err::DiskError, QStringLiteral("Impossible d'enregistrer le fichier %1 (%2).")
                                        .arg(path_, FileReason(*file, errnum)));
    }
}

TextFile CreateTextFile(const QString& path) {
    return TextFile(path);
}

}  // namespace kalvor
