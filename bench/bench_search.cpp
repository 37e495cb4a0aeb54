// The register search as the user waits for it: from the search timer firing to the grid's
// model holding the rows, on 100,000 protocols, against the bare statement run through the
// engine in the same run (the search adds the model's reset and the view's bookkeeping).
#include "BenchUtil.h"
#include "SilentDialogs.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>

#include "MainTable.h"
#include "ProgramEnvironment.h"
#include "ProgramWindows.h"
#include "RegisterModel.h"
#include "TFolderDB.h"
#include "TMain.h"
#include "UserDialogs.h"
#include "ui_TMain.h"

namespace {

constexpr int kProtocols = 100000;

const char* kSurnames[] = {"Иванова", "Петрова", "Сидорова", "Кузнецова", "Смирнова",
                           "Попова", "Васильева", "Новикова", "Морозова", "Волкова"};


void MakeKind(const QString& folder) {
    QDir().mkpath(folder);
    TFolderDB db(folder);
    db.Execute("create table dbdescription (Fieldname char(10), Fieldtype char(10), Descript char(100), "
               "FieldMin double, FieldMax double, FieldFile char(20))");
    db.Execute("insert into dbdescription values ('temp', 'double', 'Температура', 34, 43, '')");
    db.Execute("insert into dbdescription values ('note', 'string', 'Примечание', 0, 0, '')");
    bool created = false;
    CreateMainTable(folder, created);
    TBatch batch(folder);
    constexpr int kChunk = 500;
    for (int first = 1; first <= kProtocols; first += kChunk) {
        QStringList rows;
        for (int code = first; code < first + kChunk && code <= kProtocols; ++code)
            rows << QStringLiteral("(%1, '%2 %3', 99999999)").arg(code).arg(QString::fromUtf8(kSurnames[code % 10])).arg(code);
        db.Execute("insert into main (code, fio, temp) values " + rows.join(", "));
    }
    batch.Commit();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    ProgramEnvironment env;
    env.DataRoot = dir.path() + "/";
    env.KindSubfolder = "db/00000001";
    MakeKind(env.KindFolder());

    SilentDialogs dialogs;
    ProgramWindows windows;
    TMain main(env, windows, dialogs);
    if (!main.OpenKind()) return 1;
    QLineEdit& number = *main.Controls().DHNum_TXT;
    QLineEdit& name = *main.Controls().Fam_TXT;
    RegisterModel& model = main.GridModel();
    TFolderDB db(env.KindFolder());
    TMyQuerySlot bare;

    struct Case {
        const char* what;
        const char* number;
        const char* name;
        const char* sql;
        int rows;
    };
    const Case cases[] = {
        {"list all, 100000 rows", "", "", "select code, fio from main order by code desc", kProtocols},
        {"name fragment, 10000 rows", "", "Петрова",
         "select code, fio from main where fio like '%Петрова%' order by code desc", kProtocols / 10},
        {"number, 1 row", "54321", "", "select code, fio from main where code=54321 order by code desc", 1},
    };
    for (const Case& c : cases) {
        number.setText(QString::fromUtf8(c.number));
        name.setText(QString::fromUtf8(c.name));
        const int calls = c.rows > 1 ? 1 : 50;
        const double ours = MedianNanos(7, calls, [&](int) {
            main.Filter_TMRTimer();
            if (model.rowCount() != c.rows) std::fprintf(stderr, "%s: %d rows\n", c.what, model.rowCount());
        });
        const double reference = MedianNanos(7, calls, [&](int) {
            db.OpenQuery(QString::fromUtf8(c.sql), bare, false);
            if (bare->Query->RecordCount() != c.rows) std::fprintf(stderr, "%s: bare %d rows\n", c.what, bare->Query->RecordCount());
        });
        PrintRatio((std::string("search to grid: ") + c.what).c_str(), ours, reference, 1.5);
    }
    return 0;
}
