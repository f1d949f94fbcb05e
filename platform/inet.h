#pragma once

#include <QString>

class QNetworkAccessManager;

namespace kalvor {

// The transfer control: a GET of a whole URL whose body comes back as text
// (the site serves ISO-8859-1, read as Windows-1252). Window events keep
// running while it waits; one request at a time; a time limit; no retry. A
// reply other than 200 is a failure, not a text to parse.
class Inet {
  public:
    enum class Text {
        Windows1252,
        // Each line in UTF-8 when it is valid UTF-8, else in Windows-1252: a
        // listing names files as the host stores them, and hosts store names
        // uploaded from Linux or by most FTP clients in UTF-8.
        LinesInTheirOwnEncoding,
    };

    explicit Inet(int timeoutMs = 60000);
    ~Inet();
    Inet(const Inet&) = delete;
    Inet& operator=(const Inet&) = delete;

    // Throws kalvor::Error (err::HttpError) on any failure.
    QString OpenURL(const QString& url, Text text = Text::Windows1252);

    bool StillExecuting() const { return busy_; }
    // HTTP status of the last reply, 0 when none came.
    int lastStatus() const { return lastStatus_; }
    void setTimeout(int ms) { timeoutMs_ = ms; }

  private:
    QNetworkAccessManager* manager();

    int timeoutMs_;
    bool busy_ = false;
    int lastStatus_ = 0;
    QNetworkAccessManager* manager_ = nullptr;
};

}  // namespace kalvor
