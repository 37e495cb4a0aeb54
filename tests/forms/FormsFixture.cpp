#include "FormsFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QPushButton>

#include "Kinds.h"
#include "MainTable.h"
#include "TDBSelect.h"
#include "TFolderDB.h"
#include "ui_TDBSelect.h"

bool ScriptedDialogs::Ask(QWidget*, const QString& text) {
    questions.push_back(text);
    if (answers.empty()) return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

int ScriptedDialogs::Run(QDialog& dialog) {
    ++runs;
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    if (!steps.empty()) {
        const auto step = steps.front();
        steps.pop_front();
        step(dialog);
    }
    const int result = dialog.result();
    dialog.hide();
    return result;
}

QStringList ScriptedDialogs::MessageTexts() const {
    QStringList texts;
    for (const Said& said : messages) texts << said.text;
    return texts;
}

QString ScriptedDialogs::Take(std::deque<QString>& queue) {
    if (queue.empty()) return {};
    QString name = queue.front();
    queue.pop_front();
    return name;
}

DataRoot::DataRoot() {
    root = dir.path() + QStringLiteral("/");
    env.DataRoot = root;
    env.ProgramFolder = QStringLiteral(VELMORA_SOURCE_DIR "/");
    EnsureCatalogue(root);
}

QString DataRoot::AddKind(const QString& name, int signature, const QList<FieldSpec>& fields,
                          const QList<QPair<int, QString>>& protocols, bool withMainTable) {
    const QString folderName = QStringLiteral("%1").arg(0xA0 + ++kinds, 8, 16, QLatin1Char('0')).toUpper();
    const QString folder = root + QStringLiteral("db/") + folderName;
    QDir().mkpath(folder);
    TFolderDB db(folder);
    db.Execute(QStringLiteral("create table dbdescription (Fieldname char(10), Fieldtype char(10), Descript char(100), "
                              "FieldMin double, FieldMax double, FieldFile char(20))"));
    for (const FieldSpec& f : fields) {
        db.Execute(QStringLiteral("insert into dbdescription values ('%1', '%2', '%3', %4, %5, '%6')")
                       .arg(f.name, f.type, f.label)
                       .arg(f.min)
                       .arg(f.max)
                       .arg(f.file));
        if (!f.file.isEmpty() && !QFile::exists(folder + QStringLiteral("/") + f.file + QStringLiteral(".dbf"))) {
            db.Execute(QStringLiteral("create table %1 (code integer, name char(100))").arg(f.file));
            db.Execute(QStringLiteral("insert into %1 values (1, 'первый')").arg(f.file));
            db.Execute(QStringLiteral("insert into %1 values (2, 'второй')").arg(f.file));
        }
    }
    if (withMainTable || !protocols.isEmpty()) {
        bool created = false;
        CreateMainTable(folder, created);
        for (const auto& [code, fio] : protocols)
            db.Execute(QStringLiteral("insert into main (code, fio) values (%1, '%2')").arg(code).arg(SqlQuoted(fio)));
    }
    AppendKind(root, {name, signature}, folderName);
    return folder;
}

QList<FieldSpec> StandardFields() {
    return {{QStringLiteral("temp"), QStringLiteral("double"), QStringLiteral("Температура"), 34, 43, {}},
            {QStringLiteral("note"), QStringLiteral("string"), QStringLiteral("Примечание"), 0, 0, {}},
            {QStringLiteral("pulse"), QStringLiteral("numeric"), QStringLiteral("Пульс"), 20, 250, {}},
            {QStringLiteral("edema"), QStringLiteral("bool"), QStringLiteral("Отеки"), 0, 0, {}},
            {QStringLiteral("state"), QStringLiteral("enum"), QStringLiteral("Состояние"), 0, 0, QStringLiteral("state")}};
}

void TypeText(QWidget& widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&widget, &release);
    }
}

std::function<void(QDialog&)> ChooseKind(int i) {
    return [i](QDialog& dialog) {
        auto& select = dynamic_cast<TDBSelect&>(dialog);
        select.Controls().DB_CBX->setCurrentIndex(i);
        select.Controls().Ok_BTN->click();
    };
}
