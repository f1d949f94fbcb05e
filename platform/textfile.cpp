#include "platform/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

#include "platform/cp1252.h"
#include "platform/error.h"
#include "platform/save_file.h"
#include "platform/system_reason.h"

namespace kalvor {
namespace {
const QByteArray kCrLf("\r\n");
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
    if (const QString reason = OpenSaveFile(*file_); !reason.isEmpty()) {
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
        discard(FileReason(*file_, errno));
    }
}

void TextFile::discard(const QString& reason) {
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
    if (const QString reason = FlushSaveFile(*file_); !reason.isEmpty()) {
        discard(reason);
    }
    const std::unique_ptr<QSaveFile> file = std::move(file_);
    if (const QString reason = CommitSaveFile(*file); !reason.isEmpty()) {
        throw Error(
            err::DiskError,
            QStringLiteral("Impossible d'enregistrer le fichier %1 (%2).").arg(path_, reason));
    }
}

TextFile CreateTextFile(const QString& path) {
    return TextFile(path);
}

}  // namespace kalvor
