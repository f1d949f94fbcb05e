#include "sqlscripts/script_set.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/export_folder.h"
#include "common/general.h"
#include "common/operation.h"
#include "platform/error.h"
#include "platform/save_file.h"
#include "platform/system_reason.h"
#include "settings/settings.h"
#include "sqlscripts/export_lock.h"
#include "sqlscripts/schema_scripts.h"

namespace kalvor {
namespace {

// Hidden, and not matched by `donnees*.sql`.
const QString kAside = QStringLiteral(".donnees-en-cours");
const QString kReplaced = QStringLiteral(".donnees-remplacees");
// In the folder aside, once every script is whole there: the new set and
// the files it replaces. A run stopped after it is finished by the next.
const QString kList = QStringLiteral(".publication");
const QString kListDraft = QStringLiteral(".publication-en-cours");
// The list once the set is in and its marks written: the run succeeded,
// only the tidying up is left.
const QString kListDone = QStringLiteral(".publication-faite");

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

bool exists(const QString& path) {
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0;
}

// The names the full export gives its scripts, and no other.
bool isDataScriptName(const QString& name) {
    static const QRegularExpression names(QStringLiteral(
        "^donnees(_(AUTEURS|ALBUMS)_[0-9]+sur[0-9]+|_(AUTEURS|SERIES|ALBUMS|AUTEURS2|SERIES2|"
        "ACHETER|AUTEURS3|SERIES3|PARABD|REVUES))?\\.sql$"));
    return names.match(name).hasMatch();
}

Error cannotSave(const QString& target, int errnum) {
    return Error(err::DiskError, QStringLiteral("Impossible d'enregistrer le fichier %1 (%2).")
                                     .arg(target, SystemReason(errnum)));
}

// The files of a folder, hidden ones included.
QStringList filesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// A hidden folder and all it holds: what a stopped run was writing.
void removeHidden(const ScriptSetDisk& disk, const QString& hidden) {
    for (const QString& name : filesOf(hidden)) {
        disk.Remove(hidden + u'/' + name);
    }
    disk.Remove(hidden);
}

// The list of a publication: the new set, aside until each script takes its
// place, the folder's files it replaces or leaves behind, each put in the
// folder of replaced files before the first script comes in, the
// last-export marks the run moved, which move once the set is in, and the
// file's marks before, which come back with the earlier set.
struct SetList {
    QStringList added, replaced;
    Settings::MarkTexts marks, earlierMarks;

    static void appendMarks(QByteArray& bytes, char kind, const Settings::MarkTexts& marks) {
        for (const auto& [mark, value] : marks) {
            bytes += kind + Settings::MarkName(mark).toUtf8() + '=' + value.toUtf8() + '\n';
        }
    }
    static void readMark(Settings::MarkTexts& marks, const QString& line) {
        const qsizetype equals = line.indexOf(u'=');
        if (const auto mark = Settings::MarkNamed(line.left(equals)); mark && equals > 0) {
            marks.append({*mark, line.mid(equals + 1)});
        }
    }

    QByteArray text() const {
        QByteArray bytes;
        for (const QString& name : added) {
            bytes += '+' + name.toUtf8() + '\n';
        }
        for (const QString& name : replaced) {
            bytes += '-' + name.toUtf8() + '\n';
        }
        appendMarks(bytes, '=', marks);
        appendMarks(bytes, '<', earlierMarks);
        return bytes;
    }

    static SetList Read(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            throw Error(err::DiskError, QStringLiteral("Impossible de lire le fichier %1 (%2).")
                                            .arg(path, FileReason(file, errno)));
        }
        SetList list;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QString name = QString::fromUtf8(line.mid(1));
            if (line.startsWith('+')) {
                list.added << name;
            } else if (line.startsWith('-')) {
                list.replaced << name;
            } else if (line.startsWith('=')) {
                readMark(list.marks, name);
            } else if (line.startsWith('<')) {
                readMark(list.earlierMarks, name);
            }
        }
        return list;
    }
};

// One publication once its list is written: the moves are made again from
// wherever a run stopped them, each file in one place at any moment, so
// that the set comes in whole or, when a file cannot move, the earlier one
// goes back whole.
class Publication {
  public:
    Publication(const QString& folder, const ScriptSetDisk& disk, SetList list)
        : folder_(folder),
          aside_(folder + u'/' + kAside),
          replaced_(folder + u'/' + kReplaced),
          disk_(disk),
          list_(std::move(list)) {}

