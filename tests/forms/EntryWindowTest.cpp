// The entry window's showing, layout and moves between groups, driven through its controls.
#include "EntryWindowFixture.h"

#include <QScreen>
#include <QWheelEvent>

#include "../QtPrinters.h"
#include "Program.h"
#include "TFullText.h"
#include "TMain.h"
#include "ui_TFullText.h"
#include "ui_TMain.h"

namespace {

QPoint CentreFor(const QSize& size) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return {screen.left() + (screen.width() - size.width()) / 2, screen.top() + (screen.height() - size.height()) / 2};
}

TEST_F(EntryWindowTest, OpensCentredAtItsSizeOnTheChosenProtocol) {
    MakeGeneratedKind("temp=36.6");
    Show();
    EXPECT_EQ(view->windowTitle(), QStringLiteral("Протокол №5"));
    EXPECT_EQ(view->size(), QSize(760, 550));
    EXPECT_EQ(view->frameGeometry().topLeft(), CentreFor(QSize(760, 550)));
    // The generated description is one group: it is the current group, nothing is next.
    EXPECT_EQ(Names(Cur()), (QStringList{"+Данные обследования", "Ф.И.О.", "Температура", "Примечание", "Пульс",
                                         "Отеки", "Состояние", "Печень, см"}));
    EXPECT_TRUE(Next().isHidden());
    EXPECT_TRUE(ui().Next_BVL->isHidden());
    EXPECT_TRUE(ui().Title3_LBL->isHidden());
    EXPECT_TRUE(ui().Cancel_BTN->isHidden());
    // The entered list starts with its first group expanded.
    EXPECT_EQ(Names(Entered()), (QStringList{"+Данные обследования", "Ф.И.О.", "Температура", "Отеки"}));

    // Whatever the user did to the window, the next showing starts afresh.
    view->resize(900, 640);
    view->move(3, 4);
    view->close();
    Show();
    EXPECT_EQ(view->size(), QSize(760, 550));
    EXPECT_EQ(view->frameGeometry().topLeft(), CentreFor(QSize(760, 550)));
}

// Where the controls stand for a client size, in two columns or three.
struct Placement {
    QRect entered, current, next, bevel1, bevel2, nextBevel, ok;
    int title2Left = 0, title3Left = 0, cancelTop = 0;
};

Placement Expected(int CW, int CH, bool three) {
    Placement p;
    const int h = CH - 56;
    const int w = (CW - 20) / (three ? 3 : 2);
    p.entered = {6, 22, w, h};
    p.bevel1 = {8, 12, w - 8, 21};
    if (three) {
        p.current = {w + 10, 22, w, h};
        p.title2Left = w + 20;
        p.bevel2 = {w + 14, 12, w - 8, 21};
        p.next = {2 * w + 14, 22, w, h};
        p.title3Left = 2 * w + 24;
        p.nextBevel = {2 * w + 18, 12, w - 8, 21};
    } else {
        p.current = {w + 14, 22, w, h};
        p.title2Left = w + 28;
        p.bevel2 = {w + 22, 12, w - 8, 21};
    }
    p.ok = {5, CH - 27, CW - 10, 23};
    p.cancelTop = CH - 27;
    return p;
}

