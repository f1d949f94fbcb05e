#include "platform/dao/jet_sql.h"

#include <QHash>
#include <QList>
#include <QRegularExpression>

#include "platform/dao/dao_errors.h"
#include "platform/dao/jet_date.h"

namespace kalvor::dao::jetsql {
namespace {

enum class T { Word, Bracket, SQuote, DQuote, Number, Date, Punct, Space, Comment };

struct Token {
    T type;
    QString text;
};

[[noreturn]] void syntax(const QString& what, const QString& sql) {
    throw Error(errors::SyntaxError,
                QStringLiteral("Erreur de syntaxe (%1) dans l'expression de la requête « %2 ».")
                    .arg(what, sql));
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

QList<Token> tokenize(const QString& s, bool jetQuotes) {
    QList<Token> out;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        QChar c = s[i];
        qsizetype start = i;
        if (c.isSpace()) {
            while (i < n && s[i].isSpace())
                ++i;
            out.append({T::Space, s.mid(start, i - start)});
        } else if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n')
                ++i;
            out.append({T::Comment, s.mid(start, i - start)});
        } else if (c == u'\'' || c == u'"') {
            QString value;
            ++i;
            bool closed = false;
            while (i < n) {
                if (s[i] == c) {
                    if (i + 1 < n && s[i + 1] == c) {
                        value.append(c);
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value.append(s[i++]);
            }
            if (!closed)
                syntax(QStringLiteral("texte non terminé"), s);
            if (c == u'"' && !jetQuotes)
                out.append({T::Bracket, value});  // SQLite: a quoted name
            else
                out.append({c == u'\'' ? T::SQuote : T::DQuote, value});
        } else if (c == u'[' && jetQuotes) {
            qsizetype end = s.indexOf(u']', i);
            if (end < 0)
                syntax(QStringLiteral("crochet non fermé"), s);
            out.append({T::Bracket, s.mid(i + 1, end - i - 1)});
            i = end + 1;
        } else if (c == u'#' && jetQuotes) {
            qsizetype end = s.indexOf(u'#', i + 1);
            if (end < 0)
                syntax(QStringLiteral("date non terminée"), s);
            out.append({T::Date, s.mid(i + 1, end - i - 1)});
            i = end + 1;
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && s[i + 1].isDigit())) {
            while (i < n && (s[i].isDigit() || s[i] == u'.'))
                ++i;
            if (i < n && (s[i] == u'e' || s[i] == u'E')) {
                qsizetype j = i + 1;
                if (j < n && (s[j] == u'+' || s[j] == u'-'))
                    ++j;
                if (j < n && s[j].isDigit()) {
                    i = j;
                    while (i < n && s[i].isDigit())
                        ++i;
                }
            }
            out.append({T::Number, s.mid(start, i - start)});
        } else if (isWordChar(c)) {
            while (i < n && isWordChar(s[i]))
                ++i;
            out.append({T::Word, s.mid(start, i - start)});
        } else {
            // Two-character operators stay together.
            if (i + 1 < n) {
                QString two = s.mid(i, 2);
                if (two == QLatin1String("<>") || two == QLatin1String("<=") ||
                    two == QLatin1String(">=") || two == QLatin1String("||") ||
                    two == QLatin1String("!=")) {
                    out.append({T::Punct, two});
                    i += 2;
                    continue;
                }
            }
            out.append({T::Punct, QString(c)});
            ++i;
        }
    }
    return out;
}

QString quoteText(const QString& v) {
    QString q = v;
    q.replace(u'\'', QStringLiteral("''"));
    return u'\'' + q + u'\'';
}

bool is(const Token& t, const char* word) {
    return t.type == T::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// Jet functions, by their lower-case name, and the engine's name for them.
const QHash<QString, QString>& functions() {
    static const QHash<QString, QString> map = {
        {QStringLiteral("lcase"), QStringLiteral("jet_lcase")},
        {QStringLiteral("ucase"), QStringLiteral("jet_ucase")},
        {QStringLiteral("mid"), QStringLiteral("jet_mid")},
        {QStringLiteral("left"), QStringLiteral("jet_left")},
        {QStringLiteral("right"), QStringLiteral("jet_right")},
        {QStringLiteral("len"), QStringLiteral("jet_len")},
        {QStringLiteral("iif"), QStringLiteral("jet_iif")},
        {QStringLiteral("nz"), QStringLiteral("jet_nz")},
        {QStringLiteral("instr"), QStringLiteral("jet_instr")},
        {QStringLiteral("isnull"), QStringLiteral("jet_isnull")},
        {QStringLiteral("cstr"), QStringLiteral("jet_cstr")},
        {QStringLiteral("val"), QStringLiteral("jet_val")},
        {QStringLiteral("year"), QStringLiteral("jet_year")},
        {QStringLiteral("month"), QStringLiteral("jet_month")},
        {QStringLiteral("day"), QStringLiteral("jet_day")},
        {QStringLiteral("now"), QStringLiteral("jet_now")},
        {QStringLiteral("date"), QStringLiteral("jet_date")},
        {QStringLiteral("trim"), QStringLiteral("jet_trim")},
        {QStringLiteral("ltrim"), QStringLiteral("jet_ltrim")},
        {QStringLiteral("rtrim"), QStringLiteral("jet_rtrim")},
    };
    return map;
}

qsizetype nextSignificant(const QList<Token>& t, qsizetype i) {
    ++i;
    while (i < t.size() && (t[i].type == T::Space || t[i].type == T::Comment))
        ++i;
    return i;
}

qsizetype previousSignificant(const QList<Token>& t, qsizetype i) {
    --i;
    while (i >= 0 && (t[i].type == T::Space || t[i].type == T::Comment))
        --i;
    return i;
}

QString join(const QList<Token>& tokens) {
    QString out;
    for (const Token& t : tokens) {
        switch (t.type) {
            case T::SQuote:
            case T::DQuote:
                out += quoteText(t.text);
                break;
            case T::Bracket:
                out += QuoteName(t.text);
                break;
            case T::Date:
                out += quoteText(t.text);
                break;  // already converted
            default:
                out += t.text;
        }
    }
    return out;
}

void stripTrailing(QList<Token>& t) {
    while (!t.isEmpty() && (t.last().type == T::Space || t.last().type == T::Comment ||
                            (t.last().type == T::Punct && t.last().text == u";")))
        t.removeLast();
    while (!t.isEmpty() && t.first().type == T::Space)
        t.removeFirst();
}

bool isTextType(const Token& t) {
    return is(t, "text") || is(t, "memo") || is(t, "varchar") || is(t, "char") ||
           is(t, "longtext") || is(t, "string") || is(t, "nvarchar") || is(t, "longchar");
}

// DELETE * FROM / DELETE T.* FROM: SQLite takes DELETE FROM alone.
void dropDeleteTarget(QList<Token>& t) {
    qsizetype j = nextSignificant(t, 0);
    qsizetype from = j;
    while (from < t.size() && !is(t[from], "from"))
        ++from;
    if (from < t.size() && from != j)
        t.remove(1, from - 1);
    if (t.size() > 1 && t[1].type != T::Space)
        t.insert(1, {T::Space, QStringLiteral(" ")});
}

// Jet's operators, literals and functions in their SQLite form, token by
// token. True when the query is a SELECT DISTINCT with neither ORDER BY nor
// UNION.
bool rewriteTokens(QList<Token>& t, bool select, bool update, const QString& jet) {
    int depth = 0;
    bool inSet = false;
    bool setTarget = false;
    bool hasOrder = false;
    bool hasUnion = false;
    bool distinct = false;
    for (qsizetype i = 0; i < t.size(); ++i) {
        Token& tok = t[i];
        if (tok.type == T::Punct) {
            if (tok.text == u"(")
                ++depth;
            else if (tok.text == u")")
                --depth;
            else if (tok.text == u"&")
                tok.text = QStringLiteral("||");
            else if (tok.text == u"," && inSet && depth == 0)
                setTarget = true;
            continue;
        }
        if (tok.type == T::Date) {
            QDateTime when = jetdate::ParseLiteral(tok.text);
            if (!when.isValid())
                syntax(QStringLiteral("date #%1#").arg(tok.text), jet);
            tok.text = jetdate::ToStored(when);
            continue;
        }
        if (tok.type != T::Word)
            continue;
        qsizetype next = nextSignificant(t, i);
        qsizetype prev = previousSignificant(t, i);
        const bool call = next < t.size() && t[next].type == T::Punct && t[next].text == u"(";
        const bool qualified = prev >= 0 && t[prev].type == T::Punct && t[prev].text == u".";
        if (call && !qualified) {
            auto f = functions().constFind(tok.text.toLower());
            if (f != functions().constEnd())
                tok.text = *f;
            continue;
        }
        if (depth == 0 && is(tok, "order"))
            hasOrder = true;
        if (depth == 0 && is(tok, "union"))
            hasUnion = true;
        if (select && i == 0) {
            if (next < t.size() && (is(t[next], "distinct") || is(t[next], "distinctrow"))) {
                distinct = true;
                t[next].text = QStringLiteral("DISTINCT");
            }
        }
        if (!qualified && (is(tok, "true") || is(tok, "false")) &&
            !(next < t.size() && t[next].type == T::Punct && t[next].text == u".")) {
            tok = {T::Number, is(tok, "true") ? QStringLiteral("-1") : QStringLiteral("0")};
            continue;
        }
        if (is(tok, "mod") && !qualified) {
            tok = {T::Punct, QStringLiteral("%")};
            continue;
        }
        if (update && depth == 0) {
            if (is(tok, "set")) {
                inSet = true;
                setTarget = true;
                continue;
            }
            if (is(tok, "where")) {
                inSet = false;
                setTarget = false;
                continue;
            }
        }
        if (setTarget) {
            // T.col = ... : SQLite takes the column alone.
            setTarget = false;
            if (next < t.size() && t[next].type == T::Punct && t[next].text == u".") {
                qsizetype col = nextSignificant(t, next);
                t.remove(i, col - i);
            }
        }
    }
    return distinct && !hasOrder && !hasUnion;
}

// Brackets after the first one may be assignment targets too.
void unqualifyBracketTargets(QList<Token>& t) {
    for (qsizetype i = 0; i + 2 < t.size(); ++i) {
        if (t[i].type == T::Bracket && t[i + 1].type == T::Punct && t[i + 1].text == u"." &&
            i > 0) {
            qsizetype prev = previousSignificant(t, i);
            if (prev >= 0 &&
                (is(t[prev], "set") || (t[prev].type == T::Punct && t[prev].text == u",")))
                t.remove(i, 2);
        }
    }
}

}  // namespace

QString QuoteName(const QString& name) {
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

QString AddTextCollation(const QString& sqlite, const QString& collation) {
    static const QRegularExpression createTable(QStringLiteral("create\\s+table"),
                                                QRegularExpression::CaseInsensitiveOption);
    if (!sqlite.contains(createTable))
        return sqlite;
    QList<Token> t = tokenize(sqlite, false);
    QList<Token> out;
    bool inCreate = false;
    int depth = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const Token& tok = t[i];
        out.append(tok);
        if (is(tok, "create")) {
            qsizetype j = nextSignificant(t, i);
            if (j < t.size() && is(t[j], "table")) {
                inCreate = true;
                depth = 0;
            }
        }
        if (!inCreate)
            continue;
        if (tok.type == T::Punct && tok.text == u"(") {
            ++depth;
        } else if (tok.type == T::Punct && tok.text == u")") {
            if (--depth == 0)
                inCreate = false;
        } else if (tok.type == T::Punct && tok.text == u";") {
            inCreate = false;
        } else if (depth == 1 && isTextType(tok)) {
            // Only a type that follows a column name, not a name itself.
            qsizetype p = previousSignificant(t, i);
            if (p < 0 || t[p].type == T::Punct)
                continue;
            qsizetype j = nextSignificant(t, i);
            if (j < t.size() && t[j].type == T::Punct && t[j].text == u"(") {
                while (i + 1 < t.size() && !(t[i].type == T::Punct && t[i].text == u")")) {
                    ++i;
                    out.append(t[i]);
                }
                j = nextSignificant(t, i);
            }
            bool hasCollate = false;
            for (qsizetype k = j; k < t.size(); ++k) {
                if (t[k].type == T::Punct && (t[k].text == u"," || t[k].text == u")"))
                    break;
                if (is(t[k], "collate"))
                    hasCollate = true;
            }
            if (!hasCollate)
                out.append({T::Word, QStringLiteral(" COLLATE ") + collation});
        }
    }
    return join(out);
}

Translated Translate(const QString& jet) {
    QList<Token> t = tokenize(jet, true);
    stripTrailing(t);
    Translated result;
    if (t.isEmpty())
        syntax(QStringLiteral("requête vide"), jet);

    // A table's name alone.
    if (t.size() == 1 && (t[0].type == T::Word || t[0].type == T::Bracket) && !is(t[0], "select")) {
        result.kind = Kind::TableName;
        result.sql = t[0].text;
        return result;
    }

    const bool select = is(t[0], "select") || (t[0].type == T::Punct && t[0].text == u"(");
    const bool update = is(t[0], "update");
    const bool create = is(t[0], "create") && nextSignificant(t, 0) < t.size() &&
                        is(t[nextSignificant(t, 0)], "table");
    result.kind = select ? Kind::Select : (create ? Kind::CreateTable : Kind::Action);

    if (is(t[0], "delete"))
        dropDeleteTarget(t);
    result.distinctWithoutOrder = rewriteTokens(t, select, update, jet);
    if (update)
        unqualifyBracketTargets(t);
    result.sql = join(t);
    return result;
}

}  // namespace kalvor::dao::jetsql
