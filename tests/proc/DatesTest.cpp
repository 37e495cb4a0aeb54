#include "proc/Dates.h"

#include <gtest/gtest.h>

namespace {

struct DateCase {
    const char* text;
    bool ok;
    int day = 0;
    int month = 0;
    int year = 0;
};

class ParseDateCases : public testing::TestWithParam<DateCase> {};

TEST_P(ParseDateCases, ReadsOrRefuses) {
    const DateCase& c = GetParam();
    const ParsedDate date = ParseDate(QString::fromUtf8(c.text));
    ASSERT_EQ(date.ok, c.ok) << c.text;
    if (!c.ok) return;
    EXPECT_EQ(date.day, c.day);
    EXPECT_EQ(date.month, c.month);
    EXPECT_EQ(date.year, c.year);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseDateCases,
    testing::Values(
        // two-digit years are this century, larger ones are taken as written
        DateCase{"1-2-05", true, 1, 2, 2005}, DateCase{"31-12-99", true, 31, 12, 2099},
        DateCase{"1-1-100", true, 1, 1, 100}, DateCase{"01-02-2005", true, 1, 2, 2005},
        DateCase{"7-7-12345", true, 7, 7, 12345},
        // each separator, and the order in which one is chosen
        DateCase{"05.03.2024", true, 5, 3, 2024}, DateCase{"12/05/2024", true, 12, 5, 2024},
        DateCase{"1-2/3/2024", false}, DateCase{"1.2/3/2024", false}, DateCase{"1/2.3-2024", false},
        // month lengths and leap years
        DateCase{"31-01-2024", true, 31, 1, 2024}, DateCase{"31-04-2024", false},
        DateCase{"30-04-2024", true, 30, 4, 2024}, DateCase{"29-02-2000", true, 29, 2, 2000},
        DateCase{"29-02-1900", false}, DateCase{"29-02-2024", true, 29, 2, 2024},
        DateCase{"29-02-2023", false}, DateCase{"29-02-04", true, 29, 2, 2004},
        // ranges
        DateCase{"0-1-2024", false}, DateCase{"32-1-2024", false}, DateCase{"1-0-2024", false},
        DateCase{"1-13-2024", false},
        // each part must be a whole decimal number; blanks around it are allowed
        DateCase{" 1 - 2 - 2024 ", true, 1, 2, 2024}, DateCase{"+1/+2/+24", true, 1, 2, 2024},
        DateCase{"1-2-2024-", false}, DateCase{"1-2", false}, DateCase{"--", false},
        DateCase{"a-2-2024", false}, DateCase{"1-2-20x4", false}, DateCase{"1.5-2-2024", false},
        DateCase{"1/2/-5", true, 1, 2, 1995},  // below 100, so 2000 is added
        DateCase{"", false}, DateCase{"12052024", false}));

TEST(IsDatePrefix, AcceptsWhatCanStillBecomeADate) {
    struct Case {
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        {"", true},
        {"1", true},
        {"32", true},
        {"31-", true},
        {"32-", false},
        {"0-", false},
        {"123", false},
        {"-", false},
        {"01-13", true},
        {"01-12-", true},
        {"01-13-", false},
        {"01-00-", false},
        {"1--", false},
        {"12-05-2024", true},
        {"12-05-20245", false},
        {"12-05-2024/", false},
        {"12-05-2024-", false},
        {"12/05/2024", true},
        {"12/05-", false},
        {"12-05/", false},
        {"05.03.2024", false},
        {"1 ", false},
        {"a", false},
        {"\xd9\xa5", false},  // a digit, but not an ASCII one
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsDatePrefix(QString::fromUtf8(c.text)), c.accepted) << '"' << c.text << '"';
}

// Every prefix of a date typed with "-" or "/" must pass the filter, or it could not be typed.
TEST(IsDatePrefix, EveryPrefixOfAValidDateIsAccepted) {
    for (const char* date : {"01-02-2005", "1-2-05", "31/12/1999", "29-02-2000"}) {
        const QString text = QString::fromLatin1(date);
        ASSERT_TRUE(ParseDate(text).ok) << date;
        for (qsizetype n = 0; n <= text.size(); ++n)
            EXPECT_TRUE(IsDatePrefix(text.first(n))) << text.first(n).toStdString();
    }
}

}  // namespace
