#include "sqlscripts/data_script.h"

#include "platform/error.h"
#include "platform/textfile.h"
#include "sqlscripts/sql_statements.h"

namespace kalvor {

DataScript::DataScript(bool utf8) : utf8_(utf8) {}
DataScript::~DataScript() = default;
DataScript::DataScript(DataScript&&) noexcept = default;
DataScript& DataScript::operator=(DataScript&&) noexcept = default;

void DataScript::Open(const QString& path) {
    Close();
    file_ = std::make_unique<TextFile>(CreateTextFile(path));
    for (const QString& line : sql::ScriptHeader(utf8_)) {
        Write(line);
    }
}

void DataScript::Close() {
    if (file_) {
        // Drop the file even when closing fails, so that it is not closed twice.
        std::unique_ptr<TextFile> file = std::move(file_);
        file->Close();
    }
}

bool DataScript::IsOpen() const {
    return file_ != nullptr;
}

QString DataScript::Path() const {
    return file_ ? file_->path() : QString();
}

void DataScript::Write(const ScriptLine& line) {
    if (!file_) {
        throw Error(91, QStringLiteral("Variable objet ou variable de bloc With non définie"));
    }
    line.WriteTo(*file_, utf8_);
}

}  // namespace kalvor
