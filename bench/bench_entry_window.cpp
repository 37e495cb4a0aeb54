// The entry window as the user waits for it, on a protocol of 300 fields (60 of them choices of
// ten rows each), against the model's own work in the same run:
// - from show() to the first paint of its lists, against opening the same protocol in the
//   binding alone (description, parse, reference counts, record, lists, first clicks);
// - a commit of one typed value, from the Enter key to the row's UPDATE on disk and the lists
//   rebuilt and painted, against the bare UPDATE statement.
// Medians of rounds taken in turns: the showing in CPU time (wall clock beside it), the commit
// on the wall clock (it waits for the disk like the user).
#include "BenchUtil.h"
#include "SilentDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

#include "EntryListWidget.h"
#include "InlineEditors.h"
#include "ProgramEnvironment.h"
#include "TFolderDB.h"
#include "THDView.h"
#include "UserDialogs.h"
#include "binding/ProtocolSession.h"
#include "ui_THDView.h"

namespace {

constexpr int kFields = 300;
constexpr int kMainColumns = 253;  // a main table holds code, fio and 253 more columns
constexpr int kReferenceRows = 10;
constexpr int kProtocol = 7;
constexpr int kOther = 8;  // shown in turns with kProtocol: no two showings in a row alike


// Every fifth field a choice with a table of its own; the others numbers, texts, check boxes.
struct Kind {
    QTemporaryDir dir;
    QString folder;

    Kind() {
        folder = dir.path() + QStringLiteral("/db/K");
        QDir().mkpath(folder);
        TFolderDB db(folder);
        TBatch batch(folder);
        db.Execute("create table dbdescription (Fieldname char(10), Fieldtype char(10), "
                   "Descript char(100), FieldMin double, FieldMax double, FieldFile char(20))");
        QString create = "create table main (code integer, fio char(100)";
        QString names = "code, fio", values = QStringLiteral("%1, 'Иванова Анна Петровна'").arg(kProtocol);
        QString other = QStringLiteral("%1, 'Петрова Мария Ивановна'").arg(kOther);
        for (int i = 0; i < kFields; ++i) {
            static const char* types[] = {"enum", "double", "string", "bool", "ordinal"};
            static const char* columns[] = {"integer", "double", "char(100)", "integer", "integer"};
            const char* type = types[i % 5];
            const QString name = QStringLiteral("f%1").arg(i);
            const QString file = i % 5 == 0 ? QStringLiteral("r%1").arg(i) : QString();
            db.Execute(QStringLiteral("insert into dbdescription values ('%1', '%2', 'Показатель номер %3 "
                                      "осмотра', 0, 300, '%4')").arg(name, type).arg(i).arg(file));
            if (!file.isEmpty()) {
                db.Execute("create table " + file + " (code integer, name char(40))");
                for (int r = 1; r <= kReferenceRows; ++r)
                    db.Execute(QStringLiteral("insert into %1 values (%2, 'Вариант ответа %2')").arg(file).arg(r));
            }
            if (i < kMainColumns) {
                create += QStringLiteral(", %1 %2").arg(name, columns[i % 5]);
                names += ", " + name;
                values += i % 5 == 2 ? QStringLiteral(", 'текст значения %1'").arg(i)
                                     : QStringLiteral(", %1").arg(i % 5 == 4 ? 99999999 : i % 3);
                other += i % 5 == 2 ? QStringLiteral(", 'другое значение, подлиннее, номер %1'").arg(i)
                                    : QStringLiteral(", %1").arg(i % 5 == 4 ? i : (i + 1) % 3);
            }
        }
        db.Execute(create + ")");
        db.Execute("insert into main (" + names + ") values (" + values + ")");
        db.Execute("insert into main (" + names + ") values (" + other + ")");
        batch.Commit();
    }
};

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};


