#include "platform/dao/field_value.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QRegularExpression>
#include <cmath>

#include "platform/dao/dao_errors.h"
#include "platform/dao/jet_date.h"
#include "platform/variant_number.h"

namespace kalvor::dao::fieldvalue {
namespace {

QString baseType(const QString& declared) {
    QString t = declared.trimmed().toUpper();
    for (qsizetype i = 0; i < t.size(); ++i)
        if (t[i] == u' ' || t[i] == u'(')
            return t.left(i);
    return t;
}

[[noreturn]] void conversion(const QVariant& value, const QString& field) {
    throw Error(errors::ConversionError,
                QStringLiteral("Erreur de conversion de type de données : « %1 » pour le champ "
                               "« %2 ».")
                    .arg(value.toString(), field));
}

}  // namespace

Kind KindOf(const QString& declared) {
    const QString t = baseType(declared);
    if (t.isEmpty())
        return Kind::Untyped;
    static const QStringList integers = {"COUNTER", "AUTOINCREMENT", "LONG",     "INTEGER",
                                         "INT",     "SHORT",         "SMALLINT", "BYTE",
                                         "TINYINT", "BIGINT",        "LONGINT"};
    static const QStringList yesNo = {"YESNO", "BIT", "BOOLEAN", "LOGICAL", "BOOL"};
    static const QStringList numbers = {"CURRENCY", "MONEY",   "DOUBLE",  "FLOAT", "REAL",
                                        "SINGLE",   "NUMERIC", "DECIMAL", "NUMBER"};
    static const QStringList dates = {"DATETIME", "DATE", "TIME", "TIMESTAMP"};
    if (integers.contains(t))
        return Kind::Integer;
    if (yesNo.contains(t))
        return Kind::YesNo;
    if (numbers.contains(t))
        return Kind::Number;
    if (dates.contains(t))
        return Kind::Date;
    return Kind::Text;
}

FieldType FieldTypeOf(const QString& declared) {
    const QString t = baseType(declared);
    if (t == QLatin1String("YESNO") || t == QLatin1String("BIT") || t == QLatin1String("BOOLEAN"))
        return FieldType::Boolean;
    if (t == QLatin1String("BYTE") || t == QLatin1String("TINYINT"))
        return FieldType::Byte;
    if (t == QLatin1String("INTEGER") || t == QLatin1String("SHORT") ||
        t == QLatin1String("SMALLINT"))
        return FieldType::Integer;
    if (t == QLatin1String("CURRENCY") || t == QLatin1String("MONEY"))
        return FieldType::Currency;
    if (t == QLatin1String("SINGLE"))
        return FieldType::Single;
    if (t == QLatin1String("MEMO") || t == QLatin1String("LONGTEXT"))
        return FieldType::Memo;
    switch (KindOf(declared)) {
        case Kind::Integer:
            return FieldType::Long;
        case Kind::YesNo:
            return FieldType::Boolean;
        case Kind::Number:
            return FieldType::Double;
        case Kind::Date:
            return FieldType::Date;
        default:
            return FieldType::Text;
    }
}

int TextSize(const QString& declared) {
    static const QRegularExpression re(QStringLiteral("^\\s*\\w+\\s*\\(\\s*(\\d+)\\s*\\)"));
    auto m = re.match(declared);
    if (!m.hasMatch() || KindOf(declared) != Kind::Text)
        return 0;
    return m.captured(1).toInt();
}

QString DeclaredType(const Field& field) {
    switch (field.Type) {
        case FieldType::Boolean:
            return QStringLiteral("YESNO");
        case FieldType::Byte:
            return QStringLiteral("BYTE");
        case FieldType::Integer:
            return QStringLiteral("INTEGER");
        case FieldType::Long:
            return QStringLiteral("LONG");
        case FieldType::Currency:
            return QStringLiteral("CURRENCY");
        case FieldType::Single:
            return QStringLiteral("SINGLE");
        case FieldType::Double:
            return QStringLiteral("DOUBLE");
        case FieldType::Date:
            return QStringLiteral("DATETIME");
        case FieldType::Memo:
            return QStringLiteral("MEMO COLLATE JET");
        case FieldType::Text:
        default:
            return QStringLiteral("TEXT(%1) COLLATE JET").arg(field.Size > 0 ? field.Size : 255);
    }
}

bool IsCleared(sqlite3_stmt* stmt, int column, Kind kind) {
    if (kind == Kind::Text || kind == Kind::Untyped)
        return false;
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return jetdate::IsBlank({text ? text : "", size_t(sqlite3_column_bytes(stmt, column))});
}

QVariant Read(sqlite3_stmt* stmt, int column, Kind kind) {
    const int type = sqlite3_column_type(stmt, column);
    if (type == SQLITE_NULL)
        return QVariant();
    auto text = [&] {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                 sqlite3_column_bytes(stmt, column));
    };
    auto integer = [&]() -> QVariant {
        qint64 v = sqlite3_column_int64(stmt, column);
        if (v >= INT_MIN && v <= INT_MAX)
            return QVariant(int(v));
        return QVariant(qlonglong(v));
    };
    if (type == SQLITE_TEXT && IsCleared(stmt, column, kind))
        return QVariant();
    switch (kind) {
        case Kind::Integer:
            if (type == SQLITE_INTEGER)
                return integer();
            if (type == SQLITE_FLOAT)
                return QVariant(sqlite3_column_double(stmt, column));
            return text();
        case Kind::YesNo:
            if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
                return QVariant(sqlite3_column_double(stmt, column) != 0 ? -1 : 0);
            return text();
        case Kind::Number:
            if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
                return QVariant(sqlite3_column_double(stmt, column));
            return text();
        case Kind::Date: {
            QVariant raw = type == SQLITE_TEXT ? QVariant(text())
                                               : QVariant(sqlite3_column_double(stmt, column));
            QDateTime when = jetdate::FromStored(raw);
            return when.isValid() ? QVariant(when) : raw;
        }
        case Kind::Text:
            if (type == SQLITE_BLOB)
                break;
            return text();
        case Kind::Untyped:
            if (type == SQLITE_INTEGER)
                return integer();
            if (type == SQLITE_FLOAT)
                return QVariant(sqlite3_column_double(stmt, column));
            if (type == SQLITE_TEXT)
                return text();
            break;
    }
    return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                               sqlite3_column_bytes(stmt, column)));
}