TEST_F(EntryWindowTest, ColumnsArePlacedForEverySize) {
    const struct {
        bool grouped;  // three top-level groups: three columns
        QSize size;
    } cases[] = {
        {false, {760, 550}}, {false, {1001, 703}}, {false, {601, 480}},
        {true, {760, 550}},  {true, {1001, 703}},  {true, {602, 481}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.grouped ? "three columns " : "two columns ") << c.size.width()
                                        << "x" << c.size.height());
        TearDown();
        if (c.grouped) MakeGroupedKind(); else MakeGeneratedKind();
        Show();
        view->resize(c.size);
        Settle();
        ASSERT_EQ(view->size(), c.size);
        const Placement p = Expected(c.size.width(), c.size.height(), c.grouped);
        EXPECT_EQ(Entered().geometry(), p.entered);
        EXPECT_EQ(Cur().geometry(), p.current);
        EXPECT_EQ(ui().Bevel1->geometry(), p.bevel1);
        EXPECT_EQ(ui().Bevel2->geometry(), p.bevel2);
        EXPECT_EQ(ui().Title2_LBL->x(), p.title2Left);
        EXPECT_EQ(ui().Ok_BTN->geometry(), p.ok);
        EXPECT_EQ(ui().Cancel_BTN->y(), p.cancelTop);
        for (QWidget* fixed : {static_cast<QWidget*>(ui().Title1_LBL), static_cast<QWidget*>(ui().Title2_LBL)})
            EXPECT_EQ(fixed->y(), 4);
        EXPECT_EQ(ui().Title1_LBL->x(), 12);
        EXPECT_EQ(ui().Title3_LBL->isHidden(), !c.grouped);
        if (c.grouped) {
            EXPECT_EQ(Next().geometry(), p.next);
            EXPECT_EQ(ui().Next_BVL->geometry(), p.nextBevel);
            EXPECT_EQ(ui().Title3_LBL->x(), p.title3Left);
        }
        // The rows were measured again for the new widths.
        const int last = Cur().RowCount() - 1;
        EXPECT_EQ(Cur().RowRect(last).height(), view->Painter().DrawCurrentItem(Cur(), last, nullptr, {}));
    }
}

TEST_F(EntryWindowTest, AProtocolWhoseGroupsAreAllCompleteOpensOnTheFirstGroup) {
    MakeGroupedKind("compl='кашель', dt='2024-03-01', sympt='1|', pulse=70, edema=1, diag='ОРВИ'");
    Show();
    EXPECT_EQ(Next().RowCount(), 0);
    EXPECT_TRUE(Next().isHidden());
    EXPECT_TRUE(ui().Next_BVL->isHidden());
    EXPECT_FALSE(ui().Title3_LBL->isHidden());  // the description still has three groups
    EXPECT_EQ(Session().CurGroup(), Session().Tree()->First());
    EXPECT_EQ(Names(Cur()), (QStringList{"+Жалобы", "Жалобы больного", "Дата осмотра", "Симптомы"}));
    EXPECT_EQ(Names(Entered()), (QStringList{"+Жалобы", "Жалобы больного", "Дата осмотра", "Симптомы",
                                             "+Объективно", "+Заключение"}));
}

TEST_F(EntryWindowTest, TheEnteredListUnfoldsTheClickedGroupAndFoldsTheOthers) {
    MakeGroupedKind("compl='кашель', pulse=70");
    Show();
    EXPECT_EQ(Names(Entered()), (QStringList{"+Жалобы", "Жалобы больного", "+Объективно"}));
    for (int i = 0; i < 2; ++i) {  // a second click leaves it unfolded
        Click(Entered(), QStringLiteral("Объективно"));
        EXPECT_EQ(Names(Entered()), (QStringList{"+Жалобы", "+Объективно", "Пульс", "Отеки"}));
        EXPECT_EQ(Entered().Selected(), 1);
    }
    Click(Entered(), QStringLiteral("Жалобы"));
    EXPECT_EQ(Names(Entered()), (QStringList{"+Жалобы", "Жалобы больного", "+Объективно"}));
    EXPECT_EQ(Names(Cur()).first(), "+Жалобы");  // unfolding moves no work
}

TEST_F(EntryWindowTest, ADoubleClickMakesTheClickedLinesGroupTheCurrentOne) {
    MakeGroupedKind("compl='кашель', pulse=70");
    Show();
    view->resize(760, 250);
    Settle();
    Cur().SetTopIndex(2);
    Click(Entered(), QStringLiteral("Объективно"));
    DoubleClick(Entered(), RowOf(Entered(), "Отеки"));
    EXPECT_EQ(Session().CurGroup(), Item("Объективно"));
    EXPECT_EQ(Names(Cur()), (QStringList{"+Объективно", "Пульс", "Отеки"}));
    EXPECT_EQ(Cur().TopIndex(), 0);
    EXPECT_EQ(Names(Next()), (QStringList{"+Жалобы", "+Заключение"}));
    // The next list takes the work elsewhere again.
    Click(Next(), QStringLiteral("Заключение"));
    EXPECT_EQ(Names(Cur()), (QStringList{"+Заключение", "Диагноз"}));
}

