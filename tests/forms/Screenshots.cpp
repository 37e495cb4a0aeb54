// velmora_screenshots DATA_ROOT OUT_DIR: pictures of every window of the program on a data root
// (the demo data), written as PNG files for people to compare with the intended layout.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextStream>

#include "FormsFixture.h"
#include "Program.h"
#include "TAbout.h"
#include "TDBSelect.h"
#include "TDebug.h"
#include "TFullText.h"
#include "THelp.h"
#include "TMain.h"
#include "TNewHD.h"
#include "ui_TDBSelect.h"
#include "ui_TMain.h"
#include "ui_TNewHD.h"

namespace {

QString outDir;

void Save(QWidget& widget, const QString& name) {
    QApplication::processEvents();
    widget.grab().save(QDir(outDir).filePath(name + QStringLiteral(".png")));
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "usage: velmora_screenshots DATA_ROOT OUT_DIR\n";
        return 2;
    }
    outDir = args.at(2);
    QDir().mkpath(outDir);
    ProgramEnvironment env;
    env.DataRoot = QDir(args.at(1)).absolutePath() + QStringLiteral("/");
    env.ProgramFolder = QStringLiteral(VELMORA_SOURCE_DIR "/");
    ScriptedDialogs dialogs;
    Program program(env, dialogs);
    TMain& main = program.Main();

    dialogs.steps.push_back([](QDialog& dialog) {
        auto& select = dynamic_cast<TDBSelect&>(dialog);
        Save(select, QStringLiteral("kind_dialog_empty_choice"));
        select.Controls().DB_CBX->setCurrentIndex(0);
        Save(select, QStringLiteral("kind_dialog"));
        select.Controls().Ok_BTN->click();
    });
    main.show();
    Save(main, QStringLiteral("register"));

    TypeText(*main.Controls().Fam_TXT, QStringLiteral("ова"));
    QTest::qWait(200);
    Save(main, QStringLiteral("register_search"));
    main.Controls().ShowAll_BTN->click();
    TypeText(*main.Controls().Fam_TXT, QStringLiteral("x"));
    QTest::qWait(200);
    Save(main, QStringLiteral("register_prompt"));
    main.Controls().ShowAll_BTN->click();
    QTest::qWait(200);

    for (QMenu* menu : {main.Controls().Protocols_MNU, main.Controls().Service_MNU, main.Controls().Help_MNU}) {
        menu->popup(main.mapToGlobal(QPoint(0, 20)));
        Save(*menu, QStringLiteral("menu_") + menu->objectName().section(u'_', 0, 0).toLower());
        menu->hide();
    }

    dialogs.steps.push_back([](QDialog& dialog) {
        auto& newHD = dynamic_cast<TNewHD&>(dialog);
        TypeText(*newHD.Controls().Fio_TXT, QStringLiteral("Новикова Дарья Сергеевна"));
        Save(newHD, QStringLiteral("new_protocol"));
        newHD.Controls().Cancel_BTN->click();
    });
    main.Controls().New_BTN->click();

    dialogs.steps.push_back([](QDialog& dialog) { Save(dialog, QStringLiteral("entry_window")); });
    main.Controls().Open_BTN->click();

    dialogs.steps.push_back([](QDialog& dialog) { Save(dialog, QStringLiteral("about")); });
    main.About_MNUClick();

    TFullText& viewer = *program.Windows().fullText;
    viewer.FieldCaption = QStringLiteral("Жалобы");
    viewer.FieldValue = QStringLiteral(
        "Жалобы на слабость, головокружение и головную боль в течение трех дней, усиливающуюся к вечеру.\n"
        "Температура до 37,8 °C, снижение аппетита. Принимала парацетамол с кратковременным эффектом.");
    viewer.show();
    Save(viewer, QStringLiteral("full_text"));
    viewer.hide();

    TDebug& debug = *program.Windows().debug;
    debug.resize(218, 400);  // its designed height does not fit a picture
    debug.show();
    Save(debug, QStringLiteral("debug"));
    debug.hide();

    main.HelpContent_MNUClick();
    if (THelp* help = main.HelpWindow()) {
        Save(*help, QStringLiteral("help"));
        help->close();
    }
    main.close();
    return 0;
}
