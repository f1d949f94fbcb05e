#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "sitecheck/site_check_state.h"

namespace kalvor::site {

// One row of the result of a check.
struct CheckEntry {
    QString type;  // image kind: "couvertures", "versos", ...
    QString file;
    QString probleme;  // thumbnails only
};

// A root of the result trees: one per image kind.
struct TreeRoot {
    QString key;   // "CO", "VE", "DE", "PL", "PA", "PH", "RE"
    QString text;  // "Couvertures", ...
    QString type;
};
// In the order the trees show them.
const QList<TreeRoot>& Tree_Roots();

struct TreeNode {
    QString rootKey;
    QString key;  // "MI1", "EX1", "TH1", ... counted across kinds
    QString text;

    bool operator==(const TreeNode&) const = default;
};

// The result of the last site check, as the work tables hold it: read by the
// trees of the main window and by the printed report.
struct CheckResult {
    QList<CheckEntry> missing;       // referenced, not on the site; by kind, then name
    QList<CheckEntry> unreferenced;  // on the site, not referenced; by kind, then name
    QList<CheckEntry> thumbnails;    // thumbnails with a problem; by kind, then name
    // The listings that did not come whole: their folders were not compared.
    QList<UnreadListing> unchecked;

    // The names of one kind, in name order.
    QStringList Missing_Files(const QString& type) const;
    QStringList Unreferenced_Files(const QString& type) const;
    QList<CheckEntry> Thumbnail_Problems(const QString& type) const;

    // The children of the three trees: the missing files ("MI"), the files
    // not referenced ("EX"), the thumbnails as "file : probleme" ("TH"); a
    // kind not checked has first a node that says so ("NV").
    QList<TreeNode> Missing_Nodes() const;
    QList<TreeNode> Unreferenced_Nodes() const;
    QList<TreeNode> Thumbnail_Nodes() const;
};

// The script whose listing left the files, or the thumbnails, of a kind
// unchecked among `unchecked`; empty when they were checked. The thumbnails
// of a kind are not judged without the listing of its images.
QString Unchecked_Files(const QList<UnreadListing>& unchecked, const QString& type);
QString Unchecked_Thumbnails(const QList<UnreadListing>& unchecked, const QString& type);

// What the trees and the report show for a kind that a listing of `script`
// left unchecked.
QString Unchecked_Text(const QString& script);

// Reads the result from the work tables of the catalogue at GV_Chemin_Base
// into `result` (emptied first); on a failure what was read stays there and
// kalvor::Error is raised.
void Read_Check_Result(const QString& GV_Chemin_Base, CheckResult& result);

}  // namespace kalvor::site