    // Throws, the earlier set and marks back, when the set could not come
    // in, or came in but is not on disk or its marks not written: a run
    // that reports failure leaves the folder and the marks as the last run
    // that succeeded left them. When a file cannot move back, the list
    // stays and the next start or export puts the earlier set back.
    void Complete() {
        std::optional<Error> failure = forward();
        // The moves on disk before the marks say the site may have the set,
        // and before the files they hid go: the folder's sync writes out the
        // file system's journal, the other folders' side of each rename
        // with it.
        if (const int errnum = failure ? 0 : disk_.Sync(folder_); errnum != 0) {
            failure = cannotSave(folder_, errnum);
        }
        if (!failure && !list_.marks.isEmpty() && !Settings::Write_Marks(list_.marks)) {
            // The store's problem says why, on its own.
            failure = Error(err::DiskError,
                            QStringLiteral("Les marques de la dernière exportation n'ont pas été "
                                           "enregistrées : les scripts précédents sont remis "
                                           "en place dans %1.")
                                .arg(folder_));
        }
        if (const int errnum = failure ? 0 : disk_.Rename(aside(kList), aside(kListDone));
            errnum != 0) {
            failure = cannotSave(aside(kListDone), errnum);
        }
        if (failure) {
            undo();
            throw *failure;
        }
        cleanUp();
    }

    // The run that wrote the list did not succeed: the earlier set and its
    // marks come back. Throws when they cannot, the list kept for the next
    // start.
    void Undo() {
        if (!undo()) {
            throw Error(err::DiskError,
                        QStringLiteral("Les scripts d'une exportation interrompue n'ont pas pu "
                                       "être retirés de %1 : le prochain démarrage réessaiera.")
                            .arg(folder_));
        }
    }

    // The run succeeded and was stopped while it tidied up: its marks are
    // written again, surely on disk, before its list goes.
    void Tidy() {
        if (!list_.marks.isEmpty() && !Settings::Write_Marks(list_.marks)) {
            throw Error(err::DiskError,
                        QStringLiteral("Les marques de la dernière exportation n'ont pas été "
                                       "enregistrées : le prochain démarrage réessaiera."));
        }
        cleanUp();
    }

  private:
    QString inFolder(const QString& name) const { return folder_ + u'/' + name; }
    QString aside(const QString& name) const { return aside_ + u'/' + name; }
    QString replaced(const QString& name) const { return replaced_ + u'/' + name; }

    // Every earlier file goes aside before the first script comes in: while
    // a script is still aside, a replaced name with no copy among the
    // replaced files is an earlier file still in the folder. Once none is
    // aside, the set is in and only the tidying up is left.
    std::optional<Error> forward() {
        const bool allIn = std::none_of(list_.added.begin(), list_.added.end(),
                                        [&](const QString& name) { return exists(aside(name)); });
        if (allIn) {
            return std::nullopt;
        }
        const QSet<QString> added(list_.added.begin(), list_.added.end());
        try {
            if (!list_.replaced.isEmpty()) {
                MakeFolder(replaced_);
            }
        } catch (const Error& e) {
            return e;
        }
        for (const QString& name : list_.replaced) {
            if (exists(replaced(name))) {
                continue;
            }
            const int errnum = disk_.Rename(inFolder(name), replaced(name));
            if (errnum == ENOENT && !exists(inFolder(name))) {
                continue;  // gone meanwhile: nothing to put back
            }
            if (errnum != 0) {
                return added.contains(name)
                           ? cannotSave(inFolder(name), errnum)
                           : Error(err::DiskError,
                                   QStringLiteral("Impossible de supprimer le fichier %1 (%2), "
                                                  "d'une exportation précédente.")
                                       .arg(inFolder(name), SystemReason(errnum)));
            }
        }
        for (const QString& name : list_.added) {
            if (!exists(aside(name))) {
                continue;
            }
            if (const int errnum = disk_.Rename(aside(name), inFolder(name)); errnum != 0) {
                return cannotSave(inFolder(name), errnum);
            }
        }
        return std::nullopt;
    }

    // The earlier set back in the folder: the scripts that came in go aside
    // again first, then the earlier files come back, then the earlier marks.
    // A file that cannot move, or marks that cannot be written, leave the
    // list for the next start. False then.
    bool undo() {
        for (const QString& name : list_.added) {
            if (!exists(aside(name)) && exists(inFolder(name)) &&
                disk_.Rename(inFolder(name), aside(name)) != 0) {
                return false;
            }
        }
        for (const QString& name : list_.replaced) {
            if (exists(replaced(name)) && disk_.Rename(replaced(name), inFolder(name)) != 0) {
                return false;
            }
        }
        if (disk_.Sync(folder_) != 0 || !removedFolder(replaced_)) {
            return false;
        }
        if (!list_.earlierMarks.isEmpty() && !Settings::Write_Marks(list_.earlierMarks)) {
            return false;
        }
        // Undone once neither list is left.
        for (const QString& list : {kListDone, kList}) {
            if (exists(aside(list)) && disk_.Remove(aside(list)) != 0) {
                return false;
            }
        }
        removeHidden(disk_, aside_);
        return true;
    }

    bool removedFolder(const QString& path) const {
        return disk_.Remove(path) == 0 || !exists(path);
    }

    // Once the list is gone, what is left only waits.
    void cleanUp() {
        for (const QString& name : list_.replaced) {
            disk_.Remove(replaced(name));
        }
        // The list stays while an earlier file does: the next start goes on.
        if (!removedFolder(replaced_)) {
            return;
        }
        disk_.Remove(aside(kListDone));
        removeHidden(disk_, aside_);
    }

    QString folder_, aside_, replaced_;
    const ScriptSetDisk& disk_;
    SetList list_;
};

}  // namespace

