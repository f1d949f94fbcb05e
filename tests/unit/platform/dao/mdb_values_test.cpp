#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "dao_fixture.h"
#include "platform/dao/db_engine.h"
#include "platform/dao/mdb_values.h"
#include "support/test_paths.h"

namespace kalvor::dao {
namespace {

// The UTF-8 form, or nothing where libmdb's own conversion must decide.
std::optional<std::string> utf8Of(const std::vector<unsigned char>& bytes) {
    std::vector<char> out(3 * bytes.size() + 1);
    const int n = plainUtf8(bytes.data(), int(bytes.size()), out.data());
    if (n < 0) {
        return std::nullopt;
    }
    return std::string(out.data(), size_t(n));
}

TEST(AccessTexts, StoredFormsGiveTheirUtf8OrAreLeftToLibmdb) {
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
        std::optional<std::string> utf8;
    };
    const Case cases[] = {
        {"two bytes a character", {'B', 0, 0xE9, 0, 0xAC, 0x20}, "B\xC3\xA9\xE2\x82\xAC"},
        {"compressed, accents kept", {0xFF, 0xFE, 'C', 0xE9, 'l'}, "C\xC3\xA9l"},
        {"empty compressed text", {0xFF, 0xFE}, ""},
        {"compressed text switching back", {0xFF, 0xFE, 'a', 0, 0xAC, 0x20}, std::nullopt},
        {"odd length", {'a', 0, 'b'}, std::nullopt},
        {"a Null character", {'a', 0, 0, 0}, std::nullopt},
        {"a surrogate", {0x3D, 0xD8, 0x00, 0xDE}, std::nullopt},
        {"a non-character", {0xFF, 0xFF}, std::nullopt},
        // Plain ASCII goes a word at a time: what breaks a word must still
        // be seen, wherever it falls.
        {"compressed, accent after two words",
         {0xFF, 0xFE, 'a', 'b', 'c', 'd', 'e', 'f', 'g',  'h',
          'i',  'j',  'k', 'l', 'm', 'n', 'o', 'p', 0xE9, 'q'},
         "abcdefghijklmnop\xC3\xA9q"},
        {"compressed, switching back in the second word",
         {0xFF, 0xFE, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 0, 0xAC, 0x20},
         std::nullopt},
        {"two bytes a character, two words then an accent",
         {'a', 0, 'b', 0, 'c', 0, 'd', 0, 'e', 0, 'f', 0, 'g', 0, 'h', 0, 0xE9, 0},
         "abcdefgh\xC3\xA9"},
        {"two bytes a character, a Null character in a word",
         {'a', 0, 'b', 0, 0, 0, 'd', 0, 'e', 0},
         std::nullopt},
        {"two bytes a character, a surrogate after a word",
         {'a', 0, 'b', 0, 'c', 0, 'd', 0, 0x3D, 0xD8, 0x00, 0xDE},
         std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf8Of(c.bytes), c.utf8) << c.what;
    }
}

// libmdb's own text of the current row's value, as a bound buffer holds it.
std::string libmdbText(MdbHandle* mdb, const MdbColumn* col) {
    if (col->cur_value_len == 0)
        return std::string();
    char* text = mdb_col_to_string(mdb, mdb->pg_buf, col->cur_value_start, col->col_type,
                                   col->cur_value_len);
    std::string value(text);
    g_free(text);
    return value;
}

// Every text and memo of the fixture catalogues reads as libmdb reads it;
// the files hold memos in the row, alone on a page, and in pieces.
TEST(AccessTexts, EveryTextAndMemoOfTheCataloguesReadsAsLibmdbReadsIt) {
    for (const QString& generation : {QStringLiteral("v6"), QStringLiteral("v5")}) {
        const QByteArray path = QFile::encodeName(test::accessCatalogue(generation));
        MdbHandle* mdb = mdb_open(path.constData(), MDB_NOFLAGS);
        ASSERT_NE(mdb, nullptr);
        mdb_set_bind_size(mdb, 1 << 20);
        ASSERT_TRUE(mdb_read_catalog(mdb, MDB_TABLE));
        const bool plain = plainTexts(mdb);
        std::vector<char> buffer(1 << 20);
        std::vector<unsigned char> scratch;
        MemoDamage damage;
        int memos = 0;
        for (unsigned i = 0; i < mdb->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
            if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry))
                continue;
            MdbTableDef* table = mdb_read_table(entry);
            mdb_read_columns(table);
            for (unsigned c = 0; c < table->num_cols; ++c)
                mdb_bind_column(table, int(c) + 1, nullptr, nullptr);
            mdb_rewind_table(table);
            while (mdb_fetch_row(table)) {
                for (unsigned c = 0; c < table->num_cols; ++c) {
                    const auto* col =
                        static_cast<const MdbColumn*>(g_ptr_array_index(table->columns, c));
                    if (col->col_type != MDB_TEXT && col->col_type != MDB_MEMO)
                        continue;
                    const int n = col->col_type == MDB_MEMO
                                      ? readMemo(mdb, col, plain, buffer, scratch, damage)
                                      : readText(mdb, col, plain, buffer);
                    ASSERT_GE(n, 0) << table->name << '.' << col->name;
                    EXPECT_EQ(std::string(buffer.data(), size_t(n)), libmdbText(mdb, col))
                        << generation.toStdString() << ' ' << table->name << '.' << col->name;
                    memos += col->col_type == MDB_MEMO && n > 0;
                }
            }
            mdb_free_tabledef(table);
        }
        EXPECT_GT(memos, 20) << generation.toStdString();
        mdb_close(mdb);
    }
}

