#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// What the replies of the site's own scripts hold, in this version's form and
// in the form of sites published before it; the one place that reads the
// site's words.
//
// - A listing (check_files.php, check_thumbs.php): one "name@@@dd/mm/yyyy
//   hh:mm:ss" line per file, each ended by "\n"; the version before this one
//   ends it with the line "#fin#", then the line "#n#", n the number of line
//   ends sent before it; earlier ones with "#fin#" alone, or with their last
//   line.
// - A table (recovery.php): rows ended by "#end#", fields between them
//   separated by "@@@", each row opening with its id; the version before ends
//   it with "#fin#" and "#n#", n the number of "#end#" sent; earlier ones
//   with "#fin#" alone, or with their last row.
// - This version's form of both: every text escaped (see Unescaped), then
//   the end mark "#fin:", what the reply answers ("recovery:albums",
//   "check_files:couvertures"), "#", the number of bytes the script sent
//   before the mark, "#", their CRC-32 in hex (PHP's "crc32b"), and "#"
//   (and "\n" after a listing's). As no text holds "@" or "#", no text
//   reads as a separator, a row end or a mark; the CRC-32 vouches for every
//   byte, line ends included. Cut anywhere, the mark never reads as an
//   earlier one.
// - The site's refusals, whole replies: "invalid password", "Retry-After: 1"
//   (a post left unread), "Le répertoire n'est pas valide !", "erreur de
//   connexion à la base : " and the reason MySQL gave, "erreur de lecture de
//   la table " and the table.
//
// Every form is read alike on every host: white space around the site's own
// words (a line end after a script's "?>"), a byte-order mark before its
// "<?php" (an editor on Windows), and after an end mark whatever the host
// appends to every answer, are no part of a reply. PHP's own messages never
// are data.
namespace kalvor::replies {

inline const QString kRowEnd = QStringLiteral("#end#");
inline const QString kFieldSeparator = QStringLiteral("@@@");
inline const QByteArray kListingEnd = QByteArrayLiteral("#fin#\n");
inline const QByteArray kTableEnd = QByteArrayLiteral("#fin#");
inline const QByteArray kProvedEnd = QByteArrayLiteral("#fin:");
inline const QString kPasswordRefused = QStringLiteral("invalid password");
inline const QString kInvalidFolder = QStringLiteral("Le répertoire n'est pas valide !");

// What the program asks a reply to end with: `mark`, the end mark of the
// sites published before this version, and `answers`, what this version's
// mark must name.
struct EndMark {
    EndMark() = default;
    EndMark(const QByteArray& mark, const QByteArray& answers = QByteArray())
        : mark(mark), answers(answers) {}
    bool isEmpty() const { return mark.isEmpty(); }
    QByteArray mark;
    QByteArray answers;
};
EndMark TableEnd(const QString& tablename);
EndMark ListingEnd(const QString& script, const QString& rep);

// This version's end mark, found in a body: where it starts, what it names,
// and the bytes before it that it vouches for.
struct ProvedEnd {
    qsizetype at = -1;
    QByteArray answers;
    qint64 bytes = 0;
    QByteArray crc;
};
// The last such mark of `body`, or nothing: the body is of an earlier form.
std::optional<ProvedEnd> ProvedEndOf(const QByteArray& body);
// Why `body` is not the reply its mark vouches for, answering `answers`;
// nothing when it is, the reply then being `reply` (white space and
// byte-order marks before it are no part of it).
std::optional<QString> ProvedEndFault(const QByteArray& body, const ProvedEnd& end,
                                      const QByteArray& answers, QByteArrayView& reply);

// A text as this version's scripts send it back: "%25", "%40", "%23", "%0D"
// and "%0A" stand for "%", "@", "#", CR and LF.
QString Unescaped(const QString& text);

// The body without the byte-order marks before it.
QByteArray WithoutByteOrderMark(QByteArray body);

// Where the end mark of a whole reply begins, or -1: the last mark that opens
// the reply or follows the end of its last line or row. Whatever follows it
// is no part of the reply.
qsizetype EndMarkAt(const QByteArray& body, const QByteArray& mark);

// The number the site sent after the end mark that ends at `markEnd`, or
// nothing: site files of earlier versions send none.
std::optional<qint64> CountAfterMark(QByteArrayView body, qsizetype markEnd);
// What that number counts in the reply before its mark: the line ends of a
// listing, the row ends of a table (as they are split, left to right).
qint64 CountedUnits(QByteArrayView reply, const QByteArray& mark);

// The reply is the site's refusal of the password, white space around it and
// a host's banner after it.
bool IsPasswordRefusal(const QString& reply);
// The reply closes with that refusal, a banner aside: an earlier
// recovery.php's, after the messages PHP printed about a password it looked
// for in the address.
bool EndsWithPasswordRefusal(const QString& reply);
// The site's refusal of the password carries `header`: where no header
// could go, after a byte-order mark, this version's recovery.php writes them
// after its words, as "<!-- X-Kalvor-Recovery: post; Retry-After: 1 -->".
bool RefusalCarries(const QString& reply, QLatin1StringView header);
// The reply is recovery.php's refusal of a post it left unread, busy with
// another password: told from its first bytes, "Retry-After:", as a proxy
// may take off its headers and its comments.
bool IsBusyRefusal(const QString& reply);
// The reply is the listing scripts' answer for a folder they cannot open.
bool IsInvalidFolder(const QString& reply);
bool EndsWithInvalidFolder(const QString& reply);

// What MySQL said when the site's database refused the connection.
std::optional<QString> DatabaseRefusal(const QString& reply);
// The site's own line for a table it could not read.
std::optional<QString> TableReadError(const QString& reply);

// The first message PHP printed into a reply, on one line without its
// markup; nothing when the reply holds none.
std::optional<QString> PhpMessage(const QString& reply);

// Where a table as an earlier recovery.php sends it ends (after its last
// row's "#end#"), or -1 when the reply is no such table: rows that each open
// with their id. 0 for a reply of white space alone. White space or a
// host's banner, markup or text, may follow the last row: text that opens
// with neither a digit nor "-" cannot be a row cut short, nor with "#" a
// mark cut short.
qsizetype EarlierTableEnd(const QString& reply);
// Why the reply is no such table, in a few words that follow "la réponse du
// site n'est pas une table entière : "; empty when it is one.
QString EarlierTableFault(const QString& reply);

// Where an earlier listing's text ends (its last line's "\n" included), or
// -1 when its last line is not ended; 0 for a reply of white space, or of
// `hostText`, alone.
// White space or a host's banner in markup may follow the last line, or
// `hostText`, the text the host put after another of the site's replies: a
// line cut short looks like any other text.
qsizetype EarlierListingEnd(const QString& reply, const QString& hostText = QString());

// What follows the fifteen folder settings that check_files.php sends for
// "kalvorhelper" (white space left out), or nothing when the reply does not
// hold them all.
std::optional<QString> AfterFolderSettings(const QString& reply);

// Text after a reply's last line or row, or after the folder settings, that
// may be an end mark cut short or altered on the way: it opens with the
// mark's first character. Never a host's text, nor the end of an earlier
// version's reply.
bool MayBeCutMark(QStringView text);

// The reply holds something, and none of the site's framing: a host's
// banner, text or markup, in place of an empty reply.
bool HoldsNoFraming(const QString& reply);

}  // namespace kalvor::replies
