#include "platform/site_replies.h"

#include <QRegularExpression>
#include <algorithm>

#include "platform/cp1252.h"
#include "platform/crc32.h"

namespace kalvor::replies {
namespace {

const QByteArray kByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");
const QString kDatabaseRefused = QStringLiteral("erreur de connexion à la base : ");
const QString kReadError = QStringLiteral("erreur de lecture de la table ");
const QString kBusyRefused = QStringLiteral("Retry-After:");

// The kinds of message PHP prints, as it names them.
const QString kPhpKinds = QStringLiteral(
    "(Warning|Notice|Deprecated|Fatal error|Parse error|Strict Standards|Recoverable fatal "
    "error|Catchable fatal error)");

// Nothing but white space from `from` on, or the markup a host appends to
// every answer, which holds none of the site's separators.
bool onlyTheHostsFrom(QStringView reply, qsizetype from) {
    const QStringView rest = reply.mid(from).trimmed();
    return rest.isEmpty() || (rest.startsWith(u'<') && !rest.contains(kFieldSeparator));
}

// Text a host appends after an earlier table's last row: none of the site's
// framing, and not the start of a row or a mark cut short.
bool hostsTextAfterRow(QStringView rest) {
    rest = rest.trimmed();
    return !rest.isEmpty() && !rest[0].isDigit() && rest[0] != u'-' && !MayBeCutMark(rest) &&
           !rest.contains(kFieldSeparator) && !rest.contains(kRowEnd);
}

// After the site's refusal, which ends its script, any text is the host's
// when it holds none of the site's framing: a banner in plain text as well
// as in markup.
bool onlyTheHostsAfterRefusal(QStringView reply, qsizetype from) {
    const QStringView rest = reply.mid(from);
    return !rest.contains(kFieldSeparator) && !rest.contains(kRowEnd) &&
           !rest.contains(QLatin1String(kTableEnd));
}

// The site's one line at the start of `text`, without the markup a host
// appends to every answer.
QStringView siteLine(QStringView text) {
    qsizetype end = 0;
    while (end < text.size() && text[end] != u'<' && text[end] != u'\n') {
        ++end;
    }
    return text.first(end).trimmed();
}

// Where the site's `words` stand last in the reply with nothing after them
// but white space or what a host appends to every answer, counted without
// the white space before them; -1 when they do not. Words that follow rows
// or listing lines are data cut short.
qsizetype closingAt(const QString& reply, const QString& words) {
    const QStringView text = QStringView(reply).trimmed();
    for (qsizetype at = text.lastIndexOf(words); at >= 0;
         at = at > 0 ? text.lastIndexOf(words, at - 1) : -1) {
        if (onlyTheHostsAfterRefusal(text, at + words.size())) {
            return onlyTheHostsAfterRefusal(text.first(at), 0) ? at : -1;
        }
    }
    return -1;
}

// White space and byte-order marks alone: what a host or require.php may
// send before a script's reply.
bool blank(QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        if (bytes.startsWith(QByteArrayView(kByteOrderMark))) {
            bytes = bytes.sliced(kByteOrderMark.size());
        } else if (bytes[0] == ' ' || bytes[0] == '\t' || bytes[0] == '\r' || bytes[0] == '\n') {
            bytes = bytes.sliced(1);
        } else {
            return false;
        }
    }
    return true;
}

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// The mark's fields after "#fin:" at `at`: what it answers, the bytes, the
// CRC-32, each closed by "#".
std::optional<ProvedEnd> provedEndAt(const QByteArray& body, qsizetype at) {
    ProvedEnd end;
    end.at = at;
    qsizetype i = at + kProvedEnd.size();
    const qsizetype nameStart = i;
    while (i < body.size() && i - nameStart < 40 &&
           ((body[i] >= 'a' && body[i] <= 'z') || body[i] == '_' || body[i] == ':')) {
        ++i;
    }
    if (i == nameStart || i >= body.size() || body[i] != '#') {
        return std::nullopt;
    }
    end.answers = body.sliced(nameStart, i - nameStart);
    const qsizetype digits = ++i;
    while (i < body.size() && i - digits < 18 && body[i] >= '0' && body[i] <= '9') {
        end.bytes = end.bytes * 10 + (body[i++] - '0');
    }
    if (i == digits || i >= body.size() || body[i] != '#') {
        return std::nullopt;
    }
    const qsizetype hex = ++i;
    while (i < body.size() && i - hex < 8 && isHex(body[i])) {
        ++i;
    }
    if (i - hex != 8 || i >= body.size() || body[i] != '#') {
        return std::nullopt;
    }
    end.crc = body.sliced(hex, 8);
    return end;
}

}  // namespace

