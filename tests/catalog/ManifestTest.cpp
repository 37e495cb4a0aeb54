#include "Manifest.h"

#include <QLocale>

#include <gtest/gtest.h>

#include "CatalogTestFiles.h"

namespace {

class ManifestTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

TEST_F(ManifestTest, LineCountsOnlyWithHashAndEqualsAndTrimsKeyAndValue) {
    struct Case {
        const char* line;
        ManifestLineEffect effect;
        const char* name;  // expected name afterwards; the record starts as ("прежнее", 7)
        int signature;
    };
    const Case cases[] = {
        {"#name=Осмотр", ManifestLineEffect::Name, "Осмотр", 7},
        {"  #  NAME  =  Общий осмотр \t", ManifestLineEffect::Name, "Общий осмотр", 7},
        {"-- kind: #Name=\tУЗИ\r", ManifestLineEffect::Name, "УЗИ", 7},  // before "#" ignored
        {"#name=a=b", ManifestLineEffect::Name, "a=b", 7},                 // first "=" splits
        {"#name=", ManifestLineEffect::Name, "", 7},
        {"#name=x # y", ManifestLineEffect::Name, "x # y", 7},             // first "#" starts
        {"#name", ManifestLineEffect::Ignored, "прежнее", 7},
        {"name=Осмотр", ManifestLineEffect::Ignored, "прежнее", 7},
        {"a=b #name", ManifestLineEffect::Ignored, "прежнее", 7},          // "=" only before "#"
        {"##name=x", ManifestLineEffect::Ignored, "прежнее", 7},           // key is "#name"
        {"#names=x", ManifestLineEffect::Ignored, "прежнее", 7},
        {"#signature=12", ManifestLineEffect::Signature, "прежнее", 12},
        {"# SIGNATURE = -5 ", ManifestLineEffect::Signature, "прежнее", -5},
        {"#signature=abc", ManifestLineEffect::BadSignature, "прежнее", 7},
        {"#signature=", ManifestLineEffect::BadSignature, "прежнее", 7},
    };
    for (const Case& c : cases) {
        protocolDescription kind{QStringLiteral("прежнее"), 7};
        EXPECT_EQ(ParseManifestLine(QString::fromUtf8(c.line), kind), c.effect) << c.line;
        EXPECT_EQ(kind.name, QString::fromUtf8(c.name)) << c.line;
        EXPECT_EQ(kind.signature, c.signature) << c.line;
    }
}

TEST_F(ManifestTest, SignatureIsTruncatedTowardZeroAndMustFit32Bits) {
    struct Case {
        const char* value;
        std::optional<int32_t> expected;
    };
    const Case cases[] = {
        {"12,9", 12},          // the user's (Russian) format
        {"12.9", 12},          // a package written where "." is the separator
        {"-12,9", -12},        {"0,5", 0},           {"1e3", 1000},
        {"2147483647,9", 2147483647}, {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt}, {"99999999999", std::nullopt},
        {"inf", std::nullopt}, {"nan", std::nullopt}, {"0x10", std::nullopt},
        {"1 000", std::nullopt}, {"12abc", std::nullopt}, {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseSignature(QString::fromUtf8(c.value)), c.expected) << c.value;
}

TEST_F(ManifestTest, PointIsADecimalSeparatorEvenWhereItGroupsDigits) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(ParseSignature(u"1.205"), 1);  // not 1205
    EXPECT_EQ(ParseSignature(u"12,9"), 12);
}

TEST_F(ManifestTest, ReadingKeepsTheLastValueAndRemembersARefusedSignature) {
    ManifestReading reading;
    for (const char* line : {"#name=Первое", "#signature=1", "insert into t values (1)", "#name=Второе",
                             "#signature=2"})
        reading.Apply(QString::fromUtf8(line));
    EXPECT_EQ(reading.kind.name, QStringLiteral("Второе"));
    EXPECT_EQ(reading.kind.signature, 2);
    EXPECT_TRUE(reading.signatureValid);

    // A later good value does not make a package with a bad one acceptable.
    ManifestReading bad;
    for (const char* line : {"#signature= двенадцать ", "#signature=12"}) bad.Apply(QString::fromUtf8(line));
    EXPECT_FALSE(bad.signatureValid);
    EXPECT_EQ(bad.badSignature, QStringLiteral("двенадцать"));

    ManifestReading none;
    none.Apply(u"create table t (code integer)");
    EXPECT_EQ(none.kind.name, QString());
    EXPECT_EQ(none.kind.signature, 0);
}

TEST_F(ManifestTest, ManifestEntrySplitsAtEveryLineBreakAndEndsAtNul) {
    const QByteArray bytes = testfiles::Cp1251("#name=Осмотр\r\n#signature=3\nx\ry\r\n") +
                             QByteArray("\0#name=hidden", 13);
    EXPECT_EQ(ManifestLines(bytes),
              (QStringList{QStringLiteral("#name=Осмотр"), QStringLiteral("#signature=3"), QStringLiteral("x"),
                           QStringLiteral("y")}));
    EXPECT_EQ(ManifestLines(QByteArray()), QStringList());
}

TEST_F(ManifestTest, DataArchiveManifestIsTwoCp1251LinesEndedByCrLf) {
    struct Case {
        const char* name;
        int32_t signature;
        const char* text;
    };
    const Case cases[] = {
        {"Общий анализ", 1205, "name=Общий анализ\r\nsignature=1205\r\n"},
        {"", -3, "name=\r\nsignature=-3\r\n"},
        {"50%1 %2", 0, "name=50%1 %2\r\nsignature=0\r\n"},  // placeholders in the name stay
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DataArchiveManifest({QString::fromUtf8(c.name), c.signature}), testfiles::Cp1251(c.text))
            << c.name;
    }
    QString bad;
    EXPECT_FALSE(DataArchiveManifest({QStringLiteral("УЗИ \U0001F600"), 1}, &bad));
    EXPECT_EQ(bad, QStringLiteral("\U0001F600"));
}

}  // namespace
