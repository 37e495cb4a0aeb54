#include "ScriptReader.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "CatalogTestFiles.h"

namespace {

using testfiles::Gzip;
using testfiles::WriteFile;

class ScriptReaderTest : public ::testing::TestWithParam<bool> {
protected:
    // The same text as a plain file or gzip-compressed, by the test parameter.
    QString Script(const QByteArray& text) {
        const QString path = dir_.filePath(QStringLiteral("script.prt"));
        WriteFile(path, GetParam() ? Gzip(text) : text);
        return path;
    }

    static QStringList ReadAll(ScriptReader& reader) {
        QStringList lines;
        for (int guard = 0; !reader.AtEnd() && guard < 100000; ++guard) lines << reader.ReadPackageLine();
        return lines;
    }

    QTemporaryDir dir_;
};

TEST_P(ScriptReaderTest, LinesComeTrimmedAndDecodedInOrder) {
    ScriptReader reader(Script(testfiles::Cp1251("#name=Осмотр\r\n  create table t (a integer)\t\n\n\x01last")));
    ASSERT_TRUE(reader.IsOpen());
    EXPECT_EQ(ReadAll(reader), (QStringList{QStringLiteral("#name=Осмотр"), QStringLiteral("create table t (a integer)"),
                                            QString(), QStringLiteral("last")}));
    EXPECT_FALSE(reader.Failed());
    EXPECT_EQ(reader.ReadPackageLine(), QString());  // at the end: empty
}

TEST_P(ScriptReaderTest, LongLinesArriveIn9999BytePieces) {
    struct Case {
        int length;
        QList<int> pieces;
    };
    // A line of exactly 9999 bytes fills the buffer, so its line break comes as an empty piece.
    const Case cases[] = {
        {9998, {9998}},
        {9999, {9999, 0}},
        {10000, {9999, 1}},
        {25000, {9999, 9999, 5002}},
    };
    for (const Case& c : cases) {
        ScriptReader reader(Script(QByteArray(c.length, 'x') + "\nnext\n"));
        QList<int> sizes;
        QStringList lines = ReadAll(reader);
        ASSERT_GE(lines.size(), c.pieces.size() + 1) << c.length;
        for (qsizetype i = 0; i < c.pieces.size(); ++i) sizes << int(lines[i].size());
        EXPECT_EQ(sizes, c.pieces) << c.length;
        EXPECT_EQ(lines[c.pieces.size()], QStringLiteral("next")) << c.length;
    }
}

TEST_P(ScriptReaderTest, NulByteEndsReadingWithAnError) {
    static const char text[] = "create table t (a integer)\ninsert\0 into t values (1)\nmore\n";
    ScriptReader reader(Script(QByteArray(text, sizeof text - 1)));
    const QStringList lines = ReadAll(reader);
    EXPECT_TRUE(reader.Failed());
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_FALSE(lines.contains(QStringLiteral("more")));
}

INSTANTIATE_TEST_SUITE_P(PlainAndGzip, ScriptReaderTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "gzip" : "plain"; });

TEST(ScriptReaderDamage, DamagedStreamEndsWithAnErrorInsteadOfLoopingForever) {
    QTemporaryDir dir;
    QByteArray text;
    for (int i = 0; i < 2000; ++i) text += "insert into t (a) values (" + QByteArray::number(i) + ")\n";
    const QByteArray packed = Gzip(text);
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    QByteArray flipped = packed;
    for (qsizetype i = 20; i < 60; ++i) flipped[i] = char(flipped[i] ^ 0x5A);
    const Case cases[] = {
        {"truncated", packed.left(packed.size() / 2)},
        {"corrupted", flipped},
        {"crc", packed.left(packed.size() - 8) + QByteArray(8, '\x7f')},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.what));
        WriteFile(path, c.bytes);
        ScriptReader reader(path);
        int reads = 0;
        while (!reader.AtEnd() && reads < 100000) {
            reader.ReadPackageLine();
            ++reads;
        }
        EXPECT_TRUE(reader.Failed()) << c.what;
        EXPECT_LT(reads, 100000) << c.what;
    }
}

TEST(ScriptReaderDamage, MissingFileDoesNotOpen) {
    ScriptReader reader(QStringLiteral("/nonexistent/velmora/script.prt"));
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(reader.ReadPackageLine(), QString());
}

}  // namespace
