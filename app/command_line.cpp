#include "app/command_line.h"

namespace kalvor {

CommandLine CommandLine::Parse(const QString& text) {
    CommandLine line;
    if (text.isEmpty()) {
        return line;
    }
    if (text.contains(u"utf-8") || text.contains(u"utf8")) {
        line.format = Format::Utf8;
    } else if (text.contains(u"latin")) {
        line.format = Format::Latin1;
    }
    if (text.contains(u"dernieres_donnees")) {
        line.exportWord = Export::DernieresDonnees;
    } else if (text.contains(u"donnees")) {
        line.exportWord = Export::Donnees;
    }
    return line;
}

CommandLine CommandLine::Parse(const QStringList& arguments) {
    return Parse(arguments.mid(1).join(u' '));
}

}  // namespace kalvor
