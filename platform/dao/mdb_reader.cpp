#include "platform/dao/mdb_reader.h"

// libmdb's header needs glib's types declared first.
#include <glib.h>
#include <mdbtools.h>
#include <sqlite3.h>

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QtEndian>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/dao/dao_errors.h"
#include "platform/dao/jet_sql.h"
#include "platform/dao/mdb_damage.h"
#include "platform/dao/mdb_values.h"
#include "platform/dao/sqlite_functions.h"

namespace kalvor::dao {
namespace {

// libmdb prints numbers with the C library's locale: keep the decimal point.
class CNumericLocale {
  public:
    CNumericLocale() {
        const char* current = std::setlocale(LC_NUMERIC, nullptr);
        saved_ = current ? current : "C";
        std::setlocale(LC_NUMERIC, "C");
    }
    ~CNumericLocale() { std::setlocale(LC_NUMERIC, saved_.c_str()); }

  private:
    std::string saved_;
};

// Owners of the C libraries' handles, each freed by its library's function.
template <auto release>
struct FreeWith {
    template <typename T>
    void operator()(T* handle) const {
        release(handle);
    }
};
using MdbFile = std::unique_ptr<MdbHandle, FreeWith<mdb_close>>;
using MdbTable = std::unique_ptr<MdbTableDef, FreeWith<mdb_free_tabledef>>;
using SqliteStatement = std::unique_ptr<sqlite3_stmt, FreeWith<sqlite3_finalize>>;
using SqliteDatabase = std::unique_ptr<sqlite3, FreeWith<sqlite3_close_v2>>;

// The type names of the catalogue's SQLite form, so that both forms read back
// alike.
QString declaredType(const MdbColumn* col) {
    switch (col->col_type) {
        case MDB_BOOL:
            return QStringLiteral("YESNO");
        case MDB_BYTE:
            return QStringLiteral("BYTE");
        case MDB_INT:
            return QStringLiteral("INTEGER");
        case MDB_LONGINT:
            return col->is_long_auto ? QStringLiteral("COUNTER") : QStringLiteral("LONG");
        case MDB_MONEY:
            return QStringLiteral("CURRENCY");
        case MDB_FLOAT:
            return QStringLiteral("SINGLE");
        case MDB_DOUBLE:
            return QStringLiteral("DOUBLE");
        case MDB_DATETIME:
            return QStringLiteral("DATETIME");
        case MDB_TEXT:
            // Sizes are in bytes of UCS-2.
            return QStringLiteral("TEXT(%1) COLLATE JET").arg(col->col_size / 2);
        case MDB_MEMO:
            return QStringLiteral("MEMO COLLATE JET");
        case MDB_NUMERIC:
            return QStringLiteral("DECIMAL");
        case MDB_REPID:
            return QStringLiteral("GUID");
        default:
            return QStringLiteral("BLOB");
    }
}

// Access's own limits: a table beyond them is a damaged definition.
constexpr unsigned kMaxColumns = 255;
constexpr unsigned kMaxIndexes = 64;

[[noreturn]] void damaged(const QString& path, const QString& reason) {
    mdb_damage::Refuse(path, reason);
}

[[noreturn]] void inconsistent(const QString& path, const QString& table) {
    damaged(path, QStringLiteral("la définition de la table %1 est incohérente").arg(table));
}

const MdbColumn* columnAt(const MdbTableDef* table, int i) {
    return static_cast<const MdbColumn*>(g_ptr_array_index(table->columns, i));
}

[[noreturn]] void sqliteFailure(sqlite3* db, const QString& path) {
    throw Error(errors::EngineError, QStringLiteral("Impossible de lire la base Access « %1 » : %2")
                                         .arg(path, QString::fromUtf8(sqlite3_errmsg(db))));
}

void exec(sqlite3* db, const QString& sql, const QString& path) {
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        sqliteFailure(db, path);
}

constexpr size_t kBindSize = 1 << 20;  // libmdb's own texts and blobs, up to a million bytes
// Any other value lies within one page: its text takes at most three bytes
// for each of a page's 4096.
constexpr size_t kFieldBindSize = 1 << 16;

// Money, dates, whole numbers, texts and memos are read from the row's bytes:
// libmdb's texts for them, printed and copied once more into the bound
// buffer, cost more than the rest of the row.
bool readRaw(int type) {
    switch (type) {
        case MDB_MONEY:
        case MDB_DATETIME:
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT:
        case MDB_TEXT:
        case MDB_MEMO:
            return true;
        default:
            return false;
    }
}

size_t bindSize(int type) {
    switch (type) {
        case MDB_MEMO:
        case MDB_OLE:
        case MDB_BINARY:
            return kBindSize;
        case MDB_TEXT:
            return kFieldBindSize;  // its UTF-8 form, made here
        default:
            return readRaw(type) ? 0 : kFieldBindSize;
    }
}

// Reads a table's definition, with the counts both of libmdb's readers trust
// checked first: their results are what the copy walks through.
MdbTable readDefinition(MdbCatalogEntry* entry, const QString& path) {
    MdbTable table(mdb_read_table(entry));
    if (!table)
        damaged(path, QStringLiteral("la définition de la table %1 est illisible")
                          .arg(QString::fromUtf8(entry->object_name)));
    const QString name = QString::fromUtf8(table->name);
    MdbTableDef* def = table.get();
    if (def->num_cols == 0 || def->num_cols > kMaxColumns || def->num_idxs > kMaxIndexes ||
        def->num_real_idxs > kMaxIndexes)
        inconsistent(path, name);
    mdb_read_columns(def);
    if (!def->columns || def->columns->len != def->num_cols)
        inconsistent(path, name);
    const int n = int(def->num_cols);
    mdb_read_indices(def);
    if (def->num_idxs > 0 && (!def->indices || def->indices->len != def->num_idxs))
        inconsistent(path, name);
    for (unsigned i = 0; i < def->num_idxs; ++i) {
        auto* idx = static_cast<MdbIndex*>(g_ptr_array_index(def->indices, i));
        if (!idx || idx->num_keys > MDB_MAX_IDX_COLS)
            inconsistent(path, name);
        for (unsigned k = 0; k < idx->num_keys; ++k)
            if (idx->key_col_num[k] < 1 || idx->key_col_num[k] > n)
                inconsistent(path, name);
    }
    for (int i = 0; i < n; ++i)
        if (!columnAt(def, i))
            inconsistent(path, name);
    return table;
}

MdbIndex* indexAt(const MdbTableDef* table, unsigned i) {
    return static_cast<MdbIndex*>(g_ptr_array_index(table->indices, i));
}

// The index's columns, quoted, in key order.
QString keyColumns(const MdbTableDef* table, const MdbIndex* idx) {
    QStringList keys;
    for (unsigned k = 0; k < idx->num_keys; ++k)
        keys << jetsql::QuoteName(
            QString::fromUtf8(columnAt(table, idx->key_col_num[k] - 1)->name));
    return keys.join(u',');
}

void createTable(sqlite3* db, const MdbTableDef* table, const QString& name, const QString& path) {
    QStringList defs;
    for (unsigned i = 0; i < table->num_cols; ++i) {
        const MdbColumn* col = columnAt(table, int(i));
        defs << jetsql::QuoteName(QString::fromUtf8(col->name)) + u' ' + declaredType(col);
    }
    for (unsigned i = 0; i < table->num_idxs; ++i) {
        const MdbIndex* idx = indexAt(table, i);
        if (idx->index_type == 1)
            defs << QStringLiteral("PRIMARY KEY (%1)").arg(keyColumns(table, idx));
    }
    // Names that clash or are empty come from a damaged definition.
    if (sqlite3_exec(db,
                     QStringLiteral("CREATE TABLE %1 (%2)")
                         .arg(jetsql::QuoteName(name), defs.join(u','))
                         .toUtf8()
                         .constData(),
                     nullptr, nullptr, nullptr) != SQLITE_OK)
        inconsistent(path, name);
}

// Plain indexes, for the joins and conditions of the readers.
void createIndexes(sqlite3* db, const MdbTableDef* table, const QString& name,
                   const QString& path) {
    for (unsigned i = 0; i < table->num_idxs; ++i) {
        const MdbIndex* idx = indexAt(table, i);
        if (idx->index_type != 0)
            continue;
        if (sqlite3_exec(db,
                         QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                             .arg(jetsql::QuoteName(name + u'_' + QString::fromUtf8(idx->name)),
                                  jetsql::QuoteName(name), keyColumns(table, idx))
                             .toUtf8()
                             .constData(),
                         nullptr, nullptr, nullptr) != SQLITE_OK)
            inconsistent(path, name);
    }
}

// Where libmdb leaves each column's value of the current row.
struct BoundColumns {
    std::vector<int> types;
    std::vector<std::vector<char>> buffers;
    std::vector<int> lengths;
};

BoundColumns bindColumns(MdbTableDef* table, const QString& name, const QString& path) {
    const int n = int(table->num_cols);
    BoundColumns bound{std::vector<int>(n), std::vector<std::vector<char>>(n),
                       std::vector<int>(n, 0)};
    for (int i = 0; i < n; ++i) {
        const int type = columnAt(table, i)->col_type;
        bound.types[i] = type;
        bound.buffers[i].resize(bindSize(type));
        // Without a buffer libmdb only marks where the value lies.
        if (mdb_bind_column(table, i + 1, readRaw(type) ? nullptr : bound.buffers[i].data(),
                            &bound.lengths[i]) < 0)
            inconsistent(path, name);
    }
    return bound;
}

SqliteStatement prepareInsert(sqlite3* db, const QString& name, int columns, const QString& path) {
    QString placeholders = QStringLiteral("?");
    for (int i = 1; i < columns; ++i)
        placeholders += QStringLiteral(",?");
    const QByteArray insert = QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                  .arg(jetsql::QuoteName(name), placeholders)
                                  .toUtf8();
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare_v2(db, insert.constData(), -1, &prepared, nullptr) != SQLITE_OK)
        sqliteFailure(db, path);
    return SqliteStatement(prepared);
}

bool isText(int type) {
    return type == MDB_TEXT || type == MDB_MEMO;
}

// libmdb gives a Null and an empty text alike: when a text came back empty,
// the row's own Null marks tell them apart. Columns the row leaves out
// count as Null.
void readNullMarks(MdbHandle* mdb, MdbTableDef* table, const BoundColumns& bound,
                   std::vector<MdbField>& fields, std::vector<char>& isNull) {
    const int n = int(isNull.size());
    bool emptyText = false;
    for (int i = 0; i < n && !emptyText; ++i)
        emptyText = bound.lengths[i] == 0 && isText(bound.types[i]);
    if (!emptyText)
        return;
    std::fill(isNull.begin(), isNull.end(), 1);
    int start = 0;
    size_t size = 0;
    if (mdb_find_row(mdb, int(table->cur_row) - 1, &start, &size) == 0) {
        int count = mdb_crack_row(table, start, size, fields.data());
        for (int k = 0; k < count && k <= n; ++k)
            if (fields[k].colnum >= 0 && fields[k].colnum < n)
                isNull[fields[k].colnum] = fields[k].is_null;
    }
}

// Binds column i of the current row, converted from libmdb's text. Texts
// and blobs are bound where they lie: each buffer outlives the statement's
// step and is bound again before the next one.
void bindValue(sqlite3_stmt* stmt, int i, MdbHandle* mdb, const MdbTableDef* table,
               const BoundColumns& bound, bool null) {
    const int len = bound.lengths[i];
    const char* text = bound.buffers[i].data();
    const int column = i + 1;
    switch (bound.types[i]) {
        case MDB_BOOL:
            // Yes/No has no Null in Access; it reads -1 or 0.
            sqlite3_bind_int(stmt, column, (len > 0 && text[0] == '1') ? -1 : 0);
            break;
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT:
            if (columnAt(table, i)->cur_value_len == 0)
                sqlite3_bind_null(stmt, column);
            else
                sqlite3_bind_int64(stmt, column, wholeNumber(mdb, columnAt(table, i)));
            break;
        case MDB_MONEY:
            bindMoney(stmt, column, mdb, columnAt(table, i));
            break;
        case MDB_DATETIME:
            bindDate(stmt, column, mdb, columnAt(table, i));
            break;
        case MDB_FLOAT:
        case MDB_DOUBLE:
        case MDB_NUMERIC:
            if (len == 0)
                sqlite3_bind_null(stmt, column);
            else
                sqlite3_bind_double(stmt, column, std::strtod(text, nullptr));
            break;
        case MDB_OLE:
        case MDB_BINARY:
            if (len == 0)
                sqlite3_bind_null(stmt, column);
            else
                sqlite3_bind_blob(stmt, column, text, len, SQLITE_STATIC);
            break;
        default:
            // Texts and memos.
            if (len == 0 && isText(bound.types[i]) && !null)
                sqlite3_bind_text(stmt, column, "", 0, SQLITE_STATIC);
            else if (len == 0)
                sqlite3_bind_null(stmt, column);
            else
                sqlite3_bind_text(stmt, column, text, len, SQLITE_STATIC);
    }
}

// The current row as its owner finds it: its key, else its rank.
QString rowKey(MdbHandle* mdb, const MdbTableDef* table, const BoundColumns& bound, unsigned rank) {
    for (unsigned k = 0; k < table->num_idxs; ++k) {
        const MdbIndex* idx = indexAt(table, k);
        if (idx->index_type != 1)
            continue;
        const int i = idx->key_col_num[0] - 1;
        const MdbColumn* col = columnAt(table, i);
        QString value;
        if (bound.types[i] == MDB_BYTE || bound.types[i] == MDB_INT ||
            bound.types[i] == MDB_LONGINT) {
            if (col->cur_value_len > 0)
                value = QString::number(wholeNumber(mdb, col));
        } else if (bound.types[i] == MDB_TEXT && bound.lengths[i] > 0) {
            value = QString::fromUtf8(bound.buffers[i].data(), bound.lengths[i]);
        }
        if (!value.isEmpty())
            return QString::fromUtf8(col->name) + u' ' + value;
    }
    return QStringLiteral("ligne %1").arg(rank);
}

// Copies every row and checks none was lost.
void copyRows(MdbHandle* mdb, MdbTableDef* table, sqlite3* db, const QString& name,
              const QString& path) {
    const int n = int(table->num_cols);
    BoundColumns bound = bindColumns(table, name, path);
    const bool plain = plainTexts(mdb);
    const SqliteStatement statement = prepareInsert(db, name, n, path);
    sqlite3_stmt* stmt = statement.get();

    std::vector<MdbField> fields(n + 1);
    std::vector<char> isNull(n, 0);
    std::vector<unsigned char> memoPieces;
    std::vector<MemoDamage> memo(n);
    unsigned rows = 0;
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) {
        ++rows;
        for (int i = 0; i < n; ++i)
            if (bound.types[i] == MDB_TEXT)
                bound.lengths[i] = readText(mdb, columnAt(table, i), plain, bound.buffers[i]);
            else if (bound.types[i] == MDB_MEMO)
                bound.lengths[i] =
                    readMemo(mdb, columnAt(table, i), plain, bound.buffers[i], memoPieces, memo[i]);
        QList<mdb_damage::Memo> lost;
        for (int i = 0; i < n; ++i)
            if (bound.lengths[i] < 0)
                lost.append(
                    {QString::fromUtf8(columnAt(table, i)->name), memo[i].stored, memo[i].read});
        if (!lost.isEmpty())
            damaged(path, mdb_damage::Memos(name, rowKey(mdb, table, bound, rows), lost));
        readNullMarks(mdb, table, bound, fields, isNull);
        for (int i = 0; i < n; ++i)
            bindValue(stmt, i, mdb, table, bound, isNull[i]);
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_CONSTRAINT)
            damaged(path, QStringLiteral("la table %1 a plusieurs lignes de même clé").arg(name));
        if (rc != SQLITE_DONE)
            sqliteFailure(db, path);
        sqlite3_reset(stmt);
    }
    // Pages lost at the end of a cut file, or a broken page chain, end the
    // table early without a word from libmdb: its own count tells.
    if (rows != table->num_rows)
        damaged(path, QStringLiteral("la table %1 compte %2 lignes, %3 ont pu être lues")
                          .arg(name)
                          .arg(table->num_rows)
                          .arg(rows));
}