// A Long is signed: its top byte set reads below zero, as Access shows it.
TEST(AccessNumbers, ALongWithItsTopBitSetReadsNegative) {
    QTemporaryDir dir;
    QByteArray bytes = test::readAll(test::accessCatalogue(QStringLiteral("v6")));
    bytes[294524] = char(0xED);  // the top byte of collectible 2's IdSerie (2)
    const QString path = dir.filePath(QStringLiteral("negative.mdb"));
    test::writeAll(path, bytes);
    auto rs = DBEngine::OpenDatabase(path)->OpenRecordset(
        QStringLiteral("select IdSerie from PARABD where IdParabd = 2"));
    EXPECT_EQ(rs->Fields(0).toLongLong(), -318767102);
}

// A memo whose text passes libmdb's buffer of a million bytes reads whole:
// author 13's comment is made to run on through pages added at the end of
// the file, each a page of long values holding one piece of it. 380,000
// letters, most of them "€", take 760,000 bytes stored, 1,064,000 in UTF-8.
TEST(AccessTexts, AMemoLongerThanTheReadBufferReadsWhole) {
    constexpr int kPage = 4096, kHead = 20;
    constexpr int kStored = 760000;  // bytes of UCS-2
    QByteArray bytes = test::readAll(test::accessCatalogue(QStringLiteral("v6")));
    // Its row's memo field: 26,200 bytes in pieces from page 37, row 0.
    const QByteArray field("\x58\x66\x00\x00\x00\x25\x00\x00", 8);
    const qsizetype at = bytes.indexOf(field);
    ASSERT_GT(at, 0);
    ASSERT_EQ(bytes.indexOf(field, at + 1), -1);
    const int first = int(bytes.size() / kPage);
    qToLittleEndian<quint32>(kStored, bytes.data() + at);
    qToLittleEndian<quint32>(quint32(first) << 8, bytes.data() + at + 4);
    QString expected;
    QByteArray text;
    for (int i = 0; i < kStored / 2; ++i) {
        const QChar c = i % 10 == 9 ? QChar(u'a' + i % 7) : QChar(0x20AC);
        expected += c;
        text += char(c.unicode() & 0xFF);
        text += char(c.unicode() >> 8);
    }
    constexpr int kPiece = kPage - kHead - 4;
    constexpr int kPieces = (kStored + kPiece - 1) / kPiece;
    for (int k = 0, done = 0; k < kPieces; ++k) {
        const int size = std::min(kPiece, kStored - done);
        QByteArray page(kPage, '\0');
        page[0] = page[1] = 1;
        page.replace(4, 4, "LVAL");
        qToLittleEndian<quint16>(1, page.data() + 12);  // one row
        const int row = kPage - 4 - size;
        qToLittleEndian<quint16>(quint16(row), page.data() + 14);
        const quint32 next = k + 1 < kPieces ? quint32(first + k + 1) << 8 : 0;
        qToLittleEndian<quint32>(next, page.data() + row);
        page.replace(row + 4, size, text.mid(done, size));
        bytes += page;
        done += size;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long-memo.mdb"));
    test::writeAll(path, bytes);
    auto rs = DBEngine::OpenDatabase(path)->OpenRecordset(
        QStringLiteral("select Commentaire from AUTEURS where IdAuteur = 13"));
    const QString memo = rs->Fields(0).toString();
    EXPECT_EQ(memo.size(), expected.size());
    EXPECT_TRUE(memo == expected);
}

}  // namespace
}  // namespace kalvor::dao
