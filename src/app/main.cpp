// The program: the environment of the run, the windows in their order, the message loop.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <exception>

#include "EngineError.h"
#include "Platform.h"
#include "Program.h"
#include "ProgramEnvironment.h"
#include "QtUserDialogs.h"
#include "TMain.h"

namespace {

// The standard dialogs (file dialogs, message box buttons) speak the program's language.
void LoadQtTranslation(QApplication& app, QTranslator& translator) {
    if (translator.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&translator);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmora"));
    QTranslator translator;
    LoadQtTranslation(app, translator);
    QtUserDialogs dialogs;
    try {
        ProgramEnvironment env;
        QStringList args = QApplication::arguments();
        ResolveEnvironment(env, args);
        Program program(env, dialogs);
        TMain& main = program.Main();
        bool cancelled = false;
        QObject::connect(&main, &TMain::TerminateRequested, [&cancelled] { cancelled = true; });
        main.show();  // runs the start sequence: the kind dialog comes first
        if (!cancelled) QApplication::exec();
    } catch (const EngineError& e) {
        dialogs.Message(nullptr, e.message(), UserDialogs::Icon::Error);
    } catch (const std::exception& e) {
        dialogs.Message(nullptr, QString::fromUtf8(e.what()), UserDialogs::Icon::Error);
    }
    return 0;
}