EndMark TableEnd(const QString& tablename) {
    return {kTableEnd, "recovery:" + tablename.toLatin1()};
}

EndMark ListingEnd(const QString& script, const QString& rep) {
    return {kListingEnd, script.toLatin1() + ':' + rep.toLatin1()};
}

std::optional<ProvedEnd> ProvedEndOf(const QByteArray& body) {
    for (qsizetype at = body.lastIndexOf(kProvedEnd); at >= 0;
         at = at > 0 ? body.lastIndexOf(kProvedEnd, at - 1) : -1) {
        if (std::optional<ProvedEnd> end = provedEndAt(body, at)) {
            return end;
        }
    }
    return std::nullopt;
}

std::optional<QString> ProvedEndFault(const QByteArray& body, const ProvedEnd& end,
                                      const QByteArray& answers, QByteArrayView& reply) {
    if (!answers.isEmpty() && end.answers != answers) {
        return QStringLiteral(
                   "elle répond à « %1 » et non à « %2 » : une réponse gardée pour "
                   "une autre demande ?")
            .arg(QString::fromLatin1(end.answers), QString::fromLatin1(answers));
    }
    if (end.bytes > end.at) {
        return QStringLiteral("%1 octet(s) reçu(s) sur les %2 envoyé(s)")
            .arg(end.at)
            .arg(end.bytes);
    }
    const qsizetype start = end.at - end.bytes;
    const QByteArrayView sent = QByteArrayView(body).sliced(start, end.bytes);
    if (QByteArray::number(Crc32(sent), 16).rightJustified(8, '0') != end.crc) {
        return QStringLiteral(
            "son contenu n'est plus celui que le site a envoyé : son "
            "empreinte (CRC-32) diffère");
    }
    const QByteArrayView before = QByteArrayView(body).first(start);
    if (!blank(before)) {
        return QStringLiteral("un texte la précède : « %1 »")
            .arg(cp1252::decode(before.last(std::min<qsizetype>(before.size(), 80)).toByteArray())
                     .simplified());
    }
    reply = sent;
    return std::nullopt;
}

QString Unescaped(const QString& text) {
    qsizetype at = text.indexOf(u'%');
    if (at < 0) {
        return text;
    }
    QString out = text.first(at);
    out.reserve(text.size());
    static const std::pair<QStringView, QChar> kCodes[] = {
        {u"25", u'%'}, {u"40", u'@'}, {u"23", u'#'}, {u"0D", u'\r'}, {u"0A", u'\n'}};
    for (; at < text.size(); ++at) {
        QChar decoded;
        if (text[at] == u'%') {
            const QStringView code = QStringView(text).mid(at + 1, 2);
            for (const auto& [escape, c] : kCodes) {
                if (code == escape) {
                    decoded = c;
                }
            }
        }
        if (decoded.isNull()) {
            out += text[at];
        } else {
            out += decoded;
            at += 2;
        }
    }
    return out;
}

QByteArray WithoutByteOrderMark(QByteArray body) {
    while (body.startsWith(kByteOrderMark)) {
        body.remove(0, kByteOrderMark.size());
    }
    return body;
}

std::optional<qint64> CountAfterMark(QByteArrayView body, qsizetype markEnd) {
    const QByteArrayView rest = body.sliced(std::min(markEnd, body.size()));
    const qsizetype close = rest.indexOf('#', 1);
    if (!rest.startsWith('#') || close < 2 || close > 19) {
        return std::nullopt;
    }
    qint64 count = 0;
    for (const char digit : rest.sliced(1, close - 1)) {
        if (digit < '0' || digit > '9') {
            return std::nullopt;
        }
        count = count * 10 + (digit - '0');
    }
    return count;
}

qint64 CountedUnits(QByteArrayView reply, const QByteArray& mark) {
    if (mark.endsWith('\n')) {
        return reply.count('\n');
    }
    const QByteArrayView rowEnd("#end#");
    qint64 count = 0;
    for (qsizetype at = reply.indexOf(rowEnd); at >= 0;
         at = reply.indexOf(rowEnd, at + rowEnd.size())) {
        ++count;
    }
    return count;
}

qsizetype EndMarkAt(const QByteArray& body, const QByteArray& mark) {
    for (qsizetype at = body.lastIndexOf(mark); at >= 0;
         at = at > 0 ? body.lastIndexOf(mark, at - 1) : -1) {
        const QByteArrayView before = QByteArrayView(body).first(at);
        if (before.trimmed().isEmpty() || before.endsWith('\n') ||
            before.endsWith(QByteArrayView("#end#"))) {
            return at;
        }
    }
    return -1;
}

// The words open the reply: a reply of rows, which may be a whole table, is
// told at once.
bool opensWith(const QString& reply, const QString& words) {
    return QStringView(reply).trimmed().startsWith(words);
}

