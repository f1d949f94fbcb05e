#pragma once

#include "settings/settings.h"

namespace kalvor::test {

// The marks a test gave `s`, written into the settings file: an export
// starts from the file's.
inline void StoreMarks(const Settings& s) {
    using Mark = Settings::Mark;
    Settings::Write_Marks({{Mark::LastRun, s.GV_LastRun},
                           {Mark::LastId, QString::number(s.GV_LastId)},
                           {Mark::LastIdPara, QString::number(s.GV_LastIdPara)},
                           {Mark::LastIdRevue, QString::number(s.GV_LastIdRevue)},
                           {Mark::LastCollaborateurs, s.GV_LastCollaborateurs}});
}

}  // namespace kalvor::test
