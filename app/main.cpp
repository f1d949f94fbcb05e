#include <QApplication>
#include <QTimer>

#include "platform/program_folder.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalvor"));
    QApplication::setApplicationVersion(QStringLiteral("1.8.3"));
    kalvor::setProgramFolder(QApplication::applicationDirPath());
    if (qEnvironmentVariableIsSet("KALVOR_QUIT_AT_ONCE")) {
        QTimer::singleShot(0, &app, &QApplication::quit);
    }
    return QApplication::exec();
}