void copyTable(MdbHandle* mdb, MdbCatalogEntry* entry, sqlite3* db, const QString& path) {
    const MdbTable table = readDefinition(entry, path);
    const QString name = QString::fromUtf8(table->name);
    createTable(db, table.get(), name, path);
    copyRows(mdb, table.get(), db, name, path);
    createIndexes(db, table.get(), name, path);
}

void importInto(const QString& path, sqlite3* db) {
    CNumericLocale cLocale;
    const MdbFile mdb(mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS));
    if (!mdb)
        throw Error(errors::UnrecognizedFormat,
                    QStringLiteral("Impossible d'ouvrir la base Access « %1 ».").arg(path));
    mdb_set_bind_size(mdb.get(), kBindSize);
    mdb_set_date_fmt(mdb.get(), "%Y-%m-%d %H:%M:%S");
    if (!mdb_read_catalog(mdb.get(), MDB_TABLE))
        damaged(path, QStringLiteral("la liste de ses tables est illisible"));

    exec(db, QStringLiteral("BEGIN"), path);
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE)
            continue;
        const QString name = QString::fromUtf8(entry->object_name);
        if (name.startsWith(QLatin1String("MSys"), Qt::CaseInsensitive) || name.startsWith(u'~') ||
            mdb_is_system_table(entry))
            continue;
        copyTable(mdb.get(), entry, db, path);
    }
    exec(db, QStringLiteral("COMMIT"), path);
}

}  // namespace

// The database is built in one block of memory, so that the image is that
// block itself; it stays open, as the reader ends once the image is sent.
QByteArray ReadAccessImage(const QString& path) {
    sqlite3* db = nullptr;
    // One thread uses it: no locking on each call.
    if (sqlite3_open_v2(":memory:", &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK ||
        sqlite3_deserialize(db, "main", nullptr, 0, 0,
                            SQLITE_DESERIALIZE_RESIZEABLE | SQLITE_DESERIALIZE_FREEONCLOSE) !=
            SQLITE_OK)
        throw std::bad_alloc();
    sqlite3_int64 unbounded = std::numeric_limits<sqlite3_int64>::max();
    sqlite3_file_control(db, "main", SQLITE_FCNTL_SIZE_LIMIT, &unbounded);
    RegisterJetFunctions(db);
    importInto(path, db);
    sqlite3_int64 size = 0;
    const unsigned char* image = sqlite3_serialize(db, "main", &size, SQLITE_SERIALIZE_NOCOPY);
    if (!image)
        throw std::bad_alloc();
    return QByteArray::fromRawData(reinterpret_cast<const char*>(image), qsizetype(size));
}

}  // namespace kalvor::dao
