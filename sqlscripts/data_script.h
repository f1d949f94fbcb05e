#pragma once

#include <QString>
#include <memory>
#include <string>
#include <string_view>

#include "sqlscripts/script_line.h"

namespace kalvor {

class TextFile;

// The file a data export is writing, in the encoding the user chose. Every
// file starts with the script header; every line but comment text follows
// the encoding, so that the header's SET NAMES matches the bytes (a table
// prefix with an accent included). Lines are gathered and written in large
// pieces; every write is checked, so a full disk still fails the export.
class DataScript {
  public:
    explicit DataScript(bool utf8);
    ~DataScript();  // an unclosed file is discarded
    DataScript(DataScript&&) noexcept;
    DataScript& operator=(DataScript&&) noexcept;

    // Closes the current file, then creates `path` anew; `before` (a whole
    // earlier script, header included) comes first.
    void Open(const QString& path, const QByteArray& before = {});
    // Gives the file its name; nothing when none is open.
    void Close();
    bool IsOpen() const;
    QString Path() const;
    bool Utf8() const { return utf8_; }

    // Error 91 when no file is open.
    void Write(const ScriptLine& line);
    void Write(const QString& statement) { Write(ScriptLine(statement)); }
    // A line already in the script's encoding, without its line end; or
    // that line made of its head, a key and its end.
    void WriteBytes(std::string_view line) { WriteBytes(line, {}, {}); }
    void WriteBytes(std::string_view head, std::string_view key, std::string_view end) {
        if (!file_) {
            requireOpen();
        }
        pending_ += head;
        pending_ += key;
        pending_ += end;
        pending_ += "\r\n";
        if (pending_.size() >= kPiece) {
            flush();
        }
    }

  private:
    static constexpr size_t kPiece = 1 << 18;

    void requireOpen() const;
    void flush();

    std::unique_ptr<TextFile> file_;
    bool utf8_;
    std::string pending_;
};

}  // namespace kalvor
