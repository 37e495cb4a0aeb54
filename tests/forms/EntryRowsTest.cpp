// How the entry window's rows are measured and drawn, and that presses and editors land on
// what is drawn: heights from the layout's own numbers, pixels from the window's picture.
#include "EntryWindowFixture.h"

#include <QImage>
#include <QTemporaryDir>

#include "../QtPrinters.h"
#include "EntryPictures.h"
#include "TextMeasure.h"
#include "proc/Wrap.h"

namespace {

const QString kLongName = QStringLiteral("Очень длинное название показателя, которое не помещается в одну строку");
const QString kLongChoice = QStringLiteral("средней тяжести, с выраженными признаками интоксикации и обезвоживания");
const QString kLongSymptom = QStringLiteral("одышка при небольшой физической нагрузке и в покое");

const QStringList kRowsDescription{
    "<!!Осмотр органов и систем pic=general>",
    "<Пульс db=main field=pulse type=int input=edit minvalue=20 maxvalue=250>",
    "<Температура db=main field=temp type=float input=edit minvalue=34 maxvalue=43>",
    "<" + kLongName + " db=main field=note type=char input=edit>",
    "<Отеки db=main field=edema type=bool input=checkbox>",
    "<Состояние db=main field=state type=ref ref_db=state input=radio margin=6>",
    "<Симптомы db=main field=sympt type=refgroup ref_db=sympt input=checkgroup>",
    "<Заголовок type=group>",
    "<Без типа type=none>",
    "<Жалобы db=main field=compl type=text input=memo inputsize=4>",
    "</>",
    "<!!Прочее>",
    "<Диагноз db=main field=diag type=char input=edit>",
    "</>",
};

class EntryRows : public EntryWindowTest {
protected:
    void SetUp() override {
        folder = data.AddKind(QStringLiteral("Строки"), 103, {});
        data.env.KindSubfolder = QStringLiteral("db/") + QDir(folder).dirName();
        data.env.MainDB = std::make_unique<TFolderDB>(folder);
        Exec("create table main (code integer, fio char(100), pulse integer, temp double, note char(250), "
             "edema integer, state integer, sympt char(100), compl memo, diag char(100))");
        Exec(QStringLiteral("insert into main values (5, '', 300, 36.6, '%1', 1, 2, '1|3|', '%2', '')")
                 .arg(QString(60, u'ш') + QStringLiteral(" — и еще много слов о том, что было"), QString(170, u'ж')));
        Exec("create table state (code integer, name char(100))");
        const QStringList states{"удовлетворительное", kLongChoice, "тяжелое"};
        for (int i = 0; i < states.size(); ++i)
            Exec(QStringLiteral("insert into state values (%1, '%2')").arg(i + 1).arg(states[i]));
        Exec("create table sympt (code integer, name char(100))");
        const QStringList symptoms{"кашель", kLongSymptom, "слабость"};
        for (int i = 0; i < symptoms.size(); ++i)
            Exec(QStringLiteral("insert into sympt values (%1, '%2')").arg(i + 1).arg(symptoms[i]));
        description = kRowsDescription;
        Show();
        // Narrow enough for names and choices to wrap, at a width where the radio item's margin
        // decides how many lines its long choice takes: a painter or press mapping that forgot
        // the margin would disagree with these numbers.
        for (int width = 640; width > 480; --width) {
            const int w = (width - 20) / 3 - Look().listFrameWidth - Look().scrollBarWidth - 2;
            const int limit = w - (13 + 16 + 2) - 2;
            if (Lines(Look().value, kLongChoice, limit - 6) != Lines(Look().value, kLongChoice, limit)) {
                view->resize(width, 900);
                break;
            }
        }
        Settle();
        ASSERT_NE(view->width(), 760);
    }

