#pragma once

// What the entry window tests share: a kind folder in a temporary data root, the window shown
// on one of its protocols, and the user's mouse and keys sent through the application as the
// platform would send them.

#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>

#include <memory>

#include "EntryListWidget.h"
#include "FormsFixture.h"
#include "InlineEditors.h"
#include "TFolderDB.h"
#include "THDView.h"
#include "binding/ProtocolSession.h"
#include "ui_THDView.h"

// A kind with groups, a memo, a date and a check group, which the catalogue cannot describe.
inline const QStringList kGroupedDescription{
    "<!!Жалобы pic=general>",
    "<Жалобы больного db=main field=compl type=text input=memo inputsize=3>",
    "<Дата осмотра db=main field=dt type=date input=edit>",
    "<Симптомы db=main field=sympt type=refgroup ref_db=sympt input=checkgroup>",
    "</>",
    "<!!Объективно pic=heart>",
    "<Пульс db=main field=pulse type=int input=edit minvalue=20 maxvalue=250>",
    "<Отеки db=main field=edema type=bool input=checkbox>",
    "</>",
    "<!!Заключение>",
    "<Диагноз db=main field=diag type=char input=edit>",
    "</>",
};

class EntryWindowTest : public ::testing::Test {
protected:
    static constexpr int kProtocol = 5;

    void TearDown() override {
        if (view) view->close();
        view.reset();
        data.env.MainDB.reset();
    }

    // The generated kind of the forms fixture (temperature, note, pulse, oedema, state) and a
    // whole number "Печень, см", with protocol 5 as a new protocol starts (numbers not
    // entered); assignments go into its row.
    void MakeGeneratedKind(const QString& assignments = {}, const QList<FieldSpec>& extra = {}) {
        QList<FieldSpec> fields = StandardFields();
        fields << FieldSpec{QStringLiteral("liver"), QStringLiteral("ordinal"), QStringLiteral("Печень, см"), 0, 0, {}};
        fields += extra;
        folder = data.AddKind(QStringLiteral("Общий осмотр"), 101, fields, {{kProtocol, QStringLiteral("Иванова")}});
        Attach();
        Exec(QStringLiteral("update main set temp=99999999, pulse=99999999, liver=99999999 where code=%1").arg(kProtocol));
        if (!assignments.isEmpty())
            Exec(QStringLiteral("update main set %1 where code=%2").arg(assignments).arg(kProtocol));
    }

    // A kind opened on kGroupedDescription (or lines) with its own main table.
    void MakeGroupedKind(const QString& assignments = {}, const QStringList& lines = kGroupedDescription) {
        folder = data.AddKind(QStringLiteral("Анкета"), 102, {});
        Attach();
        Exec("create table main (code integer, fio char(100), compl memo, dt date, sympt char(100), "
             "pulse integer, edema integer, diag char(200))");
        Exec(QStringLiteral("insert into main (code, fio, pulse, edema) values (%1, 'Петрова', 99999999, 0)").arg(kProtocol));
        Exec("create table sympt (code integer, name char(100))");
        const QStringList names{"кашель", "одышка", "слабость", "боль в груди", "головная боль", "тошнота",
                                "рвота", "озноб", "потливость", "сердцебиение", "головокружение"};
        for (int i = 0; i < names.size(); ++i)
            Exec(QStringLiteral("insert into sympt values (%1, '%2')").arg(i + 1).arg(names[i]));
        if (!assignments.isEmpty())
            Exec(QStringLiteral("update main set %1 where code=%2").arg(assignments).arg(kProtocol));
        description = lines;
    }

    void Exec(const QString& sql) { data.env.MainDB->Execute(sql); }

    // One cell of the protocol's row as text ("NULL" for NULL).
    QString Cell(const QString& column) {
        TMyQuerySlot slot;
        data.env.MainDB->OpenQuery(QStringLiteral("select %1 from main where code=%2").arg(column).arg(kProtocol),
                                   slot, false);
        if (slot->Query->RecordCount() == 0) return QStringLiteral("<no row>");
        const TDbField& f = slot->Query->Fields(0);
        return f.IsNull() ? QStringLiteral("NULL") : f.AsString();
    }

    // The window shown on the protocol, active, with its first paint done.
    void Show(int number = kProtocol) {
        if (!view) {
            view = std::make_unique<THDView>(data.env, dialogs, nullptr);
            if (!description.isEmpty()) view->SetDescriptionSource([this] { return description; });
        }
        view->ProtocolNumber = number;
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
        Settle();
    }

    // Lets posted moves, deferred rebuilds and queued messages run.
    static void Settle() {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }

    Ui::THDView& ui() { return view->Controls(); }
    EntryListWidget& Entered() { return *ui().Entered_LST; }
    EntryListWidget& Cur() { return *ui().Cur_LST; }
    EntryListWidget& Next() { return *ui().Next_LST; }
    ProtocolSession& Session() { return *view->Session(); }

    TNvDescriptorItem* ItemOf(const EntryListWidget& list, int row) { return Session().ItemOfRow(list.Row(row)); }
    // The row of the item named name; -1 when the list does not show it.
    int RowOf(const EntryListWidget& list, const QString& name) {
        for (int i = 0; i < list.RowCount(); ++i)
            if (const TNvDescriptorItem* item = ItemOf(list, i); item && item->Name == name) return i;
        return -1;
    }
    TNvDescriptorItem* Item(const QString& name) {
        for (TNvDescriptorItem* item = Session().Tree()->First(); item; item = item->NextInTree())
            if (item->Name == name) return item;
        return nullptr;
    }
    // The rows of a list as item names, headings with "+".
    QStringList Names(const EntryListWidget& list) {
        QStringList names;
        for (int i = 0; i < list.RowCount(); ++i)
            names << (list.Row(i).startsWith(u'+') ? QStringLiteral("+") : QString()) + ItemOf(list, i)->Name;
        return names;
    }

    // A click dy pixels below the top of the row (in view), 20 pixels from the list's left.
    void Click(EntryListWidget& list, int row, int dy = 2, Qt::MouseButton button = Qt::LeftButton) {
        list.scrollToItem(list.item(row));
        const QRect rect = list.RowRect(row);
        QTest::mouseClick(list.viewport(), button, {}, QPoint(20, rect.top() + dy));
        Settle();
    }
    void Click(EntryListWidget& list, const QString& name, int dy = 2) {
        const int row = RowOf(list, name);
        ASSERT_GE(row, 0) << name.toStdString();
        Click(list, row, dy);
    }
    void DoubleClick(EntryListWidget& list, int row) {
        const QPoint at(20, list.RowRect(row).top() + 2);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
        Settle();
    }

    // Typing and keys go to whatever holds the keyboard focus, as they would.
    static void Type(const QString& text) {
        // Character by character as the keyboard sends them (QTest knows Latin keys only).
        for (const QChar c : text) {
            QWidget* target = QApplication::focusWidget();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &release);
            Settle();
        }
    }
    static void Key(Qt::Key key) {
        QTest::keyClick(QApplication::focusWidget(), key);
        Settle();
    }

    QString EditorText() const {
        if (InlineEdit* edit = view->Editor()) return edit->text();
        if (InlineMemo* memo = view->Memo()) return memo->toPlainText();
        return QStringLiteral("<no editor>");
    }

    DataRoot data;
    ScriptedDialogs dialogs;
    QString folder;
    QStringList description;
    std::unique_ptr<THDView> view;

private:
    void Attach() {
        data.env.KindSubfolder = QStringLiteral("db/") + QDir(folder).dirName();
        data.env.MainDB = std::make_unique<TFolderDB>(folder);
    }
};
