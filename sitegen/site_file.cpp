#include "sitegen/site_file.h"

#include <QFile>
#include <QStringDecoder>

#include "common/banner.h"
#include "common/vb.h"
#include "platform/error.h"
#include "sitegen/case_folds.h"

namespace kalvor::sitegen {
namespace {

QString phpSingleQuoted(QString text) {
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'\'', QStringLiteral("\\'"));
    return text;
}

QString phpDoubleQuoted(QString text) {
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'"', QStringLiteral("\\\""));
    text.replace(u'$', QStringLiteral("\\$"));
    return text;
}

// A block of text that several site files carry, from the resources.
QString sharedBlock(const QString& name) {
    QFile file(QStringLiteral(":/sitegen/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        throw Error(err::FileNotFound, QStringLiteral("Modèle de page introuvable : ") + name);
    }
    QString text = QString::fromUtf8(file.readAll());
    text.remove(u'\r');
    return text.endsWith(u'\n') ? text.chopped(1) : text;
}

// What the site needs of a host that the settings do not say (the old MySQL
// functions): carried by the files that load require.php for the pages, so
// that a require.php of settings alone serves them.
QString hostCompatibility() {
    return sharedBlock(QStringLiteral("host_compat.php"));
}

// The reading of require.php, in every file that reads it.
QString requireReading(const SiteTarget& target) {
    return sharedBlock(QStringLiteral("read_require.php"))
        .replace(QStringLiteral("{{GV_Require|sq}}"), phpSingleQuoted(target.GV_Require));
}

}  // namespace

QStringList commentBox(SiteBox box, const QString& banner, const QDateTime& when) {
    const QString stamp = when.toString(QStringLiteral("dd/MM/yy hh:mm"));
    const QString stars(banner.size() + 39, u'*');
    switch (box) {
        case SiteBox::Php: {
            const QString line = QStringLiteral("// ") + stars;
            return {line,
                    QStringLiteral("// * Page générée par ") + banner + QStringLiteral(" le ") +
                        stamp + QStringLiteral(" *"),
                    line};
        }
        case SiteBox::Html: {
            const QString line = QStringLiteral("<!-- ") + stars + QStringLiteral(" -->");
            return {line,
                    QStringLiteral("<!-- * Page générée par ") + banner + QStringLiteral(" le ") +
                        stamp + QStringLiteral(" * -->"),
                    line};
        }
        case SiteBox::StyleSheet: {
            const QString line = QStringLiteral("/*") + QString(banner.size() + 41, u'*') + u'/';
            const QString stampLine = QStringLiteral("/* Page générée par ") + banner +
                                      QStringLiteral(" le ") + stamp + QStringLiteral("    */");
            QString credit = QStringLiteral("/* Feuille de style du site publié par ") + banner;
            credit += QString(line.size() - credit.size() - 2, u' ') + QStringLiteral("*/");
            return {line, stampLine, credit, line};
        }
        case SiteBox::None:
            break;
    }
    return {};
}

QStringList templateLines(const QString& name, const SiteTarget& target) {
    QFile file(QStringLiteral(":/site/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        throw Error(err::FileNotFound, QStringLiteral("Modèle de page introuvable : %1").arg(name));
    }
    // A template in another encoding would reach the site with its accents
    // turned into "?", without a word.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(file.readAll());
    if (utf8.hasError()) {
        throw Error(err::InvalidArgument,
                    QStringLiteral("Modèle de page mal encodé (UTF-8 attendu) : %1").arg(name));
    }
    text.remove(u'\r');
    if (text.contains(QStringLiteral("{{require}}"))) {
        text.replace(QStringLiteral("{{require}}"), requireReading(target));
    }
    text.replace(QStringLiteral("{{GV_Require|sq}}"), phpSingleQuoted(target.GV_Require));
    text.replace(QStringLiteral("{{GV_Require|dq}}"), phpDoubleQuoted(target.GV_Require));
    const QString folds = QStringLiteral("{{case_folds}}");
    if (text.contains(folds)) {
        text.replace(folds, CaseFoldLines().join(u'\n'));
    }
    if (text.contains(QStringLiteral("{{compat}}"))) {
        text.replace(QStringLiteral("{{compat}}"), hostCompatibility());
    }
    // The folder maker and the date rule the pages and the thumbnail maker
    // must agree on.
    if (text.contains(QStringLiteral("{{fichiers}}"))) {
        text.replace(QStringLiteral("{{fichiers}}"), sharedBlock(QStringLiteral("site_files.php")));
    }
    // The escaping that the listings and recovery.php share with the
    // program's reader of their replies.
    if (text.contains(QStringLiteral("{{texte}}"))) {
        text.replace(QStringLiteral("{{texte}}"), sharedBlock(QStringLiteral("escape_text.php")));
    }
    // The page cache, kept apart from the page core it wraps.
    if (text.contains(QStringLiteral("{{cache}}"))) {
        text.replace(QStringLiteral("{{cache}}"), sharedBlock(QStringLiteral("page_cache.php")));
    }
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();  // the template's own final line end
    }
    return lines;
}

void writeSiteFile(const SiteTarget& target, const SiteFileLayout& layout) {
    const QStringList body = templateLines(layout.name, target);
    TextFile file(target.GV_Export + u'/' + layout.name);
    // coeur.php defines the mark: an include file fetched by itself would
    // otherwise run without the variables of its page and print the host's
    // paths in PHP's messages. The guard of menu.php stands before its HTML
    // box, and the line end after "?>" is not output.
    const QString guard = QStringLiteral("if (!defined('KALVOR_SITE')) { return; }");
    if (layout.includedOnly && layout.box == SiteBox::Html) {
        file.WriteLine(QStringLiteral("<?php ") + guard + QStringLiteral(" ?>"));
    }
    // Short open tags are off on today's hosts: every file opens with "<?php".
    switch (layout.box) {
        case SiteBox::Php:
            file.WriteLine(QStringLiteral("<?php"));
            break;
        case SiteBox::StyleSheet:
            file.WriteLine(QStringLiteral("<?php"));
            // The header comes before require.php sets the default charset,
            // and the reading before the box, while a failure can still be
            // answered.
            file.WriteLine(QStringLiteral("header('Content-type: text/css; charset=ISO-8859-1');"));
            for (const QString& line : requireReading(target).split(u'\n')) {
                file.WriteLine(line);
            }
            file.WriteLine(QStringLiteral("?>"));
            break;
        case SiteBox::Html:
        case SiteBox::None:
            break;
    }
    for (const QString& line : commentBox(layout.box, kBanner, vb::Now())) {
        file.WriteLine(line);
    }
    if (layout.box == SiteBox::Html) {
        file.WriteLine(QString());
        file.WriteLine(QStringLiteral("<?php"));
    } else if (layout.blankAfterBox && layout.box != SiteBox::None) {
        file.WriteLine(QString());
    }
    if (layout.includedOnly && layout.box == SiteBox::Php) {
        file.WriteLine(guard);
    }
    for (const QString& line : body) {
        file.WriteLine(line);
    }
    file.Close();
}

}  // namespace kalvor::sitegen
