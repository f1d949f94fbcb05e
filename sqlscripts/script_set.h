#pragma once

#include <QString>
#include <QStringList>

namespace kalvor {

// The data scripts of one full export, which the site loads together: they
// are written aside and take their names in the scripts folder only once all
// are done, so a failed export leaves the last export's scripts as they were.
// Then the data scripts of earlier exports that this one did not write again
// (other part counts, the single file against the split ones, groups no
// longer ticked) are removed, so that loading every `donnees*.sql` of the
// folder loads this export alone. No other file is touched.
class ScriptSet {
  public:
    explicit ScriptSet(QString folder);
    ~ScriptSet();  // what was written aside and not published is removed
    ScriptSet(const ScriptSet&) = delete;
    ScriptSet& operator=(const ScriptSet&) = delete;

    // Where to write the script `name` until Publish().
    QString Stage(const QString& name);
    // All or nothing: throws kalvor::Error, the previous scripts in place,
    // when a file cannot be moved or removed.
    void Publish();

  private:
    QString aside() const;
    QString replacedFolder() const;
    void removeAside();

    QString folder_;
    QStringList staged_;
};

}  // namespace kalvor
