#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class QSaveFile;

namespace kalvor {

// A generated text file: CR LF line ends, Windows-1252 text (or raw bytes for
// lines already converted to UTF-8). It is written under a temporary name and
// only takes its real name on Close(), so a failure never leaves a
// half-written file behind: an unclosed file is discarded.
class TextFile {
  public:
    explicit TextFile(const QString& path);  // throws kalvor::Error
    TextFile(TextFile&&) noexcept;
    TextFile& operator=(TextFile&&) noexcept;
    ~TextFile();

    void WriteLine(const QString& text);
    void WriteLine(const char* utf8Literal) { WriteLine(QString::fromUtf8(utf8Literal)); }
    // Bytes written as they are, e.g. the result of general::Convert_UTF8.
    void WriteLine(const QByteArray& bytes);
    void Write(const QString& text);
    void Write(const QByteArray& bytes);

    // Replaces the target with what was written. Throws on failure.
    void Close();
    bool isOpen() const { return file_ != nullptr; }
    const QString& path() const { return path_; }

  private:
    void writeBytes(const QByteArray& bytes);
    // Drops the temporary file and throws the write error.
    [[noreturn]] void discard(const QString& reason);

    QString path_;
    std::unique_ptr<QSaveFile> file_;
};

// FileSystemObject.CreateTextFile: creates or overwrites.
TextFile CreateTextFile(const QString& path);

}  // namespace kalvor
