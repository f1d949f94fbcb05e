#include "sqlscripts/script_set.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/error.h"
#include "platform/system_reason.h"

namespace kalvor {
namespace {

// Hidden, and not matched by `donnees*.sql`.
const QString kAside = QStringLiteral(".donnees-en-cours");

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

QString ScriptSet::Stage(const QString& name) {
    // A target the user made read-only stays refused, as when written in place.
    const QString target = folder_ + u'/' + name;
    if (QFile::exists(target) && ::access(native(target).constData(), W_OK) != 0) {
        throw Error(err::PermissionDenied, QStringLiteral("Impossible de créer le fichier %1 (%2).")
                                               .arg(target, SystemReason(errno)));
    }
    if (staged_.isEmpty() && !QFileInfo(aside()).isDir() &&
        ::mkdir(native(aside()).constData(), 0777) != 0) {
        throw Error(err::DiskError, QStringLiteral("Impossible de créer le dossier %1 (%2).")
                                        .arg(aside(), SystemReason(errno)));
    }
    staged_ << name;
    return aside() + u'/' + name;
}

void ScriptSet::Publish() {
    for (const QString& name : staged_) {
        const QString target = folder_ + u'/' + name;
        if (std::rename(native(aside() + u'/' + name).constData(), native(target).constData()) !=
            0) {
            throw Error(err::DiskError,
                        QStringLiteral("Impossible d'enregistrer le fichier %1 (%2).")
                            .arg(target, SystemReason(errno)));
        }
    }
    const QSet<QString> written(staged_.begin(), staged_.end());
    staged_.clear();
    removeAside();
    for (const QString& name : QDir(folder_).entryList(QDir::Files | QDir::Hidden)) {
        if (isDataScriptName(name) && !written.contains(name) &&
            ::unlink(native(folder_ + u'/' + name).constData()) != 0) {
            throw Error(err::DiskError,
                        QStringLiteral("Impossible de supprimer le fichier %1 (%2), d'une "
                                       "exportation précédente.")
                            .arg(folder_ + u'/' + name, SystemReason(errno)));
        }
    }
}

void ScriptSet::removeAside() {
    for (const QString& name : staged_) {
        ::unlink(native(aside() + u'/' + name).constData());
    }
    staged_.clear();
    ::rmdir(native(aside()).constData());
}

}  // namespace kalvor
