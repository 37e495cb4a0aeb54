// Closing the entry window while a value has not reached the protocol's row: the user learns
// which values and why before the window goes, and may stay to put them right.
#include "EntryWindowFixture.h"

namespace {

// The fixture's helpers, reachable from the case tables.
class EntryClosing : public EntryWindowTest {
public:
    using EntryWindowTest::Click;
    using EntryWindowTest::Cur;
    using EntryWindowTest::Key;
    using EntryWindowTest::MakeGroupedKind;
    using EntryWindowTest::Show;
    using EntryWindowTest::Type;
    using EntryWindowTest::ui;
    using EntryWindowTest::view;

    // "80" typed into "Пульс" of the generated kind after another user deleted the row.
    void TypePulseWithTheRowGone() {
        MakeGeneratedKind();
        Show();
        Exec("delete from main where code=5");
        Click(Cur(), QStringLiteral("Пульс"));
        Type("80");
    }
};

struct CloseWay {
    const char* how;
    bool asks;  // the window can still stay open
    std::function<void(EntryClosing&)> close;
};

struct Failure {
    const char* what;
    const char* item;
    // Sets up the kind and the shown window, then leaves the value not written.
    std::function<void(EntryClosing&)> make;
    const char* editorText;  // left in the open editor; null when no editor stays open
};

const CloseWay kWays[] = {
    {"close box", true, [](EntryClosing& t) { t.view->close(); }},
    {"Ok button", true,
     [](EntryClosing& t) { QTest::mouseClick(t.ui().Ok_BTN, Qt::LeftButton); }},
    {"hidden by its caller", false, [](EntryClosing& t) { t.view->hide(); }},
};

const Failure kFailures[] = {
    {"the row is gone while typing", "Пульс",
     [](EntryClosing& t) { t.TypePulseWithTheRowGone(); },
     "80"},
    {"an earlier save failed", "Пульс",
     [](EntryClosing& t) {
         t.TypePulseWithTheRowGone();
         t.Key(Qt::Key_Return);  // told in the notice; the editor moves on
         t.Click(t.Cur(), QStringLiteral("Состояние"), 5);  // no editor open at the end
     },
     nullptr},
    {"a bad date in the open editor", "Дата осмотра",
     [](EntryClosing& t) {
         t.MakeGroupedKind();
         t.Show();
         t.Click(t.Cur(), QStringLiteral("Дата осмотра"));
         t.Type("31-02-2024");
     },
     "31-02-2024"},
};

TEST_F(EntryClosing, WhatWasNotWrittenIsToldBeforeTheWindowGoes) {
    for (const Failure& failure : kFailures) {
        for (const CloseWay& way : kWays) {
            SCOPED_TRACE(std::string(failure.what) + ", " + way.how);
            TearDown();
            dialogs = ScriptedDialogs();
            failure.make(*this);
            const QString item = QString::fromUtf8(failure.item);
            auto told = [&](const QString& text) {
                return text.contains("Не записаны в протокол") && text.contains(item);
            };
            if (way.asks) {
                // The user stays: the window, the tree and the typed text are all still there.
                dialogs.answers = {false};
                way.close(*this);
                Settle();
                ASSERT_EQ(dialogs.questions.size(), 1u);
                EXPECT_TRUE(told(dialogs.questions.back())) << dialogs.questions.back().toStdString();
                EXPECT_TRUE(view->isVisible());
                ASSERT_NE(Session().Tree(), nullptr);
                if (failure.editorText) EXPECT_EQ(EditorText(), QString::fromUtf8(failure.editorText));
                // Then closes without them.
                dialogs.answers = {true};
                way.close(*this);
                Settle();
                EXPECT_EQ(dialogs.questions.size(), 2u);
                EXPECT_TRUE(dialogs.messages.empty()) << dialogs.MessageTexts().join(" | ").toStdString();
            } else {
                way.close(*this);
                Settle();
                EXPECT_TRUE(dialogs.questions.empty());
                ASSERT_EQ(dialogs.messages.size(), 1u);
                EXPECT_TRUE(told(dialogs.messages.back().text)) << dialogs.messages.back().text.toStdString();
            }
            EXPECT_FALSE(view->isVisible());
            EXPECT_EQ(Session().Tree(), nullptr);
        }
    }
}

TEST_F(EntryClosing, AValueThatFailedIsWrittenAtCloseWhenItCanBeAgain) {
    TypePulseWithTheRowGone();
    Key(Qt::Key_Return);
    Exec("insert into main (code, fio) values (5, 'Иванова')");  // the row is back
    QTest::mouseClick(ui().Ok_BTN, Qt::LeftButton);
    Settle();
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_FALSE(view->isVisible());
    EXPECT_EQ(Cell("pulse"), "80");
}

TEST_F(EntryClosing, AValuePutRightAfterStayingIsWrittenAndNotAskedAbout) {
    MakeGroupedKind();
    Show();
    Click(Cur(), QStringLiteral("Дата осмотра"));
    Type("31-02-2024");
    dialogs.answers = {false};
    view->close();
    Settle();
    ASSERT_TRUE(view->isVisible());
    ASSERT_NE(view->Editor(), nullptr);
    view->Editor()->selectAll();
    Type("01-03-2024");
    view->close();
    Settle();
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_FALSE(view->isVisible());
    EXPECT_EQ(Cell("dt"), "2024-03-01");
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.MessageTexts().join(" | ").toStdString();
}

}  // namespace
