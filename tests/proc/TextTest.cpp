#include "proc/Text.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(TrimControl, StripsCodesUpToBlankAtBothEndsOnly) {
    struct Case {
        QString text;
        QString expected;
    };
    const Case cases[] = {
        {QString(), QString()},
        {QStringLiteral(" \t\r\n "), QString()},
        {QStringLiteral("  a  b \r\n"), QStringLiteral("a  b")},
        {QStringLiteral("\x01x\x1f"), QStringLiteral("x")},  // control codes go too
        {QString(1, QChar(0)) + QStringLiteral("x"), QStringLiteral("x")},
        {QStringLiteral("\u00A0x\u00A0"), QStringLiteral("\u00A0x\u00A0")},  // unlike trimmed()
        {QStringLiteral("\u0410 "), QStringLiteral("\u0410")},
    };
    for (const Case& c : cases) EXPECT_EQ(TrimControl(c.text), c.expected) << c.text.toStdString();
}

TEST(ParseInt, AcceptsSignedDecimalsWithBlanksAround) {
    struct Case {
        const char* text;
        std::optional<int> expected;
    };
    const Case cases[] = {
        {"42", 42},
        {"+5", 5},
        {"-7", -7},
        {" \t12\r", 12},
        {"007", 7},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"abc", std::nullopt},
        {"5 5", std::nullopt},
        {"1,000", std::nullopt},
        {"0x10", std::nullopt},
        {"2.5", std::nullopt},
        {"+", std::nullopt},
        {"99999999999", std::nullopt},
        {"-2147483648", -2147483647 - 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseInt(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(JoinPath, AddsOneSeparator) {
    EXPECT_EQ(JoinPath(QStringLiteral("/data/db"), QStringLiteral("main.dbf")),
              QStringLiteral("/data/db/main.dbf"));
    EXPECT_EQ(JoinPath(QStringLiteral("/data/db/"), QStringLiteral("main.dbf")),
              QStringLiteral("/data/db/main.dbf"));
    EXPECT_EQ(JoinPath(QStringLiteral("C:\\db\\"), QStringLiteral("main.dbf")),
              QStringLiteral("C:\\db\\main.dbf"));
    EXPECT_EQ(JoinPath(QString(), QStringLiteral("main.dbf")), QStringLiteral("main.dbf"));
}

}  // namespace
