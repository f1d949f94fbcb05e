#include "e2e/browser/web_driver.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>
#include <QThread>

#include <gtest/gtest.h>

namespace kalvor::e2e {
namespace {

const QString kChromium = QStringLiteral("/usr/bin/chromium");
const QString kDriver = QStringLiteral("/usr/bin/chromedriver");
const QString kElementKey = QStringLiteral("element-6066-11e4-a52e-4f735466cecf");

struct Reply {
    int status = 0;
    QJsonValue value;
};

Reply send(const QByteArray& verb, const QString& url, const QByteArray& body, int timeoutMs) {
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(timeoutMs);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    QNetworkReply* reply = manager.sendCustomRequest(request, verb, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    Reply result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.value =
        QJsonDocument::fromJson(reply->readAll()).object().value(QStringLiteral("value"));
    reply->deleteLater();
    return result;
}

int freePort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

}  // namespace

bool WebDriver::installed() {
    return QFileInfo(kChromium).isExecutable() && QFileInfo(kDriver).isExecutable();
}

WebDriver::WebDriver() {
    const int port = freePort();
    base_ = QStringLiteral("http://127.0.0.1:%1").arg(port);
    driver_.setProcessChannelMode(QProcess::MergedChannels);
    driver_.start(kDriver, {QStringLiteral("--port=%1").arg(port)});
    if (!driver_.waitForStarted()) {
        startError_ = QStringLiteral("chromedriver does not start");
        return;
    }
    QElapsedTimer clock;
    clock.start();
    while (send("GET", base_ + QStringLiteral("/status"), {}, 2000).status != 200) {
        if (clock.elapsed() > 15000) {
            startError_ = QStringLiteral("chromedriver does not answer");
            return;
        }
        QThread::msleep(100);
    }
    // Root needs --no-sandbox; the rest keeps the browser to the page under test.
    const QJsonArray args = {QStringLiteral("--headless"),
                             QStringLiteral("--no-sandbox"),
                             QStringLiteral("--disable-gpu"),
                             QStringLiteral("--disable-quic"),
                             QStringLiteral("--no-first-run"),
                             QStringLiteral("--disable-background-networking"),
                             QStringLiteral("--disable-component-update"),
                             QStringLiteral("--disable-sync"),
                             QStringLiteral("--window-size=1280,900"),
                             QStringLiteral("--user-data-dir=") + profile_.path()};
    const QJsonObject capabilities{
        {QStringLiteral("browserName"), QStringLiteral("chrome")},
        {QStringLiteral("goog:chromeOptions"),
         QJsonObject{{QStringLiteral("binary"), kChromium}, {QStringLiteral("args"), args}}},
        {QStringLiteral("goog:loggingPrefs"),
         QJsonObject{{QStringLiteral("browser"), QStringLiteral("ALL")}}}};
    const QJsonObject body{{QStringLiteral("capabilities"),
                            QJsonObject{{QStringLiteral("alwaysMatch"), capabilities}}}};
    const Reply reply = send("POST", base_ + QStringLiteral("/session"),
                             QJsonDocument(body).toJson(QJsonDocument::Compact), 60000);
    session_ = reply.value.toObject().value(QStringLiteral("sessionId")).toString();
    if (session_.isEmpty()) {
        startError_ = QStringLiteral("no browser session: ") +
                      QString::fromUtf8(QJsonDocument(reply.value.toObject()).toJson()) +
                      QString::fromUtf8(driver_.readAll());
    }
}

WebDriver::~WebDriver() {
    if (!session_.isEmpty()) {
        send("DELETE", base_ + QStringLiteral("/session/") + session_, {}, 30000);
    }
    if (driver_.state() != QProcess::NotRunning) {
        driver_.terminate();
        if (!driver_.waitForFinished(5000)) {
            driver_.kill();
            driver_.waitForFinished(5000);
        }
    }
}

QJsonValue WebDriver::command(const QByteArray& verb, const QString& path,
                              const QJsonObject& body) {
    const QByteArray bytes =
        verb == "GET" ? QByteArray() : QJsonDocument(body).toJson(QJsonDocument::Compact);
    const Reply reply =
        send(verb, base_ + QStringLiteral("/session/") + session_ + path, bytes, 60000);
    if (reply.status != 200) {
        ADD_FAILURE() << "WebDriver " << verb.toStdString() << ' ' << path.toStdString() << ": "
                      << reply.status << ' '
                      << QJsonDocument(reply.value.toObject()).toJson().toStdString();
    }
    return reply.value;
}

void WebDriver::navigate(const QString& url) {
    command("POST", QStringLiteral("/url"), {{QStringLiteral("url"), url}});
}

QJsonValue WebDriver::execute(const QString& script, const QJsonArray& args) {
    return command("POST", QStringLiteral("/execute/sync"),
                   {{QStringLiteral("script"), script}, {QStringLiteral("args"), args}});
}

QJsonValue WebDriver::executeAsync(const QString& script, const QJsonArray& args) {
    return command("POST", QStringLiteral("/execute/async"),
                   {{QStringLiteral("script"), script}, {QStringLiteral("args"), args}});
}

bool WebDriver::waitUntil(const QString& script, int ms) {
    QElapsedTimer clock;
    clock.start();
    do {
        if (execute(script).toBool()) {
            return true;
        }
        QThread::msleep(50);
    } while (clock.elapsed() < ms);
    return false;
}

QJsonObject WebDriver::element(const QString& css) {
    return command("POST", QStringLiteral("/element"),
                   {{QStringLiteral("using"), QStringLiteral("css selector")},
                    {QStringLiteral("value"), css}})
        .toObject();
}

void WebDriver::click(const QJsonObject& element) {
    command("POST", QStringLiteral("/element/%1/click").arg(element.value(kElementKey).toString()));
}

void WebDriver::hover(const QJsonObject& element) {
    const QJsonObject move{{QStringLiteral("type"), QStringLiteral("pointerMove")},
                           {QStringLiteral("duration"), 0},
                           {QStringLiteral("origin"), element},
                           {QStringLiteral("x"), 0},
                           {QStringLiteral("y"), 0}};
    const QJsonObject pointer{{QStringLiteral("type"), QStringLiteral("pointer")},
                              {QStringLiteral("id"), QStringLiteral("mouse")},
                              {QStringLiteral("actions"), QJsonArray{move}}};
    command("POST", QStringLiteral("/actions"), {{QStringLiteral("actions"), QJsonArray{pointer}}});
}

void WebDriver::hoverAt(int x, int y) {
    const QJsonObject move{{QStringLiteral("type"), QStringLiteral("pointerMove")},
                           {QStringLiteral("duration"), 0},
                           {QStringLiteral("origin"), QStringLiteral("viewport")},
                           {QStringLiteral("x"), x},
                           {QStringLiteral("y"), y}};
    const QJsonObject pointer{{QStringLiteral("type"), QStringLiteral("pointer")},
                              {QStringLiteral("id"), QStringLiteral("mouse")},
                              {QStringLiteral("actions"), QJsonArray{move}}};
    command("POST", QStringLiteral("/actions"), {{QStringLiteral("actions"), QJsonArray{pointer}}});
}

QStringList WebDriver::windowHandles() {
    QStringList handles;
    for (const QJsonValue& h : command("GET", QStringLiteral("/window/handles")).toArray()) {
        handles << h.toString();
    }
    return handles;
}

QString WebDriver::windowHandle() {
    return command("GET", QStringLiteral("/window")).toString();
}

void WebDriver::switchToWindow(const QString& handle) {
    command("POST", QStringLiteral("/window"), {{QStringLiteral("handle"), handle}});
}

void WebDriver::switchToFrame(const QJsonValue& frame) {
    command("POST", QStringLiteral("/frame"), {{QStringLiteral("id"), frame}});
}

QString WebDriver::title() {
    return command("GET", QStringLiteral("/title")).toString();
}

QByteArray WebDriver::screenshot() {
    return QByteArray::fromBase64(
        command("GET", QStringLiteral("/screenshot")).toString().toLatin1());
}

QJsonArray WebDriver::browserLog() {
    return command("POST", QStringLiteral("/se/log"),
                   {{QStringLiteral("type"), QStringLiteral("browser")}})
        .toArray();
}

}  // namespace kalvor::e2e
