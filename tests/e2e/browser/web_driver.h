#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace kalvor::e2e {

// Debian's headless Chromium, driven through its chromedriver with the
// WebDriver protocol. A failing command is reported as a test failure.
class WebDriver {
  public:
    static bool installed();

    WebDriver();
    ~WebDriver();
    WebDriver(const WebDriver&) = delete;
    WebDriver& operator=(const WebDriver&) = delete;

    bool ok() const { return !session_.isEmpty(); }
    QString startError() const { return startError_; }

    void navigate(const QString& url);
    // Runs `script` as a function body in the current frame; its result.
    QJsonValue execute(const QString& script, const QJsonArray& args = {});
    // The same, ended by a call of its last argument.
    QJsonValue executeAsync(const QString& script, const QJsonArray& args = {});
    // Polls a script until it returns true; false after `ms` milliseconds.
    bool waitUntil(const QString& script, int ms = 5000);

    QJsonObject element(const QString& css);
    void click(const QJsonObject& element);
    void hover(const QJsonObject& element);
    void hoverAt(int x, int y);

    QStringList windowHandles();
    QString windowHandle();
    void switchToWindow(const QString& handle);
    void switchToFrame(const QJsonValue& frame);  // null: the top page
    QString title();

    QByteArray screenshot();  // PNG
    // Console messages and load failures of the page since the last call.
    QJsonArray browserLog();

  private:
    QJsonValue command(const QByteArray& verb, const QString& path,
                       const QJsonObject& body = QJsonObject());

    QTemporaryDir profile_;
    QProcess driver_;
    QString base_;
    QString session_;
    QString startError_;
};

}  // namespace kalvor::e2e
