#include "proc/RandomHexName.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

// The run-time library's rand() from an unseeded start (seed 1), worked out by hand.
constexpr int kFirstDraws[] = {346, 130, 10982, 1090, 11656, 7117};

// Tick counts 1, 2, 3, ... so each group shows which draw and which tick it was made from.
TickSource CountingTicks() {
    return [tick = 0u]() mutable { return ++tick; };
}

TickSource ConstantTicks(uint32_t value) {
    return [value] { return value; };
}

TEST(RunTimeRandom, ReproducesTheRunTimeSequenceFromSeedOne) {
    RunTimeRandom random;
    for (int expected : kFirstDraws) EXPECT_EQ(random.Next(), expected);
}

struct HexCase {
    int count;
    const char* expected;
    int draws;  // numbers taken from the generator
};

class RandomHexNameDraws : public testing::TestWithParam<HexCase> {};

TEST_P(RandomHexNameDraws, WritesFullGroupsThenAPrefixOfOneMore) {
    const HexCase& c = GetParam();
    RunTimeRandom random(1);
    EXPECT_EQ(RandomHexName(c.count, random, CountingTicks()), QString::fromLatin1(c.expected));
    EXPECT_EQ(random.Next(), kFirstDraws[c.draws]) << "the extra group must always be drawn";
}

// 346 * 1 = 0x15A, 130 * 2 = 0x104, 10982 * 3 = 0x80B2.
INSTANTIATE_TEST_SUITE_P(Counts, RandomHexNameDraws,
                         testing::Values(HexCase{0, "", 1}, HexCase{3, "000", 1},
                                         HexCase{8, "0000015A", 2}, HexCase{11, "0000015A000", 2},
                                         HexCase{16, "0000015A00000104", 3}, HexCase{-5, "", 1}));

TEST(RandomHexName, ProductWrapsAtThirtyTwoBitsAndIsUpperCase) {
    RunTimeRandom random(1);
    EXPECT_EQ(RandomHexName(8, random, ConstantTicks(0xFFFFFFFFu)), QStringLiteral("FFFFFEA6"));
    random.SetSeed(1);
    EXPECT_EQ(RandomHexName(16, random, ConstantTicks(123456789u)),
              QStringLiteral("F2132E62BC9E24AA"));
}

TEST(RandomHexName, ShortFormDrawsFromTheProcessGenerator) {
    RunTimeRandom::Process().SetSeed(1);
    EXPECT_EQ(RandomHexName(8, ConstantTicks(1)), QStringLiteral("0000015A"));
    EXPECT_EQ(RunTimeRandom::Process().Next(), kFirstDraws[2]);
}

TEST(RandomHexName, SystemTicksGiveNamesOfTheRequestedShape) {
    const QRegularExpression upperHex(QStringLiteral("^[0-9A-F]*$"));
    for (int count : {0, 1, 7, 8, 9, 16, 64}) {
        const QString name = RandomHexName(count);
        EXPECT_EQ(name.size(), count) << name.toStdString();
        EXPECT_TRUE(upperHex.match(name).hasMatch()) << name.toStdString();
    }
}

}  // namespace
