#pragma once

#include <QDateTime>

namespace kalvor {

class Settings;

// The settings the data exports read that may not hold what they need (a
// settings file edited by hand, a box left as typed). Each refusal is
// err::InvalidSetting, one French line naming the setting and its value,
// raised before anything is written.
namespace export_settings {

// The day of the last export, from box_LastRun ("Lastrun").
QDateTime LastRun(const Settings& s);

// The wish-list, magazine and collectible marks of the ticked groups, which
// the incremental export starts from.
void RequireReadableMarks(const Settings& s);

// With "Collaborateurs" ticked, the albums already on the site must have
// their extra collaborators: the incremental export sends those of its new
// albums only. The mark that says so ("lastcollaborateurs") is then read:
// anything but empty, 0 or 1 is refused as the other marks are.
void RequireLinksSent(const Settings& s);

// The rows per part file of a split export (box_SplitGroup, "splitgroup").
qint32 SplitGroup(const Settings& s);

// An export writes only the tables of the ticked groups: one at least,
// or its script would empty nothing and replace the last one for nought.
void RequireGroups(const Settings& s);

}  // namespace export_settings
}  // namespace kalvor