TEST_F(EntryWindowTest, TheWheelScrollsTheCurrentListOneLineAtATime) {
    MakeGroupedKind();
    Show();
    view->resize(760, 200);
    Settle();
    ASSERT_GT(Cur().verticalScrollBar()->maximum(), 1);
    auto wheel = [&](int delta, bool sideways = false) {
        const QPoint at(20, 20);
        const QPoint turn = sideways ? QPoint(delta, 0) : QPoint(0, delta);
        QWheelEvent event(at, Cur().viewport()->mapToGlobal(at), QPoint(), turn, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Cur().viewport(), &event);
        Settle();
        return Cur().TopIndex();
    };
    EXPECT_EQ(wheel(120), 0);  // away from the user at the top: nothing changes
    EXPECT_EQ(wheel(-120), 1);
    EXPECT_EQ(wheel(-960), 2);  // one line whatever the distance
    EXPECT_EQ(wheel(120), 1);
    EXPECT_EQ(wheel(120, true), 1);  // a tilt sideways moves no row
    EXPECT_EQ(wheel(-120, true), 1);

    // An editor is written and closed before its row moves away under it.
    Click(Cur(), QStringLiteral("Дата осмотра"));
    Type("01-02-2024");
    wheel(-120);
    EXPECT_EQ(view->Editor(), nullptr);
    EXPECT_EQ(Cell("dt"), "2024-02-01");
}

TEST_F(EntryWindowTest, AnEnteredValueOverOneHundredFiftyCharactersOpensTheViewer) {
    for (const int length : {150, 151}) {
        SCOPED_TRACE(length);
        TearDown();
        const QString value = QString(length - 1, u'я') + u'!';
        MakeGroupedKind(QStringLiteral("diag='%1'").arg(value));
        Show();
        Click(Entered(), QStringLiteral("Заключение"));
        const int runs = dialogs.runs;
        QString caption, shown;
        dialogs.steps.push_back([&](QDialog& dialog) {
            auto& viewer = dynamic_cast<TFullText&>(dialog);
            caption = viewer.Controls().FieldName_LBL->text();
            shown = viewer.Controls().FieldText_TXT->toPlainText();
            viewer.Controls().Close_BTN->click();
        });
        Click(Entered(), QStringLiteral("Диагноз"));
        if (length > 150) {
            EXPECT_EQ(dialogs.runs, runs + 1);
            EXPECT_EQ(caption, "Диагноз");
            EXPECT_EQ(shown, value);
        } else {
            EXPECT_EQ(dialogs.runs, runs);
            dialogs.steps.clear();
        }
        EXPECT_TRUE(view->isVisible());
    }
}

TEST_F(EntryWindowTest, TheRegisterWindowOpensProtocolsInIt) {
    folder = data.AddKind(QStringLiteral("Общий осмотр"), 101, StandardFields(), {{3, QStringLiteral("Иванова")}});
    Program program(data.env, dialogs);
    dialogs.steps.push_back(ChooseKind(0));
    TMain& main = program.Main();
    main.show();
    QString title;
    dialogs.steps.push_back([&](QDialog& dialog) {
        auto& entry = dynamic_cast<THDView&>(dialog);
        title = entry.windowTitle();
        EntryListWidget& cur = *entry.Controls().Cur_LST;
        for (int row = 0; row < cur.RowCount(); ++row)
            if (entry.Session()->ItemOfRow(cur.Row(row))->Name == u"Пульс") {
                cur.SetSelected(row);
                entry.Cur_LSTClick();
            }
        ASSERT_NE(entry.Editor(), nullptr);
        QTest::keyClicks(entry.Editor(), "64");
        entry.Controls().Ok_BTN->click();
    });
    main.Controls().Open_BTN->click();
    EXPECT_EQ(title, QStringLiteral("Протокол №3"));
    TMyQuerySlot row;
    data.env.MainDB->OpenQuery("select pulse from main where code=3", row, false);
    EXPECT_EQ(row->Query->Fields(0).AsInteger(), 64);
    main.close();
}

}  // namespace
