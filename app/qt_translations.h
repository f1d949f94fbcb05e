#pragma once

class QTranslator;

namespace kalvor {

// Qt's own texts (file, folder and print dialogs, standard buttons, network
// errors) in French, whatever the system's language: the rest of the window
// is French. Needs the application object, which owns the translator;
// nullptr when the system has no French catalogue of Qt, the texts then
// staying in English.
QTranslator* InstallQtFrench();

}  // namespace kalvor
