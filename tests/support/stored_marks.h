#pragma once

#include <QStringList>

#include "settings/settings.h"

namespace kalvor::test {

// The marks a test gave `s`, written into the settings file as a full
// export leaves them, its record of what it sent included: an export
// starts from the file's.
inline void StoreMarks(const Settings& s) {
    using Mark = Settings::Mark;
    QStringList sent;
    if (!s.GV_LastRun.isEmpty()) {
        sent << "lastrun=" + s.GV_LastRun;
    }
    for (const auto& [name, mark] :
         {std::pair{"lastid", s.GV_LastId}, std::pair{"lastidrevue", s.GV_LastIdRevue},
          std::pair{"lastidpara", s.GV_LastIdPara}}) {
        if (mark != Settings::kNeverExported) {
            sent << QString::fromLatin1(name) + '=' + QString::number(mark);
        }
    }
    Settings::Write_Marks({{Mark::LastRun, s.GV_LastRun},
                           {Mark::LastId, QString::number(s.GV_LastId)},
                           {Mark::LastIdPara, QString::number(s.GV_LastIdPara)},
                           {Mark::LastIdRevue, QString::number(s.GV_LastIdRevue)},
                           {Mark::LastCollaborateurs, s.GV_LastCollaborateurs},
                           {Mark::LastFull, sent.join(';')}});
}

}  // namespace kalvor::test
