#pragma once

#include <QString>
#include <QStringList>

#include "settings/settings.h"
#include "sqlscripts/script_set_disk.h"

namespace kalvor {

// The data scripts of one full export, which the site loads together: they
// are written aside and take their names in the scripts folder only once all
// are done, so a failed export leaves the last export's scripts as they were.
// Then the data scripts of earlier exports that this one did not write again
// (other part counts, the single file against the split ones, groups no
// longer ticked) are removed, so that loading every `donnees*.sql` of the
// folder loads this export alone. No other file is touched.
//
// Once every script is written aside, the list of the set is written there
// too, with the marks the run moves and those they replace. The run has
// succeeded once its set is in, on disk, and its marks written; a run that
// failed or was killed before is undone, by itself or by the next start
// (Mend): the earlier set and marks come back, as the owner loads nothing
// of a run that did not succeed. The folder holds one whole set at every
// start. The caller holds the folder's ExportLock throughout.
class ScriptSet {
  public:
    explicit ScriptSet(QString folder, const ScriptSetDisk& disk = ScriptSetDisk::System());
    // What was written aside and not published is removed; a publication
    // that could neither finish nor be undone is left to Mend.
    ~ScriptSet();
    ScriptSet(const ScriptSet&) = delete;
    ScriptSet& operator=(const ScriptSet&) = delete;

    // Where to write the script `name` until Publish().
    QString Stage(const QString& name);
    // All or nothing: throws kalvor::Error, the previous scripts and marks
    // in place, when a file cannot be moved or removed or `marks` cannot be
    // written. They are written into the settings once the set is in and
    // on disk, before anything else goes.
    void Publish(const Settings::MarkTexts& marks = {});

    // Whether a run left a publication in `folder`, finished or not, or a
    // script it was writing.
    static bool Interrupted(const QString& folder);
    // Undoes the publication a run that did not succeed left in `folder`,
    // its earlier marks written back, or tidies up after one that did, so
    // that the folder holds the whole set of the last run that succeeded and
    // nothing stays hidden. The caller holds the folder's ExportLock. Throws
    // kalvor::Error when a file cannot be moved or the marks written, the
    // list kept for the next start. Says what it undid, else "".
    static QString Mend(const QString& folder, const ScriptSetDisk& disk = ScriptSetDisk::System());

  private:
    // What a killed incremental export left under a temporary name.
    static QStringList killedScripts(const QString& folder);

    QString aside() const;
    void commit(const QByteArray& list);
    void removeAside();

    QString folder_;
    const ScriptSetDisk& disk_;
    QStringList staged_;
    bool committed_ = false;
};

// At every start of Kalvor, before anything else (the window or either
// unattended export): mends the publication a killed export left in the
// scripts folder of GV_Export, and its lock's file, unless an export holds
// that folder now.
// Never throws: a failure goes to GV_Erreurs and the log, and the next
// export of that folder tries again first.
void MendScriptsFolder(Settings& s);

}  // namespace kalvor