bool IsPasswordRefusal(const QString& reply) {
    return opensWith(reply, kPasswordRefused) && closingAt(reply, kPasswordRefused) == 0;
}

bool EndsWithPasswordRefusal(const QString& reply) {
    return closingAt(reply, kPasswordRefused) >= 0;
}

bool RefusalCarries(const QString& reply, QLatin1StringView header) {
    if (!IsPasswordRefusal(reply)) {
        return false;
    }
    const QStringView after = QStringView(reply).trimmed().mid(kPasswordRefused.size());
    const QLatin1StringView open("<!-- X-Kalvor-Recovery: post");
    const qsizetype close = after.indexOf(QLatin1StringView("-->"));
    if (!after.startsWith(open) || close < 0) {
        return false;
    }
    for (QStringView said : after.first(close).mid(5).split(u';')) {
        said = said.trimmed();
        if (said.startsWith(header) && said.mid(header.size()).startsWith(u':')) {
            return true;
        }
    }
    return false;
}

bool IsBusyRefusal(const QString& reply) {
    const QStringView text = QStringView(reply).trimmed();
    return text.startsWith(kBusyRefused) && !text.contains(kFieldSeparator) &&
           !text.contains(kRowEnd);
}

bool IsInvalidFolder(const QString& reply) {
    return opensWith(reply, kInvalidFolder) && closingAt(reply, kInvalidFolder) == 0;
}

bool EndsWithInvalidFolder(const QString& reply) {
    return closingAt(reply, kInvalidFolder) >= 0;
}

std::optional<QString> DatabaseRefusal(const QString& reply) {
    const QStringView text = QStringView(reply).trimmed();
    if (!text.startsWith(kDatabaseRefused)) {
        return std::nullopt;
    }
    return siteLine(text.mid(kDatabaseRefused.size())).toString();
}

std::optional<QString> TableReadError(const QString& reply) {
    const QStringView text = QStringView(reply).trimmed();
    if (!text.startsWith(kReadError)) {
        return std::nullopt;
    }
    return siteLine(text).left(80).toString();
}

std::optional<QString> PhpMessage(const QString& reply) {
    // Shown as HTML, PHP's default, or as text where html_errors is off; the
    // data scripts store "<" as "&lt;", so no text of the site reads as the
    // first, and the second needs a line of its own ending as PHP's do, "in
    // <file> on line <n>". Tried only where a tag or a line begins: a reply
    // may hold a whole table.
    static const QRegularExpression html(QStringLiteral("<b>") + kPhpKinds +
                                         QStringLiteral("</b>:\\s*(.*?)(?:<br />|\\n|$)"));
    // The file PHP names is the path of a script, or "Unknown", and the line
    // ends there: "Warning: tear in the cover on line 3" and "Warning: pliure
    // in /dos du livre on line 2" are the catalogue's.
    static const QRegularExpression text(
        QStringLiteral("(?:PHP )?") + kPhpKinds +
        QStringLiteral(":\\s+([^\\n]*? in (?:Unknown|(?:[A-Za-z]:)?[/\\\\][^\\n]*?\\.php)"
                       "(?: on line \\d+|:\\d+))(?=\\r?(?:\\n|$))"));
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    // A message is read on one line of its own, of a few hundred characters.
    const auto at = [&](const QRegularExpression& form, qsizetype from) {
        return form.match(QStringView(reply).mid(from, 2000), 0, QRegularExpression::NormalMatch,
                          QRegularExpression::AnchorAtOffsetMatchOption);
    };
    QRegularExpressionMatch found;
    for (qsizetype open = reply.indexOf(u'<'); open >= 0 && !found.hasMatch();
         open = reply.indexOf(u'<', open + 1)) {
        if (QStringView(reply).mid(open, 3) == QLatin1String("<b>")) {
            found = at(html, open);
        }
    }
    static const QString initials = QStringLiteral("PWNDFSRC");
    for (qsizetype line = 0; line >= 0 && !found.hasMatch();) {
        if (line < reply.size() && initials.contains(reply[line])) {
            found = at(text, line);
        }
        line = reply.indexOf(u'\n', line);
        line = line < 0 ? line : line + 1;
    }
    if (!found.hasMatch()) {
        return std::nullopt;
    }
    QString message = found.captured(2);
    message.remove(tag);
    return found.captured(1) + QStringLiteral(": ") + message.simplified();
}

