#include "sqlscripts/replacing_row_writer.h"

#include "sqlscripts/data_script.h"
#include "sqlscripts/script_text.h"

namespace kalvor {

ReplacingRowWriter::ReplacingRowWriter(DataScript& out, const QString& prefix, const QString& table,
                                       const QString& key)
    : out_(out), line_(out.Utf8(), RowLine::Head(out.Utf8(), prefix, table)) {
    script_text::Append(deleteHead_,
                        QStringLiteral("DELETE FROM ") + prefix + table +
                            QStringLiteral(" where ") + key + QStringLiteral(" = "),
                        false,
                        out.Utf8() ? script_text::Encoding::Utf8 : script_text::Encoding::Cp1252);
}

void ReplacingRowWriter::Write(const std::string& row) {
    const std::string_view key = line_.FirstValue();
    out_.WriteBytes(deleteHead_, key, ";");
    out_.WriteBytes(row);
}

}  // namespace kalvor