void Key(QWidget* target, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    Kind kind;
    ProgramEnvironment env;
    env.ProgramFolder = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../");  // its pictures
    env.DataRoot = kind.dir.path() + QStringLiteral("/");
    env.KindSubfolder = QStringLiteral("db/K");
    env.MainDB = std::make_unique<TFolderDB>(kind.folder);
    SilentDialogs dialogs;
    THDView view(env, dialogs, nullptr);
    view.ProtocolNumber = kProtocol;
    PaintCounter painted;
    view.Controls().Cur_LST->viewport()->installEventFilter(&painted);

    std::printf("Showing protocols %d and %d in turns.\n", kProtocol, kOther);
    std::printf("The entry window on %d fields (%d choices of %d rows), against the model alone, same run\n",
                kFields, kFields / 5, kReferenceRows);
    int shown = 0;
    auto showOnce = [&] {
        painted.paints = 0;
        view.ProtocolNumber = shown++ % 2 ? kOther : kProtocol;
        view.show();
        while (painted.paints == 0) QApplication::processEvents();
        if (view.Controls().Cur_LST->RowCount() != kFields + 2) std::abort();  // heading, Ф.И.О., fields
    };
    auto openOnce = [&] {
        MemoryEntryList entered, current, next;
        MemoryShown frame;
        ProtocolSession session(*env.MainDB, env.InputTypes, EntryLists{entered, current, next, &frame});
        session.Open(kProtocol);
        if (current.RowCount() != kFields + 2) std::abort();
        session.Close();
    };
    std::vector<double> shows, opens, showWalls, openWalls;
    for (int r = 0; r < 3; ++r) {  // warm-up: page cache, fonts, the first layout
        showOnce();
        view.close();
        openOnce();
    }
    for (int r = 0; r < 21; ++r) {
        double wall = 0;
        shows.push_back(CpuNanos([&] { wall = WallNanos(showOnce); }));
        showWalls.push_back(wall);
        view.close();
        QApplication::processEvents();
        opens.push_back(CpuNanos([&] { wall = WallNanos(openOnce); }));
        openWalls.push_back(wall);
    }
    PrintRatio("show to first paint, against the binding's open", Median(shows), Median(opens), 2.0);
    std::printf("   (wall clock: %.0f us against %.0f us, ratio %.2f)\n", Median(showWalls) / 1000,
                Median(openWalls) / 1000, Median(showWalls) / Median(openWalls));

    // The commit: the editor open on a whole-number field, a digit typed, Enter.
    shown = 0;
    showOnce();
    EntryListWidget& cur = *view.Controls().Cur_LST;
    const int row = cur.IndexOf(QString::number(view.Session()->Tree()->First()->Children()->ItemAt(5)->Id()));
    const QString field = view.Session()->ItemOfRow(cur.Row(row))->GetAttr(QStringLiteral("field"));
    std::vector<double> commits, updates, commitCpus, updateCpus;
    for (int r = 0; r < 25; ++r) {
        cur.SetSelected(row);
        view.Cur_LSTClick();
        InlineEdit* edit = view.Editor();
        if (!edit) std::abort();
        edit->selectAll();
        const QString digit = QString::number(r % 9 + 1);
        Key(edit, Qt::Key(Qt::Key_0 + r % 9 + 1), digit);
        QApplication::processEvents();  // the user is slower than the event loop
        double wall = 0;
        commitCpus.push_back(CpuNanos([&] {
            wall = WallNanos([&] {
                Key(edit, Qt::Key_Return, QStringLiteral("\r"));
                QApplication::processEvents();  // the posted move: commit, UPDATE, rebuild, paint
            });
        }));
        commits.push_back(wall);
        TMyQuerySlot check;
        env.MainDB->OpenQuery(QStringLiteral("select %1 from main where code=%2").arg(field).arg(kProtocol), check, false);
        if (check->Query->Fields(0).AsString() != digit) std::abort();
        view.RemoveInlineEditors();
        updateCpus.push_back(CpuNanos([&] {
            wall = WallNanos([&] {
                env.MainDB->Execute(
                    QStringLiteral("update main set %1=%2 where code=%3").arg(field).arg(100 + r).arg(kProtocol));
            });
        }));
        updates.push_back(wall);
    }
    PrintRatio("commit of one value, against the bare UPDATE", Median(commits), Median(updates), 3.0);
    std::printf("   (CPU time: %.0f us against %.0f us, ratio %.2f)\n", Median(commitCpus) / 1000,
                Median(updateCpus) / 1000, Median(commitCpus) / Median(updateCpus));
    // Where the rest goes: the same commit in the binding alone (save, lists rebuilt, the move).
    {
        MemoryEntryList entered, current, next;
        MemoryShown frame;
        ProtocolSession session(*env.MainDB, env.InputTypes, EntryLists{entered, current, next, &frame});
        session.SetMetrics(view.Painter().Metrics(cur));
        session.Open(kProtocol);
        std::vector<double> model;
        for (int r = 0; r < 25; ++r) {
            current.SetSelected(row);
            session.CurrentListClick();
            model.push_back(WallNanos([&] { session.GotoCurrent(QString::number(r % 9 + 1)); }));
        }
        std::printf("   (the binding alone: %.0f us; the bare UPDATE: %.0f us)\n", Median(model) / 1000,
                    Median(updates) / 1000);
    }
    view.close();
    return 0;
}
