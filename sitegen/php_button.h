#pragma once

#include "platform/prompt.h"
#include "settings/settings.h"

namespace kalvor::sitegen {

// True when the thumbnail settings would let the site take an image for its
// thumbnail: thumbnails on, no file-name prefix, and a kind whose thumbnail
// folder is empty or the very text of its image folder.
bool thumbnailsClashWithImages(const Settings& s);

// Kalvorform.btn_Create_PHP_Click: the thumbnail check, then every site file
// into GV_Export, reported through the prompt. A failure stops at the file
// in hand, is shown once, added to GV_Erreurs and logged; the files written
// before it stay. True when every file was written.
bool btn_Create_PHP_Click(Settings& settings, Prompt& prompt);

}  // namespace kalvor::sitegen
