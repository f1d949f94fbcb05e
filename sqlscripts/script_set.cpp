#include "sqlscripts/script_set.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/export_folder.h"
#include "platform/error.h"
#include "platform/system_reason.h"

namespace kalvor {
namespace {

// Hidden, and not matched by `donnees*.sql`.
const QString kAside = QStringLiteral(".donnees-en-cours");
const QString kReplaced = QStringLiteral(".donnees-remplacees");

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// The names the full export gives its scripts, and no other.
bool isDataScriptName(const QString& name) {
    static const QRegularExpression names(QStringLiteral(
        "^donnees(_(AUTEURS|ALBUMS)_[0-9]+sur[0-9]+|_(AUTEURS|SERIES|ALBUMS|AUTEURS2|SERIES2|"
        "ACHETER|AUTEURS3|SERIES3|PARABD|REVUES))?\\.sql$"));
    return names.match(name).hasMatch();
}

}  // namespace

ScriptSet::ScriptSet(QString folder) : folder_(std::move(folder)) {}

ScriptSet::~ScriptSet() {
    removeAside();
}

QString ScriptSet::aside() const {
    return folder_ + u'/' + kAside;
}

QString ScriptSet::replacedFolder() const {
    return folder_ + u'/' + kReplaced;
}

QString ScriptSet::Stage(const QString& name) {
    // A target the user made read-only stays refused, as when written in place.
    const QString target = folder_ + u'/' + name;
    if (QFile::exists(target) && ::access(native(target).constData(), W_OK) != 0) {
        throw Error(err::PermissionDenied, QStringLiteral("Impossible de créer le fichier %1 (%2).")
                                               .arg(target, SystemReason(errno)));
    }
    if (staged_.isEmpty()) {
        MakeFolder(aside());
    }
    staged_ << name;
    return aside() + u'/' + name;
}

void ScriptSet::Publish() {
    const auto cannotSave = [](const QString& target, int errnum) {
        return Error(err::DiskError, QStringLiteral("Impossible d'enregistrer le fichier %1 (%2).")
                                         .arg(target, SystemReason(errnum)));
    };
    // A folder under a script's name would be moved aside with all it holds.
    for (const QString& name : staged_) {
        const QString target = folder_ + u'/' + name;
        if (QFileInfo(target).isDir()) {
            throw cannotSave(target, EISDIR);
        }
    }
    // Every file the new set replaces or leaves behind is set aside first, so
    // that a failure can put the previous set back whole.
    const QSet<QString> written(staged_.begin(), staged_.end());
    QStringList replaced;
    for (const QString& name : QDir(folder_).entryList(QDir::Files | QDir::Hidden)) {
        if (written.contains(name) || isDataScriptName(name)) {
            replaced << name;
        }
    }
    const QString old = replacedFolder();
    if (!replaced.isEmpty()) {
        MakeFolder(old);
    }
    QStringList movedAside, published;
    const auto putBack = [&] {
        for (const QString& name : published) {
            ::rename(native(folder_ + u'/' + name).constData(),
                     native(aside() + u'/' + name).constData());
        }
        for (const QString& name : movedAside) {
            ::rename(native(old + u'/' + name).constData(),
                     native(folder_ + u'/' + name).constData());
        }
        ::rmdir(native(old).constData());
    };
    for (const QString& name : replaced) {
        const QString target = folder_ + u'/' + name;
        if (::rename(native(target).constData(), native(old + u'/' + name).constData()) != 0) {
            const int reason = errno;
            putBack();
            throw written.contains(name)
                ? cannotSave(target, reason)
                : Error(err::DiskError,
                        QStringLiteral("Impossible de supprimer le fichier %1 (%2), d'une "
                                       "exportation précédente.")
                            .arg(target, SystemReason(reason)));
        }
        movedAside << name;
    }
    for (const QString& name : staged_) {
        const QString target = folder_ + u'/' + name;
        if (::rename(native(aside() + u'/' + name).constData(), native(target).constData()) != 0) {
            const int reason = errno;
            putBack();
            throw cannotSave(target, reason);
        }
        published << name;
    }
    staged_.clear();
    removeAside();
    // The new set is whole; what is left of the old one is hidden and
    // matches no `donnees*.sql`.
    for (const QString& name : movedAside) {
        ::unlink(native(old + u'/' + name).constData());
    }
    ::rmdir(native(old).constData());
}

void ScriptSet::removeAside() {
    for (const QString& name : staged_) {
        ::unlink(native(aside() + u'/' + name).constData());
    }
    staged_.clear();
    ::rmdir(native(aside()).constData());
}

}  // namespace kalvor
