#pragma once

#include <QString>
#include <QVariant>
#include <memory>

namespace kalvor::dao {

// Rows of a query or of a whole table, read at once when opened (so the
// count is known from the start and no engine lock outlives the opening).
// Values are QVariant: Null is an invalid QVariant (isNull() true), distinct
// from the empty text. Integer columns give int (Yes/No as -1 / 0), Currency
// and Double give double, Date gives QDateTime (local), Text and Memo give
// QString. Every misuse raises kalvor::Error with a French description.
class Recordset {
  public:
    class Impl;
    explicit Recordset(std::unique_ptr<Impl> impl);
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Position. A new recordset stands on its first row (Eof() and Bof()
    // both true when it is empty).
    bool Eof() const;
    bool Bof() const;
    void MoveFirst();
    void MoveNext();  // Error 3021 when already past the end
    void MovePrevious();
    void MoveLast();
    // Number of rows, exact from the opening (0 exactly when empty).
    long RecordCount() const;

    // Value of the current row (or of the row being added/edited), by
    // position in the select list / table order, or by name without case.
    // Error 3021 without a current row, 3265 for a missing field.
    QVariant Fields(int index) const;
    QVariant Fields(const QString& name) const;
    int FieldCount() const;
    QString FieldName(int index) const;

    // Changing rows: only for a table opened by name or a query on one
    // table. AddNew/Edit, then SetField..., then Update stores the row
    // (converting each value to its column's type: a text becomes a number or
    // a date, "dd/mm/yyyy hh:nn:ss" or "yyyy-mm-dd" for dates; Error 3421 when
    // it cannot). After an AddNew, the current row stays where it was.
    void AddNew();
    void Edit();
    void SetField(int index, const QVariant& value);
    void SetField(const QString& name, const QVariant& value);
    void Update();
    void CancelUpdate();
    // Deletes the current row; move to another row before reading again.
    void Delete();
    void Close();

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace kalvor::dao