namespace {

// A few words of the reply from `at` on, as the user reads them.
QString quoted(const QString& reply, qsizetype at) {
    return QStringLiteral("« ") + QStringView(reply).mid(at, 40).toString().simplified() +
           QStringLiteral(" »");
}

// EarlierTableEnd, saying in `fault` why a reply is no such table.
qsizetype earlierTable(const QString& reply, QString& fault) {
    qsizetype at = 0;
    while (at < reply.size() && reply[at].isSpace()) {
        ++at;
    }
    // Only white space is an empty table; markup alone is a host's page.
    if (at == reply.size()) {
        return 0;
    }
    for (qint64 rows = 0;; ++rows) {
        qsizetype digit = at;
        if (digit < reply.size() && reply[digit] == u'-') {
            ++digit;
        }
        const qsizetype first = digit;
        while (digit < reply.size() && reply[digit] >= u'0' && reply[digit] <= u'9') {
            ++digit;
        }
        const QStringView rest = QStringView(reply).mid(digit);
        if (digit == first || !(rest.startsWith(kFieldSeparator) || rest.startsWith(kRowEnd))) {
            const qsizetype text = reply.size() - QStringView(reply).mid(at).trimmed().size();
            if (rows == 0) {
                fault = QStringLiteral("elle ne commence pas par une ligne (%1)")
                            .arg(quoted(reply, text));
            } else if (MayBeCutMark(QStringView(reply).mid(at))) {
                fault = QStringLiteral("après sa ligne %1 vient %2, une marque de fin coupée")
                            .arg(rows)
                            .arg(quoted(reply, text));
            } else if (digit > at) {
                fault = QStringLiteral(
                            "après sa ligne %1 vient %2, qui commence comme une ligne (par un "
                            "chiffre ou « - ») sans en être une : ligne coupée, ou texte que "
                            "l'hébergeur ajoute à ses réponses ?")
                            .arg(rows)
                            .arg(quoted(reply, text));
            } else {
                fault = QStringLiteral("après sa ligne %1 vient %2, qui n'est pas une ligne")
                            .arg(rows)
                            .arg(quoted(reply, text));
            }
            return -1;
        }
        const qsizetype rowEnd = reply.indexOf(kRowEnd, digit);
        if (rowEnd < 0) {
            fault = QStringLiteral("sa ligne %1 n'a pas de fin (réponse coupée ?)").arg(rows + 1);
            return -1;
        }
        at = rowEnd + kRowEnd.size();
        if (onlyTheHostsFrom(reply, at) || hostsTextAfterRow(QStringView(reply).mid(at))) {
            return at;
        }
    }
}

}  // namespace

qsizetype EarlierTableEnd(const QString& reply) {
    QString fault;
    return earlierTable(reply, fault);
}

QString EarlierTableFault(const QString& reply) {
    QString fault;
    earlierTable(reply, fault);
    return fault;
}

qsizetype EarlierListingEnd(const QString& reply, const QString& hostText) {
    const auto isHostText = [&](QStringView text) {
        return !hostText.isEmpty() && text.trimmed() == hostText;
    };
    // Only white space is an empty listing, or the host's own text; markup
    // alone is a host's page.
    if (QStringView(reply).trimmed().isEmpty() || isHostText(reply)) {
        return 0;
    }
    // Tried where each line begins: a host's banner may hold line ends.
    for (qsizetype end = reply.indexOf(u'\n'); end >= 0; end = reply.indexOf(u'\n', end + 1)) {
        if (onlyTheHostsFrom(reply, end + 1) || isHostText(QStringView(reply).mid(end + 1))) {
            return end + 1;
        }
    }
    return -1;
}

std::optional<QString> AfterFolderSettings(const QString& reply) {
    static const char* const settings[] = {
        "PATH_couvertures",  "PATH_planches",  "PATH_versos",  "PATH_photos",
        "PATH_dedicaces",    "PATH_parabd",    "PATH_revues",  "PATH_images",
        "THUMB_couvertures", "THUMB_planches", "THUMB_versos", "THUMB_photos",
        "THUMB_dedicaces",   "THUMB_parabd",   "THUMB_revues"};
    // PHP's messages may stand before them.
    qsizetype at = reply.indexOf(QLatin1String("PATH_couvertures : "));
    if (at < 0) {
        return std::nullopt;
    }
    for (const char* name : settings) {
        const qsizetype end = reply.indexOf(u'\n', at);
        if (end < 0 ||
            !QStringView(reply).mid(at).startsWith(QLatin1String(name) + QStringLiteral(" : "))) {
            return std::nullopt;
        }
        at = end + 1;
    }
    return QStringView(reply).mid(at).trimmed().toString();
}

bool MayBeCutMark(QStringView text) {
    return text.trimmed().startsWith(u'#');
}

bool HoldsNoFraming(const QString& reply) {
    const QStringView text = QStringView(reply).trimmed();
    return !text.isEmpty() && !text.contains(kFieldSeparator) && !text.contains(kRowEnd) &&
           !text.contains(QLatin1String(kTableEnd));
}

}  // namespace kalvor::replies