    const EntryLook& Look() { return view->Painter().Look(); }
    int W(const EntryListWidget& list) { return list.width() - Look().listFrameWidth - Look().scrollBarWidth - 2; }
    static int Lines(const QFont& font, const QString& text, int limit) {
        const QFontMetrics fm(font);
        return CountLines([&](QStringView t) { return fm.horizontalAdvance(t.toString()); }, text, limit);
    }
    // The width a choice wraps to in the current list: a radio choice's text 2 pixels after its
    // box, a check group's 4 pixels after it and clear of the scroll bar.
    int ChoiceLimit(int w, int margin, bool tokens) {
        const int left = CheckWidth() + 16 + margin + (tokens ? 4 : 2);
        return w - left - 2 - (tokens ? Look().scrollBarWidth : 0);
    }
    int CheckWidth() { return QPixmap(QStringLiteral(VELMORA_SOURCE_DIR "/data/view_l_ch.jpg")).width(); }
};

// The heights the layout rules give, computed here on their own, against the rows the lists
// laid out. The current list is measured with the numbers the presses and editors are placed by.
TEST_F(EntryRows, RowHeightsFollowTheFormulas) {
    const EntryLook& l = Look();
    const int w = W(Cur());
    const int check = CheckWidth();
    ASSERT_EQ(check, 13);
    const int pic = QPixmap(QStringLiteral(VELMORA_SOURCE_DIR "/data/pics/general.jpg")).width();
    auto name = [&](const QString& text, int margin = 0) {
        return Lines(l.name, text, w - (10 + margin)) * l.nameLineHeight;
    };
    auto choices = [&](const QStringList& names, int margin, bool tokens = false) {
        int h = 0;
        for (const QString& n : names) h += Lines(l.value, n, ChoiceLimit(w, margin, tokens)) * l.valueLineHeight;
        return h;
    };
    const int v = l.valueLineHeight;
    const struct {
        const char* row;
        int height;
    } current[] = {
        {"Осмотр органов и систем", Lines(l.heading, "Осмотр органов и систем", w - (pic + 8) - 2) * l.headingLineHeight},
        {"Пульс", name("Пульс") + v},  // out of range: still one line
        {"Температура", name("Температура") + v},
        {"Очень длинное название показателя, которое не помещается в одну строку", name(kLongName) + v},
        {"Отеки", name("Отеки") + v},
        {"Состояние", name("Состояние", 6) + choices({"удовлетворительное", kLongChoice, "тяжелое"}, 6)},
        {"Симптомы", name("Симптомы") + choices({"кашель", kLongSymptom, "слабость"}, 0, true)},
        {"Заголовок", name("Заголовок")},
        {"Без типа", name("Без типа")},  // a value that nothing tells how to show
        {"Жалобы", name("Жалобы") + v},  // a text on one line in the current list
    };
    ASSERT_GT(Lines(l.name, kLongName, w - 10), 1);
    ASSERT_GT(Lines(l.value, kLongChoice, w - (check + 16 + 6 + 2) - 2), 1);
    for (const auto& c : current) {
        SCOPED_TRACE(c.row);
        const int row = RowOf(Cur(), QString::fromUtf8(c.row));
        ASSERT_GE(row, 0);
        EXPECT_EQ(Cur().RowRect(row).height(), c.height);
    }

    // The side lists: headings are centred on their first line; values are bold, cut at 150.
    const int ws = W(Entered());
    const QFont bold = l.valueBold;
    auto sideName = [&](const QString& text, int margin = 0) {
        return Lines(l.name, text, ws - 2 - (10 + margin)) * l.nameLineHeight;
    };
    const int xv = 18;
    const struct {
        const char* row;
        int height;
    } side[] = {
        {"Осмотр органов и систем",
         (l.headingLineHeight - l.headingTextHeight) / 2 + Lines(l.heading, "Осмотр органов и систем", ws - 28) * l.headingLineHeight},
        {"Пульс", sideName("Пульс") + v},
        {"Отеки", sideName("Отеки") + v},
        {"Состояние", sideName("Состояние", 6) + Lines(bold, kLongChoice, ws - (xv + 6)) * v},
        {"Симптомы", sideName("Симптомы") + Lines(bold, "кашель, слабость", ws - xv) * v},
        {"Жалобы", sideName("Жалобы") + Lines(bold, QString(150, u'ж') + " ...", ws - xv) * v},
        {"Без типа", sideName("Без типа")},  // "none" counts as entered, with nothing to show
    };
    for (const auto& c : side) {
        SCOPED_TRACE(c.row);
        const int row = RowOf(Entered(), QString::fromUtf8(c.row));
        ASSERT_GE(row, 0);
        EXPECT_EQ(Entered().RowRect(row).height(), c.height);
    }
    EXPECT_EQ(RowOf(Entered(), "Заголовок"), -1);  // holds no value
}

// A press anywhere on a choice's drawn lines picks that choice, also for a choice that wraps
// onto several lines and for an item with a margin.
TEST_F(EntryRows, ChoicesArePressedWhereTheyAreDrawn) {
    const EntryLook& l = Look();
    const struct {
        const char* item;
        QStringList names;
        int margin;
        bool tokens;
        QString column;
        QStringList after;  // the column after a press on the last line of choice 1, 2, 3
    } cases[] = {
        {"Состояние", {"удовлетворительное", kLongChoice, "тяжелое"}, 6, false, "state", {"1", "2", "3"}},
        {"Симптомы", {"кашель", kLongSymptom, "слабость"}, 0, true, "sympt", {"3|", "3|2|", "2|"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        if (c.tokens) {
            // A width where the check group's own wrapping width decides how many lines its
            // long choice takes: drawn or pressed at a radio choice's width, they would differ.
            for (int width = 640; width > 400; --width) {
                const int w = (width - 20) / 3 - l.listFrameWidth - l.scrollBarWidth - 2;
                if (Lines(l.value, kLongSymptom, ChoiceLimit(w, 0, true)) != Lines(l.value, kLongSymptom, ChoiceLimit(w, 0, false))) {
                    view->resize(width, 900);
                    break;
                }
            }
            Settle();
        }
        const int w = W(Cur());
        // The long choice wraps differently than at a plain radio choice's width without margin,
        // so a layout that forgot either would press the wrong choice here.
        ASSERT_NE(Lines(l.value, c.names[1], ChoiceLimit(w, c.margin, c.tokens)),
                  Lines(l.value, c.names[1], ChoiceLimit(w, 0, false)));
        const int row = RowOf(Cur(), QString::fromUtf8(c.item));
        const int nameHeight = Lines(l.name, QString::fromUtf8(c.item), w - 10 - c.margin) * l.nameLineHeight;
        int top = nameHeight;
        for (int i = 0; i < c.names.size(); ++i) {
            const int lines = Lines(l.value, c.names[i], ChoiceLimit(w, c.margin, c.tokens));
            Click(Cur(), row, top + lines * l.valueLineHeight - 2);  // the choice's last line
            EXPECT_EQ(Cell(c.column), c.after[i]) << "choice " << i + 1;
            top += lines * l.valueLineHeight;
        }
        EXPECT_EQ(Cur().RowRect(row).height(), top);
    }
}

// Heights are kept between rebuilds and showings; whatever changes what a row shows changes
// its height in the layout too.
TEST_F(EntryRows, RowsAreMeasuredAgainWhenWhatTheyShowChanges) {
    auto laidOutAsMeasured = [&](EntryListWidget& list, int row, bool current) {
        const int measured = current ? view->Painter().DrawCurrentItem(list, row, nullptr, {})
                                     : view->Painter().DrawSideItem(list, row, nullptr, {});
        EXPECT_EQ(list.RowRect(row).height(), measured);
        return measured;
    };
    const int before = laidOutAsMeasured(Entered(), RowOf(Entered(), kLongName), false);
    Click(Cur(), kLongName);
    Key(Qt::Key_End);
    Type(QStringLiteral(", и еще три строки текста о том, как это было, и что из этого вышло потом"));
    Key(Qt::Key_Return);
    EXPECT_GT(laidOutAsMeasured(Entered(), RowOf(Entered(), kLongName), false), before);
    laidOutAsMeasured(Cur(), RowOf(Cur(), kLongName), true);

    // A reference table changed between two showings: its choices are read and measured anew.
    const int radio = laidOutAsMeasured(Cur(), RowOf(Cur(), "Состояние"), true);
    const QSize size = view->size();
    view->close();
    Exec("update state set name='тяжелое, с нарушением сознания и дыхания, требует наблюдения' where code=3");
    Show();
    view->resize(size);
    Settle();
    EXPECT_GT(laidOutAsMeasured(Cur(), RowOf(Cur(), "Состояние"), true), radio);
}

TEST_F(EntryRows, EditorsOpenOverTheValueUnderTheName) {
    const EntryLook& l = Look();
    const int client = Cur().viewport()->width();
    const int row = RowOf(Cur(), kLongName);
    Click(Cur(), row);
    ASSERT_NE(view->Editor(), nullptr);
    const int nameHeight = Lines(l.name, kLongName, W(Cur()) - 10) * l.nameLineHeight;
    EXPECT_EQ(view->Editor()->geometry(),
              QRect(Cur().x() + 8, Cur().y() + Cur().RowRect(row).top() + nameHeight, client - 8, 24));
    EXPECT_EQ(view->Editor()->font().pixelSize(), 11);

    const int memoRow = RowOf(Cur(), "Жалобы");
    Click(Cur(), memoRow);
    ASSERT_NE(view->Memo(), nullptr);
    EXPECT_EQ(view->Memo()->geometry(),
              QRect(Cur().x(), Cur().y() + Cur().RowRect(memoRow).top() + l.nameLineHeight, client, 4 * l.valueLineHeight));
}

TEST_F(EntryRows, ThePressRectangleFollowsPressesInsideTheListOnly) {
    const int last = Cur().RowCount() - 1;
    const QRect lastRect = Cur().RowRect(last);
    const QPoint below(30, lastRect.bottom() + 10);
    ASSERT_LT(below.y(), Cur().viewport()->height());
    QTest::mouseClick(Cur().viewport(), Qt::LeftButton, {}, below);
    Settle();
    EXPECT_EQ(view->PressRect(), lastRect.translated(0, lastRect.height()));

    const int row = RowOf(Cur(), "Температура");
    Click(Cur(), row, 3);
    const QRect pressed = Cur().RowRect(row);
    EXPECT_EQ(view->PressRect(), pressed);
    // Presses on another list or on the window leave it as it was.
    Click(Entered(), 0);
    QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(view->width() / 2, view->height() - 3));
    Settle();
    EXPECT_EQ(view->PressRect(), pressed);
    // A press on the editor lying over the list counts: only the position decides.
    Click(Cur(), row, 3);
    ASSERT_NE(view->Editor(), nullptr);
    QTest::mouseClick(view->Editor(), Qt::LeftButton, {}, QPoint(5, 5));
    const QPoint onEditor = Cur().viewport()->mapFrom(view.get(), view->Editor()->geometry().topLeft() + QPoint(5, 5));
    EXPECT_EQ(view->PressRect(), Cur().RowRect(Cur().RowAt(onEditor)));
}

// The pixels: heading gradient, list colour, red values out of range and black ones in range.
TEST_F(EntryRows, ColoursOfTheRows) {
    const QImage image = Cur().viewport()->grab().toImage();
    const QRect heading = Cur().RowRect(0);
    const int cw = Cur().viewport()->width();
    EXPECT_EQ(QColor(image.pixel(0, heading.top() + 1)), QColor(249, 221, 170));
    EXPECT_EQ(QColor(image.pixel(cw - 1, heading.top() + 1)),
              QColor(249, 221 + 16 * (cw - 1) / cw, 170 + 33 * (cw - 1) / cw));
    EXPECT_EQ(QColor(image.pixel(cw - 3, Cur().RowRect(1).top() + 1)), QColor(252, 241, 211));

    auto redPixels = [&](const QString& name) {
        const QRect r = Cur().RowRect(RowOf(Cur(), name));
        int red = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = 0; x < cw; ++x) {
                const QColor c = image.pixel(x, y);
                if (c.red() > 200 && c.green() < 80 && c.blue() < 80) ++red;
            }
        return red;
    };
    EXPECT_GT(redPixels("Пульс"), 20);   // 300 with bounds 20 and 250
    EXPECT_EQ(redPixels("Температура"), 0);  // 36,6 lies between 34 and 43
}

TEST_F(EntryRows, AnOpenMemoHidesItsValueButNotItsRoom) {
    const int row = RowOf(Cur(), "Жалобы");
    auto darkPixelsUnderTheName = [&] {
        const QImage image = Cur().viewport()->grab().toImage();
        const QRect r = Cur().RowRect(row);
        int dark = 0;
        for (int y = r.top() + Look().nameLineHeight + 2; y <= r.bottom(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 100) ++dark;
        return dark;
    };
    const int height = Cur().RowRect(row).height();
    EXPECT_GT(darkPixelsUnderTheName(), 0);
    Click(Cur(), row);
    ASSERT_NE(view->Memo(), nullptr);
    EXPECT_EQ(darkPixelsUnderTheName(), 0);
    EXPECT_EQ(Cur().RowRect(row).height(), height);
}

// The lists measure a text as its characters' advances together; painting must put the
// characters there, so the sum must be the width the font itself gives the whole text.
TEST(TextMeasure, AgreesWithTheFontOnWholeTexts) {
    const EntryLook look = EntryLook::Measure(2, 17);
    const QStringList texts{"Yy", "Печень выступает из-под края реберной дуги, см", "АД систолическое, мм рт. ст.",
                            "WAVE Ty. fi fl", "0123456789 (мин.=20; макс.=250)", "ёЁ — «кавычки»", ""};
    for (const QFont& font : {look.heading, look.name, look.value, look.valueBold}) {
        const TextMeasure measure(font);
        const QFontMetrics metrics(font);
        for (const QString& text : texts) EXPECT_EQ(measure.Width(text), metrics.horizontalAdvance(text)) << text.toStdString();
    }
}

TEST(EntryPictures, TheCatalogueNamesFilesByTheirBaseNameAndReadsTheJpeg) {
    QTemporaryDir dir;
    QImage red(40, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(dir.filePath("Сердце.jpg"), "JPEG"));
    ASSERT_TRUE(QImage(5, 5, QImage::Format_RGB32).save(dir.filePath("Сердце.png"), "PNG"));
    ASSERT_TRUE(red.save(dir.filePath("noext"), "JPEG"));
    QDir(dir.path()).mkdir("folder.jpg");
    PictureCatalogue catalogue;
    catalogue.LoadFolder(dir.path());
    QStringList names;
    for (const auto& entry : catalogue.Entries()) names << entry.name;
    names.sort();
    EXPECT_EQ(names, (QStringList{"", "Сердце", "Сердце"}));
    for (const auto& entry : catalogue.Entries()) {
        if (!entry.name.isEmpty()) EXPECT_EQ(entry.picture.size(), QSize(40, 10));
    }
    ASSERT_NE(catalogue.Find("сердце"), nullptr);  // letter case ignored, Cyrillic too
    EXPECT_EQ(catalogue.Find("печень"), nullptr);
    // Read by its name: a PNG named .jpg stays empty, as a missing file does.
    QFile::copy(dir.filePath("Сердце.png"), dir.filePath("png.jpg"));
    EXPECT_TRUE(LoadPicture(dir.filePath("png.jpg")).isNull());
    EXPECT_TRUE(LoadPicture(dir.filePath("missing.jpg")).isNull());
    EXPECT_EQ(LoadPicture(dir.filePath("Сердце.jpg")).width(), 40);
}

}  // namespace
