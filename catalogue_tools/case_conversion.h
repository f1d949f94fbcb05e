#pragma once

#include <QString>
#include <QStringList>

namespace kalvor {

class Prompt;
class Settings;

// Upper or lower case for the image file names that the catalogue stores, so
// that they agree with the files of the site.
namespace caseconv {

// The six check boxes of the frame, 0 or 1 each.
struct Tables {
    int opt_conv_albums = 0;
    int opt_conv_acheter = 0;
    int opt_conv_serie = 0;
    int opt_conv_auteur = 0;
    int opt_conv_exlibris = 0;
    int opt_conv_revues = 0;
};

enum class Case { Upper, Lower };

// The UPDATE statements for the ticked tables, in the order they run.
QStringList Statements(const Tables& tables, const QString& version, Case letterCase);

// Runs the statements on the catalogue at `path`; raises kalvor::Error,
// with the statements before the failing one applied.
void Convert_Base(const QString& path, const QStringList& statements);

// The two buttons: the checks, the question, the conversion, then one
// message. An Access catalogue, which is read-only here, is refused before
// anything is asked or changed.
void cmd_majuscule_Click(Settings& settings, const Tables& tables, Prompt& prompt);
void cmd_minuscule_Click(Settings& settings, const Tables& tables, Prompt& prompt);

}  // namespace caseconv
}  // namespace kalvor
