#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace kalvor {
class Inet;

namespace recovery {
class RecoveryBase;

// What the steps of one recovery share: whether the run may go on, and the
// text shown when it stops. The steps are each given the base they work on.
struct RecoveryState {
    bool Continue_Recovery = true;
    QString Continue_Error;
    // Whether recovery.php answered as on a site published before the end
    // mark, and the tables it sent empty.
    bool olderScript = false;
    QStringList emptyFromOlder = {};
    // Whether a table came with the mark alone, as from the version before
    // counts: a row left out on the way goes unseen.
    bool uncountedScript = false;
    // Whether recovery.php showed itself of an earlier version, which reads
    // the password only from the address: it refused a posted one, or
    // passed a wrong one as empty; whatever came of its reply.
    bool earlierRecoveryPhp = false;
    // Whether recovery.php showed itself of this version during the run: it
    // said it reads a posted password, answered a post with anything but a
    // refusal, or sent a reply with its end mark. Its tables then count
    // only with that mark, and the password never goes in the address.
    bool markedScript = false;
    // The tables whose reply came in this version's form, its mark checked:
    // their texts come escaped.
    QStringList escapedTables = {};
};

// Where the site is and how to ask it.
struct SiteAccess {
    QString site;      // base address, as typed
    QString password;  // the site's MySQL password
    Inet& inet;
};

// The address of recovery.php for one table as sites of earlier versions are
// asked (the newer ones get the password posted); the password and the table
// name are sent URL-encoded in the site's Windows-1252.
QString RecoveryUrl(const QString& site, const QString& password, const QString& tablename);

// Told the rows stored so far after each row; false stops the storing there
// (a cancelled run), with the state left as it was.
using StoreProgress = std::function<bool(qint64 rows)>;

// Fetches one site table through recovery.php and appends its rows to the
// table of the same name in `base` (parabd to ExLibris). Every row must carry
// `dimension` + 1 fields. On failure the rows stored so far stay (the run
// works on a copy of its base), Continue_Recovery turns False and
// Continue_Error names the table and the cause.
void Import_MYSQL_Tables(RecoveryState& state, const RecoveryBase& base, const SiteAccess& access,
                         const QString& tablename, qint16 dimension,
                         const StoreProgress& progress = {});

// The first half of an import: the site's reply for one table, without its
// end mark, or nothing when the site refused it or the reply did not end with
// that mark (Continue_Recovery False, Continue_Error "fichier recovery.php
// introuvable !", "Mot de passe invalide !" or the cause). The reply of a
// recovery.php published before the mark is taken when its rows each begin
// with an id, or when it is empty and the script refuses a wrong password.
std::optional<QString> Fetch_MYSQL_Table(RecoveryState& state, const SiteAccess& access,
                                         const QString& tablename);
// The second half: the reply's rows appended to the table of `base`.
void Store_MYSQL_Table(RecoveryState& state, const RecoveryBase& base, const QString& tablename,
                       qint16 dimension, const QString& reply, const StoreProgress& progress = {});

// The local table that receives a site table's rows; empty when unknown.
QString LocalTable(const QString& tablename);

// The columns of the local table that the import sets, by local table.
QStringList ImportedColumns(const QString& tablename);

}  // namespace recovery
}  // namespace kalvor
