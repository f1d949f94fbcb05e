#pragma once

#include <QList>
#include <QString>

namespace kalvor::dao {

// DAO field types, with DAO's numbers.
enum class FieldType {
    Boolean = 1,  // Yes/No: reads back as -1 / 0
    Byte = 2,
    Integer = 3,  // 16-bit
    Long = 4,
    Currency = 5,
    Single = 6,
    Double = 7,
    Date = 8,
    Text = 10,  // with a size in characters
    Memo = 12,
};

// A column: its name as created (names compare without case), its type and,
// for Text, its size in characters (0 = 255).
struct Field {
    QString Name;
    FieldType Type = FieldType::Text;
    int Size = 0;
};

// A table's definition: built with CreateTableDef + CreateField + Append and
// appended to Database::TableDefs(), or read back from TableDefs().
class TableDef {
  public:
    TableDef() = default;
    explicit TableDef(const QString& name) : name_(name) {}

    const QString& Name() const { return name_; }
    Field CreateField(const QString& name, FieldType type, int size = 0) const {
        return Field{name, type, size};
    }
    void Append(const Field& field) { fields_.append(field); }
    const QList<Field>& Fields() const { return fields_; }
    int FieldCount() const { return int(fields_.size()); }

  private:
    QString name_;
    QList<Field> fields_;
};

}  // namespace kalvor::dao
