// velmora_entry_screenshots DATA_ROOT OUT_DIR: pictures of the entry window on the demo data
// (a fresh protocol, a half-filled one, one with a value out of its range, an editor open) and
// on a kind with groups, heading pictures, a check group and an open memo, written as PNG
// files for people to compare with the intended look.
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTest>
#include <QTextStream>

#include "FormsFixture.h"
#include "InlineEditors.h"
#include "Kinds.h"
#include "NewProtocol.h"
#include "TFolderDB.h"
#include "THDView.h"
#include "ui_THDView.h"

namespace {

QString outDir;

void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

void Save(QWidget& widget, const QString& name) {
    Settle();
    widget.grab().save(QDir(outDir).filePath(name + QStringLiteral(".png")));
}

void Type(const QString& text) {
    for (const QChar c : text) {
        QWidget* target = QApplication::focusWidget();
        if (!target) return;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &release);
    }
    Settle();
}

// Clicks the current list's row of the item named name, dy pixels below its top.
void ClickItem(THDView& view, const QString& name, int dy = 2) {
    EntryListWidget& list = *view.Controls().Cur_LST;
    for (int row = 0; row < list.RowCount(); ++row) {
        const TNvDescriptorItem* item = view.Session()->ItemOfRow(list.Row(row));
        if (item && item->Name == name) {
            list.scrollToItem(list.item(row));
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(20, list.RowRect(row).top() + dy));
            Settle();
            return;
        }
    }
}

// Scrolls the current list so that the item named name is the third row shown.
void ScrollTo(THDView& view, const QString& name) {
    EntryListWidget& list = *view.Controls().Cur_LST;
    for (int row = 0; row < list.RowCount(); ++row) {
        const TNvDescriptorItem* item = view.Session()->ItemOfRow(list.Row(row));
        if (item && item->Name == name) list.SetTopIndex(std::max(0, row - 2));
    }
    Settle();
}

void ShowProtocol(THDView& view, int number) {
    view.ProtocolNumber = number;
    view.show();
    QTest::qWaitForWindowExposed(&view);
    Settle();
}

const QStringList kGrouped{
    "<!!Жалобы и анамнез pic=general>",
    "<Жалобы db=main field=compl type=text input=memo inputsize=4>",
    "<Дата начала заболевания db=main field=dt type=date input=edit>",
    "<Симптомы db=main field=sympt type=refgroup ref_db=sympt input=checkgroup>",
    "</>",
    "<!!Сердечно-сосудистая система pic=heart>",
    "<Пульс, уд/мин db=main field=pulse type=int input=edit minvalue=20 maxvalue=250>",
    "<Отеки нижних конечностей db=main field=edema type=bool input=checkbox>",
    "</>",
    "<!!Органы дыхания pic=lungs>",
    "<Частота дыхания db=main field=resp type=int input=edit minvalue=5 maxvalue=60>",
    "</>",
};

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QStringList args = QApplication::arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "usage: velmora_entry_screenshots DATA_ROOT OUT_DIR\n";
        return 2;
    }
    outDir = args.at(2);
    QDir().mkpath(outDir);
    ScriptedDialogs dialogs;

    // The general examination of the demo data, through its generated description.
    ProgramEnvironment env;
    env.DataRoot = QDir(args.at(1)).absolutePath() + QStringLiteral("/");
    env.ProgramFolder = QStringLiteral(VELMORA_SOURCE_DIR "/");
    const KindList kinds = LoadKinds(env.DataRoot);
    const qsizetype kind = kinds.names.indexOf(QStringLiteral("Общий осмотр"));
    if (kind < 0) {
        QTextStream(stderr) << "no kind \"Общий осмотр\" in " << env.DataRoot << "\n";
        return 1;
    }
    env.KindSubfolder = kinds.folders.at(kind);
    env.MainDB = std::make_unique<TFolderDB>(env.KindFolder());
    TFolderDB& db = *env.MainDB;
    {
        THDView view(env, dialogs, nullptr);
        const int fresh = CreateProtocol(db, NextProtocolNumber(db), QStringLiteral("Новикова Дарья Сергеевна"));
        ShowProtocol(view, fresh);
        Save(view, QStringLiteral("entry_fresh"));
        view.close();

        const int half = CreateProtocol(db, NextProtocolNumber(db), QStringLiteral("Смирнова Ольга Викторовна"));
        db.Execute(QStringLiteral("update main set complaint='Слабость, головокружение, головная боль в течение трех "
                                  "дней', state=2, conscious=1, edema=0, temp=37.4, pulse=88 where code=%1")
                       .arg(half));
        ShowProtocol(view, half);
        Save(view, QStringLiteral("entry_half_filled"));
        ClickItem(view, QStringLiteral("Рост, см"));
        Type(QStringLiteral("16"));
        Save(view, QStringLiteral("entry_editing"));
        view.close();

        db.Execute(QStringLiteral("update main set temp=45, bp_sys=320 where code=%1").arg(half));
        ShowProtocol(view, half);
        ScrollTo(view, QStringLiteral("Температура тела, °C"));
        Save(view, QStringLiteral("entry_out_of_range"));
        view.close();
    }
    env.MainDB.reset();

    // A kind with groups: three columns, heading pictures, a check group and an open memo.
    DataRoot grouped;
    const QString folder = grouped.AddKind(QStringLiteral("Анкета"), 102, {});
    grouped.env.KindSubfolder = QStringLiteral("db/") + QDir(folder).dirName();
    grouped.env.MainDB = std::make_unique<TFolderDB>(folder);
    TFolderDB& gdb = *grouped.env.MainDB;
    gdb.Execute("create table main (code integer, fio char(100), compl memo, dt date, sympt char(100), "
                "pulse integer, edema integer, resp integer)");
    gdb.Execute("insert into main values (1, 'Петрова', '', '2024-03-01', '2|4|', 99999999, 0, 18)");
    gdb.Execute("create table sympt (code integer, name char(100))");
    const QStringList symptoms{"кашель", "одышка при нагрузке", "слабость", "боль в грудной клетке при глубоком вдохе",
                               "головная боль", "озноб"};
    for (int i = 0; i < symptoms.size(); ++i)
        gdb.Execute(QStringLiteral("insert into sympt values (%1, '%2')").arg(i + 1).arg(symptoms[i]));
    {
        THDView view(grouped.env, dialogs, nullptr);
        view.SetDescriptionSource([] { return kGrouped; });
        ShowProtocol(view, 1);
        ClickItem(view, QStringLiteral("Жалобы"));
        Type(QStringLiteral("Кашель с мокротой по утрам, "));
        Save(view, QStringLiteral("entry_memo"));
        view.close();
    }
    return 0;
}
