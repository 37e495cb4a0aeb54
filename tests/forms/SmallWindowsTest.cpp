// The full-text viewer, the debug log and the about box.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "../QtPrinters.h"
#include "FormsFixture.h"
#include "TAbout.h"
#include "TDebug.h"
#include "TFullText.h"
#include "ui_TAbout.h"
#include "ui_TDebug.h"
#include "ui_TFullText.h"

namespace {

TEST(FullText, ShowsTheCaptionAndTheWholeValueReadOnlyAndAnewEachTime) {
    ProgramEnvironment env;
    TFullText viewer(env, nullptr);
    viewer.FieldCaption = QStringLiteral("Жалобы");
    viewer.FieldValue = QStringLiteral("первая строка\nвторая строка ") + QString(160, QChar(u'ж'));
    viewer.show();
    EXPECT_EQ(viewer.Controls().FieldName_LBL->text(), QStringLiteral("Жалобы"));
    QPlainTextEdit& text = *viewer.Controls().FieldText_TXT;
    EXPECT_EQ(text.toPlainText(), viewer.FieldValue);
    EXPECT_EQ(text.document()->blockCount(), 2);
    EXPECT_TRUE(text.isReadOnly());
    EXPECT_TRUE(text.textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_EQ(viewer.size(), QSize(437, 229));

    viewer.Controls().Close_BTN->click();
    EXPECT_EQ(viewer.result(), QDialog::Accepted);
    EXPECT_FALSE(viewer.isVisible());
    viewer.FieldValue = QStringLiteral("короткий");
    viewer.show();
    EXPECT_EQ(text.toPlainText(), QStringLiteral("короткий"));
}

TEST(DebugLog, ClearEmptiesTheMemo) {
    TDebug debug;
    EXPECT_EQ(debug.Controls().Memo->toPlainText(), QStringLiteral("Memo"));
    debug.Append(QStringLiteral("строка"));
    debug.Controls().Clear_BTN->click();
    EXPECT_TRUE(debug.Controls().Memo->toPlainText().isEmpty());
    EXPECT_EQ(debug.windowTitle(), QStringLiteral("Debug"));
}

TEST(About, LinksOpenTheWebPageAndAMailAndCloseCloses) {
    ProgramEnvironment env;
    env.ProgramFolder = QStringLiteral(VELMORA_SOURCE_DIR "/");
    ScriptedDialogs dialogs;
    TAbout about(env, dialogs, nullptr);
    about.show();
    EXPECT_EQ(about.windowTitle(), QStringLiteral("О программе"));
    EXPECT_EQ(about.size(), QSize(499, 285));
    EXPECT_FALSE(about.Controls().Logo_IMG->pixmap().isNull());
    for (QLabel* link : {about.Controls().Label3, about.Controls().Label11, about.Controls().Label12})
        QTest::mouseClick(link, Qt::LeftButton);
    ASSERT_EQ(dialogs.urls.size(), 3u);
    EXPECT_EQ(dialogs.urls[0], QUrl("https://example.org"));
    EXPECT_EQ(dialogs.urls[1], QUrl("mailto:support@example.org"));
    EXPECT_EQ(dialogs.urls[2], QUrl("https://example.org"));
    about.Controls().Close_BTN->click();
    EXPECT_FALSE(about.isVisible());
}

}  // namespace
