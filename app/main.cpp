#include <QApplication>
#include <QCoreApplication>

#include "app/command_line.h"
#include "app/kalvorform.h"
#include "app/qt_translations.h"
#include "app/start_up.h"
#include "common/banner.h"
#include "platform/program_folder.h"
#include "platform/prompt.h"
#include "settings/settings.h"

using namespace kalvor;

namespace {

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

// A scheduled job has no display: no window system, messages on the console.
int runUnattended(int argc, char** argv, const CommandLine& line) {
    QCoreApplication app(argc, argv);
    setProgramFolder(QCoreApplication::applicationDirPath());
    ConsolePrompt prompt;
    Settings settings;
    start_up::Form_Load_Unattended(settings, line, prompt);
    return start_up::Run_Command_Export(settings, line, prompt, DataExports::Built());
}

// Without a display Qt would abort with its own English words; a job that
// meant to export is told how to ask for it.
bool windowCannotOpen(const QStringList& arguments) {
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
           qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
           !arguments.contains(QStringLiteral("-platform"));
}

}  // namespace

int main(int argc, char** argv) {
    const QStringList arguments = argumentsOf(argc, argv);
    const CommandLine line = CommandLine::Parse(arguments);
    if (line.runsExport()) {
        return runUnattended(argc, argv, line);
    }
    if (windowCannotOpen(arguments)) {
        ConsolePrompt().message(
            QStringLiteral("Aucun affichage pour la fenêtre (ni DISPLAY ni WAYLAND_DISPLAY). Une "
                           "tâche planifiée passe « donnees » ou « dernieres_donnees », en "
                           "minuscules."),
            kBanner, PromptIcon::Critical);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalvor"));
    QApplication::setApplicationVersion(QStringLiteral("1.8.3"));
    InstallQtFrench();
    setProgramFolder(QApplication::applicationDirPath());
    Settings settings;
    Kalvorform window(settings);
    start_up::Form_Load(settings, line, window.prompt());
    start_up::Report_Store_Problem(window.prompt());
    window.Form_Load_Interactive();
    window.show();
    return QApplication::exec();
}
