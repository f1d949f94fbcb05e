#pragma once

namespace kalvor::site {

// What the steps of one site check tell each other.
struct SiteCheckState {
    bool GV_Site_OK = true;  // false once a listing script was not found
    int GV_Nb_Rep = 0;       // listings accepted
    int malformedLines = 0;  // listing lines that were not a file and its date
};

}  // namespace kalvor::site
