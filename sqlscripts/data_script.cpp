#include "sqlscripts/data_script.h"

#include "platform/error.h"
#include "platform/textfile.h"
#include "sqlscripts/sql_statements.h"

namespace kalvor {
namespace {

// The gathered lines, written without a copy.
QByteArray piece(const std::string& bytes) {
    return QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
}
}  // namespace

DataScript::DataScript(bool utf8) : utf8_(utf8) {}
DataScript::~DataScript() = default;
DataScript::DataScript(DataScript&&) noexcept = default;
DataScript& DataScript::operator=(DataScript&&) noexcept = default;

void DataScript::Open(const QString& path, const QByteArray& before) {
    Close();
    file_ = std::make_unique<TextFile>(CreateTextFile(path));
    pending_.clear();
    pending_.reserve(kPiece + 4096);
    if (!before.isEmpty()) {
        file_->Write(before);
        if (!before.endsWith('\n')) {
            pending_ += "\r\n";
        }
    }
    for (const QString& line : sql::ScriptHeader(utf8_)) {
        Write(line);
    }
}

void DataScript::Close() {
    if (file_) {
        // Drop the file even when closing fails, so that it is not closed twice.
        std::unique_ptr<TextFile> file = std::move(file_);
        file->Write(piece(pending_));
        pending_.clear();
        file->Close();
    }
}

bool DataScript::IsOpen() const {
    return file_ != nullptr;
}

QString DataScript::Path() const {
    return file_ ? file_->path() : QString();
}

void DataScript::requireOpen() const {
    if (!file_) {
        throw Error(91, QStringLiteral("Variable objet ou variable de bloc With non définie"));
    }
}

void DataScript::flush() {
    file_->Write(piece(pending_));
    pending_.clear();
}

void DataScript::Write(const ScriptLine& line) {
    requireOpen();
    const QByteArray bytes = line.Bytes(utf8_);
    pending_.append(bytes.constData(), size_t(bytes.size()));
    pending_.append("\r\n", 2);
    if (pending_.size() >= kPiece) {
        flush();
    }
}

}  // namespace kalvor
