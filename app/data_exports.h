#pragma once

#include <functional>

namespace kalvor {

class Prompt;
class Settings;

// The two data exports as the window and the command line call them. Each
// reports its own result and failure through the prompt and returns false
// when it failed.
struct DataExports {
    using Export = std::function<bool(Settings&, Prompt&)>;
    Export btn_Donnees_SQL_Click;      // full export, donnees.sql
    Export btn_LastDonnees_SQL_Click;  // incremental export, dernieres_donnees.sql

    // The exports of this build; one not built yet is an empty function.
    static DataExports Built();
};

}  // namespace kalvor
