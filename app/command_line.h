#pragma once

#include <QString>
#include <QStringList>

namespace kalvor {

// The words of the command line that a scheduled job passes, looked for
// case-sensitively anywhere in the whole argument text.
struct CommandLine {
    enum class Format { Unchanged, Utf8, Latin1 };
    enum class Export { None, Donnees, DernieresDonnees };

    Format format = Format::Unchanged;
    Export exportWord = Export::None;

    // "utf-8"/"utf8" before "latin"; "dernieres_donnees" before "donnees",
    // which it contains.
    static CommandLine Parse(const QString& argumentText);
    // The arguments after the program's name, joined by spaces.
    static CommandLine Parse(const QStringList& arguments);

    bool runsExport() const { return exportWord != Export::None; }
};

}  // namespace kalvor
