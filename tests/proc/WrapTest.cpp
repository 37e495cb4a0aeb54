#include "proc/Wrap.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <random>
#include <tuple>
#include <vector>

namespace {

constexpr int kCharWidth = 7;
constexpr int kFiveChars = 5 * kCharWidth;

// Every UTF-16 unit 7 px wide, so a surrogate pair is 14.
int FixedWidth(QStringView text) {
    return int(text.size()) * kCharWidth;
}

// As FixedWidth, but "W" is 20 px: lines of equal length differ in width.
int WideW(QStringView text) {
    int width = 0;
    for (QChar c : text) width += c == u'W' ? 20 : kCharWidth;
    return width;
}

QStringList Lines(const TextWidth& width, const QString& text, int limit) {
    QStringList lines;
    const int count = CountLines(width, text, limit);
    for (int i = 0; i < count; ++i) lines << WrapLine(width, text, i, limit);
    return lines;
}

struct WrapCase {
    const char* name;
    QString text;
    int limit;
    QStringList expected;
    int (*width)(QStringView) = FixedWidth;
};

void PrintTo(const WrapCase& c, std::ostream* os) {
    *os << c.name;
}

class WrapLines : public testing::TestWithParam<WrapCase> {};

TEST_P(WrapLines, BreaksAsExpected) {
    const WrapCase& c = GetParam();
    EXPECT_EQ(Lines(c.width, c.text, c.limit), c.expected);
    EXPECT_EQ(WrapLine(c.width, c.text, int(c.expected.size()), c.limit), QString());
}

const WrapCase kWrapCases[] = {
    {"Empty", QString(), kFiveChars, {}},
    {"BlanksOnly", QStringLiteral("  \t  "), kFiveChars, {}},
    {"BlanksWiderThanColumn", QString(12, u' '), kFiveChars, {}},
    {"FitsExactly", QStringLiteral("abcde"), kFiveChars, {QStringLiteral("abcde")}},
    {"BlankBreakIsTrimmed",
     QStringLiteral("abc de"),
     kFiveChars,
     {QStringLiteral("abc"), QStringLiteral("de")}},
    {"CommaStaysAtLineEnd",
     QStringLiteral("one,two three"),
     kFiveChars,
     {QStringLiteral("one,"), QStringLiteral("two"), QStringLiteral("three")}},
    {"HyphenStaysAtLineEnd",
     QStringLiteral("well-known"),
     kFiveChars,
     {QStringLiteral("well-"), QStringLiteral("known")}},
    {"QuestionAndExclamation",
     QStringLiteral("Why? Yes!"),
     kFiveChars,
     {QStringLiteral("Why?"), QStringLiteral("Yes!")}},
    {"OverflowingBlankStartsNextLine",
     QStringLiteral("abcde fgh"),
     kFiveChars,
     {QStringLiteral("abcde"), QStringLiteral("fgh")}},
    // A word wider than the column is split before the character that overflows.
    {"LongWord",
     QStringLiteral("abcdefghijkl"),
     kFiveChars,
     {QStringLiteral("abcde"), QStringLiteral("fghij"), QStringLiteral("kl")}},
    // The earlier break position belongs to the previous line and must not cut this one.
    {"LongWordAfterBreak",
     QStringLiteral("ab cdefghijk"),
     kFiveChars,
     {QStringLiteral("ab"), QStringLiteral("cdefg"), QStringLiteral("hijk")}},
    // Breaking after the leading blanks only would give an empty line hiding the rest.
    {"LeadingBlanksBeforeLongWord",
     QStringLiteral("   abcdefgh"),
     kFiveChars,
     {QStringLiteral("ab"), QStringLiteral("cdefg"), QStringLiteral("h")}},
    {"BlankRunBeforeLongWord",
     QStringLiteral("aaaa  bbbbbbbb"),
     kFiveChars,
     {QStringLiteral("aaaa"), QStringLiteral("bbbb"), QStringLiteral("bbbb")}},
    {"ZeroLimit",
     QStringLiteral("ab c"),
     0,
     {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}},
    {"NegativeLimit", QStringLiteral("ab"), -10, {QStringLiteral("a"), QStringLiteral("b")}},
    {"SurrogatePairsStayWhole",
     QStringLiteral("\U0001F600\U0001F600\U0001F600"),
     kFiveChars,
     {QStringLiteral("\U0001F600\U0001F600"), QStringLiteral("\U0001F600")}},
    {"CharacterWiderThanColumn",
     QStringLiteral("aWb"),
     15,
     {QStringLiteral("a"), QStringLiteral("W"), QStringLiteral("b")},
     WideW},
    {"WideCharacterAfterBreak",
     QStringLiteral("aaaa WW"),
     kFiveChars,
     {QStringLiteral("aaaa"), QStringLiteral("W"), QStringLiteral("W")},
     WideW},
    {"Cyrillic",
     QStringLiteral("Пульс ровный"),
     6 * kCharWidth,
     {QStringLiteral("Пульс"), QStringLiteral("ровный")}},
};

INSTANTIATE_TEST_SUITE_P(Texts, WrapLines, testing::ValuesIn(kWrapCases),
                         [](const auto& info) { return std::string(info.param.name); });

QString WithoutBlanks(QStringView text) {
    QString visible;
    for (QChar c : text)
        if (c.unicode() > 32) visible += c;
    return visible;
}

// Whatever the text and width: no empty line before the end, no character lost or repeated,
// and a line wider than the column only when it is a single character.
TEST(Wrap, RandomTextsKeepEveryCharacterInOrder) {
    const QString alphabet = QStringLiteral("ab .-,W\tЩ");
    std::mt19937 random(20240501);
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int length = int(random() % 40);
        for (int i = 0; i < length; ++i) text += alphabet[int(random() % alphabet.size())];
        for (int limit : {-1, 0, 6, 7, 20, 35, 60}) {
            const QStringList lines = Lines(WideW, text, limit);
            SCOPED_TRACE(testing::Message()
                         << "text [" << text.toStdString() << "] limit " << limit);
            for (const QString& line : lines) {
                ASSERT_FALSE(line.isEmpty());
                EXPECT_TRUE(WideW(line) <= limit || line.size() == 1) << line.toStdString();
            }
            EXPECT_EQ(WithoutBlanks(lines.join(QString())), WithoutBlanks(text));
        }
    }
}

TEST(Wrap, DrawWrappedPaintsEachLineOneStepLower) {
    std::vector<std::tuple<int, int, QString>> drawn;
    const DrawLineFn record = [&](int x, int y, const QString& line) {
        drawn.emplace_back(x, y, line);
    };
    const QString text = QStringLiteral("abc de");

    EXPECT_EQ(DrawWrapped(FixedWidth, 3, 10, text, kFiveChars, 12, false, record), 24);
    EXPECT_TRUE(drawn.empty()) << "measuring must not paint";

    EXPECT_EQ(DrawWrapped(FixedWidth, 3, 10, text, kFiveChars, 12, true, record), 24);
    const std::vector<std::tuple<int, int, QString>> expected = {{3, 10, QStringLiteral("abc")},
                                                                 {3, 22, QStringLiteral("de")}};
    EXPECT_EQ(drawn, expected);

    EXPECT_EQ(WrappedHeight(FixedWidth, text, kFiveChars, 12), 24);
    EXPECT_EQ(WrappedHeight(FixedWidth, QStringLiteral("   "), kFiveChars, 12), 0);
}

}  // namespace