ScriptSet::ScriptSet(QString folder, const ScriptSetDisk& disk)
    : folder_(std::move(folder)), disk_(disk) {}

ScriptSet::~ScriptSet() {
    // A run that staged nothing (refused, say, as another export holds the
    // folder) touches nothing there.
    if (!committed_ && !staged_.isEmpty()) {
        removeAside();
    }
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
    if (staged_.isEmpty()) {
        MakeFolder(aside());
    }
    staged_ << name;
    return aside() + u'/' + name;
}

void ScriptSet::Publish(const Settings::MarkTexts& marks) {
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
    const SetList list{staged_, replaced, marks, Settings::Stored_Marks(marks)};
    commit(list.text());
    Publication(folder_, disk_, list).Complete();
    staged_.clear();
}

// The point of no return: the list on disk, whole, under its name.
void ScriptSet::commit(const QByteArray& list) {
    const QString draft = aside() + u'/' + kListDraft;
    const QString named = aside() + u'/' + kList;
    if (const int errnum = disk_.Write(draft, list); errnum != 0) {
        throw cannotSave(named, errnum);
    }
    if (const int errnum = disk_.Rename(draft, named); errnum != 0) {
        throw cannotSave(named, errnum);
    }
    committed_ = true;
    // A list not surely on disk may be lost while the moves are not: the
    // publication stops while nothing has moved yet.
    if (const int errnum = disk_.Sync(aside()); errnum != 0) {
        committed_ = disk_.Remove(named) != 0;
        throw cannotSave(named, errnum);
    }
}

void ScriptSet::removeAside() {
    for (const QString& name : staged_) {
        disk_.Remove(aside() + u'/' + name);
    }
    staged_.clear();
    disk_.Remove(aside() + u'/' + kListDraft);
    disk_.Remove(aside());
}

bool ScriptSet::Interrupted(const QString& folder) {
    return exists(folder + u'/' + kAside) || exists(folder + u'/' + kReplaced) ||
           !killedScripts(folder).isEmpty();
}

QStringList ScriptSet::killedScripts(const QString& folder) {
    const QString script = schema_scripts::kIncrementalScript;
    QStringList killed;
    for (const QString& name :
         QDir(folder).entryList({script + QStringLiteral(".*")}, QDir::Files | QDir::Hidden)) {
        if (IsSaveTemporary(script, name)) {
            killed << name;
        }
    }
    return killed;
}

QString ScriptSet::Mend(const QString& folder, const ScriptSetDisk& disk) {
    for (const QString& name : killedScripts(folder)) {
        disk.Remove(folder + u'/' + name);
    }
    const QString aside = folder + u'/' + kAside;
    if (exists(aside + u'/' + kListDone)) {
        Publication(folder, disk, SetList::Read(aside + u'/' + kListDone)).Tidy();
        return {};
    }
    // A run that had not succeeded: it reported failure, or nothing as it
    // was killed. The owner loads nothing of it.
    if (exists(aside + u'/' + kList)) {
        Publication(folder, disk, SetList::Read(aside + u'/' + kList)).Undo();
        return QStringLiteral(
                   "Les scripts de données d'une exportation interrompue ont été retirés de "
                   "%1 : le dossier tient de nouveau ceux de l'exportation précédente, avec "
                   "ses marques de dernière exportation.")
            .arg(folder);
    }
    // Stopped before its list: the folder holds the earlier set.
    if (exists(aside)) {
        removeHidden(disk, aside);
    }
    // Left by a Kalvor before the list: the earlier files put back where
    // the folder has none of their name, so that none stays hidden.
    const QString replaced = folder + u'/' + kReplaced;
    if (exists(replaced)) {
        for (const QString& name : filesOf(replaced)) {
            if (!exists(folder + u'/' + name)) {
                disk.Rename(replaced + u'/' + name, folder + u'/' + name);
            }
        }
        removeHidden(disk, replaced);
        disk.Sync(folder);
    }
    return {};
}

void MendScriptsFolder(Settings& s) {
    if (s.GV_Export.isEmpty()) {
        return;
    }
    const QString folder = schema_scripts::ScriptsFolder(s.GV_Export);
    // A run killed while it held the folder leaves the lock's file, even
    // before its first script: it goes with the lock taken here.
    if (!ScriptSet::Interrupted(folder) && !exists(folder + u'/' + ExportLock::kFileName)) {
        return;
    }
    QString done;
    const std::optional<Failure> failure = Attempt([&] {
        // An export that holds the folder mended it as it started.
        if (const std::optional<ExportLock> lock = ExportLock::TryHold(folder)) {
            done = ScriptSet::Mend(folder);
        }
    });
    if (!done.isEmpty()) {
        s.Reload_Marks();
        s.GV_Erreurs += u'\n' + done;
    }
    if (failure) {
        s.GV_Erreurs += QStringLiteral("\nerreur : ") + failure->description;
    }
    if (failure || !done.isEmpty()) {
        general::Write_Log(QStringLiteral("Kalvorform.form_load"), s.GV_Erreurs);
    }
}

}  // namespace kalvor