void Bind(sqlite3_stmt* stmt, int parameter, const QVariant& value, Kind kind, int size,
          const QString& fieldName) {
    if (!value.isValid() || value.isNull())
        return void(sqlite3_bind_null(stmt, parameter));
    auto bindText = [&](const QString& s) {
        const QByteArray utf8 = s.toUtf8();
        sqlite3_bind_text(stmt, parameter, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    };
    switch (kind) {
        case Kind::Integer: {
            const std::optional<double> number = NumberOf(value);
            if (!number || !std::isfinite(*number))
                conversion(value, fieldName);
            sqlite3_bind_int64(stmt, parameter, qint64(std::nearbyint(*number)));
            return;
        }
        case Kind::YesNo: {
            const QString s = value.toString().trimmed().toLower();
            std::optional<double> number;
            if (s == QLatin1String("true") || s == QLatin1String("vrai") ||
                s == QLatin1String("oui"))
                number = -1;
            else if (s == QLatin1String("false") || s == QLatin1String("faux") ||
                     s == QLatin1String("non"))
                number = 0;
            else
                number = NumberOf(value);
            if (!number)
                conversion(value, fieldName);
            sqlite3_bind_int(stmt, parameter, *number != 0 ? -1 : 0);
            return;
        }
        case Kind::Number: {
            const std::optional<double> number = NumberOf(value);
            if (!number || !std::isfinite(*number))
                conversion(value, fieldName);
            sqlite3_bind_double(stmt, parameter, *number);
            return;
        }
        case Kind::Date: {
            QDateTime when;
            if (value.typeId() == QMetaType::QDateTime)
                when = value.toDateTime();
            else if (value.typeId() == QMetaType::QDate)
                when = QDateTime(value.toDate(), QTime(0, 0), Qt::UTC);
            else if (value.typeId() == QMetaType::QString)
                when = jetdate::ParseText(value.toString());
            else if (const std::optional<double> days = NumberOf(value))
                when = jetdate::FromOleDays(*days);
            if (!when.isValid())
                conversion(value, fieldName);
            bindText(jetdate::ToStored(when));
            return;
        }
        case Kind::Text:
        case Kind::Untyped: {
            if (value.typeId() == QMetaType::QByteArray && kind == Kind::Untyped) {
                const QByteArray b = value.toByteArray();
                sqlite3_bind_blob(stmt, parameter, b.constData(), int(b.size()), SQLITE_TRANSIENT);
                return;
            }
            QString s = value.typeId() == QMetaType::QDateTime
                            ? jetdate::ToStored(value.toDateTime())
                            : value.toString();
            if (size > 0 && s.size() > size)
                throw Error(errors::FieldTooSmall,
                            QStringLiteral("Le champ « %1 » est trop petit pour accepter la "
                                           "quantité de données à ajouter.")
                                .arg(fieldName));
            bindText(s);
            return;
        }
    }
}

}  // namespace kalvor::dao::fieldvalue
