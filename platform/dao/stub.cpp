#include "platform/dao/dao_errors.h"
#include "platform/dao/db_engine.h"

namespace kalvor::dao {
namespace {
[[noreturn]] void notYet() {
    throw Error(errors::EngineError, QStringLiteral("Base de données non disponible."));
}
}  // namespace

class Recordset::Impl {};
class Database::Impl {};
Recordset::Recordset(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Recordset::~Recordset() = default;
bool Recordset::Eof() const {
    notYet();
}
bool Recordset::Bof() const {
    notYet();
}
void Recordset::MoveFirst() {
    notYet();
}
void Recordset::MoveNext() {
    notYet();
}
void Recordset::MovePrevious() {
    notYet();
}
void Recordset::MoveLast() {
    notYet();
}
long Recordset::RecordCount() const {
    notYet();
}
QVariant Recordset::Fields(int) const {
    notYet();
}
QVariant Recordset::Fields(const QString&) const {
    notYet();
}
int Recordset::FieldCount() const {
    notYet();
}
QString Recordset::FieldName(int) const {
    notYet();
}
void Recordset::AddNew() {
    notYet();
}
void Recordset::Edit() {
    notYet();
}
void Recordset::SetField(int, const QVariant&) {
    notYet();
}
void Recordset::SetField(const QString&, const QVariant&) {
    notYet();
}
void Recordset::Update() {
    notYet();
}
void Recordset::CancelUpdate() {
    notYet();
}
void Recordset::Delete() {
    notYet();
}
void Recordset::Close() {}

Database::Database(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Database::~Database() = default;
std::unique_ptr<Recordset> Database::OpenRecordset(const QString&) {
    notYet();
}
void Database::Execute(const QString&) {
    notYet();
}
long Database::RecordsAffected() const {
    notYet();
}
TableDefs Database::TableDefs() {
    notYet();
}
void Database::ExecuteScript(const QString&) {
    notYet();
}
bool Database::IsAccessCopy() const {
    notYet();
}
const QString& Database::Path() const {
    notYet();
}
void Database::Close() {}
bool Database::IsOpen() const {
    return false;
}

const TableDef& TableDefs::Item(int) const {
    notYet();
}
const TableDef& TableDefs::Item(const QString&) const {
    notYet();
}
bool TableDefs::Contains(const QString&) const {
    notYet();
}
void TableDefs::Append(const TableDef&) {
    notYet();
}
void TableDefs::Delete(const QString&) {
    notYet();
}

std::unique_ptr<Database> DBEngine::OpenDatabase(const QString&) {
    notYet();
}
std::unique_ptr<Database> DBEngine::CreateDatabase(const QString&) {
    notYet();
}
bool DBEngine::IsAccessFile(const QString&) {
    notYet();
}
}  // namespace kalvor::dao
