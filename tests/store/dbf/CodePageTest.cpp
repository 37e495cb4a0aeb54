#include "CodePage.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using dbf::CodePage;

TEST(CodePage, LanguageDriverByteNamesTheCodePage) {
    const struct {
        uint8_t id;
        const char* name;
    } cases[] = {
        {0xC9, "windows-1251"}, {0x00, "windows-1251"}, {0xFF, "windows-1251"},  // unknown
        {0x7B, "windows-1251"},  // a CJK page has no single-byte table: fallback
        {0x26, "IBM866"},       {0x65, "IBM866"},       {0x57, "windows-1252"},
        {0x03, "windows-1252"}, {0x58, "windows-1252"}, {0x59, "windows-1252"},
        {0x01, "IBM437"},       {0x02, "IBM850"},       {0xC8, "windows-1250"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(CodePage::forLanguageDriver(c.id).name(), c.name)
            << "byte 0x" << std::hex << int(c.id);
    }
    EXPECT_EQ(&CodePage::forLanguageDriver(0xC9), &CodePage::cp1251());
    EXPECT_EQ(&CodePage::forLanguageDriver(0x26), &CodePage::forLanguageDriver(0x65));
}

TEST(CodePage, InstancesAreBuiltOnceAcrossThreads) {
    std::vector<const CodePage*> seen(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&, i] { seen[i] = &CodePage::forLanguageDriver(0x6B); });
    for (auto& t : threads) t.join();
    for (const CodePage* p : seen) EXPECT_EQ(p, seen[0]);
    EXPECT_STREQ(seen[0]->name(), "IBM857");
}

// Every byte that decodes to a character encodes back to the same byte, through both the
// QString and the UTF-8 paths, and the UTF-8 fast path agrees with Qt's own conversion.
TEST(CodePage, EveryByteRoundTrips) {
    for (uint8_t id : {0xC9, 0x65, 0x03, 0x01, 0x02, 0xC8}) {
        const CodePage& cp = CodePage::forLanguageDriver(id);
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b) all[b] = char(b);
        const QString text = cp.decode(all.constData(), 256);
        QByteArray utf8;
        cp.decodeToUtf8(all.constData(), 256, utf8);
        EXPECT_EQ(utf8, text.toUtf8()) << cp.name();
        QByteArray back;
        EXPECT_TRUE(cp.encode(text, back)) << cp.name();
        EXPECT_EQ(back, all) << cp.name();
        EXPECT_TRUE(cp.encodeUtf8(utf8, back)) << cp.name();
        EXPECT_EQ(back, all) << cp.name();
    }
}

TEST(CodePage, ControlBytesStayAscii) {
    // ICU's IBM437 swaps 0x1A/0x1C/0x7F with graphics; table data means the controls.
    const CodePage& cp = CodePage::forLanguageDriver(0x01);
    const char bytes[] = {0x1A, 0x1C, 0x7F};
    const QString s = cp.decode(bytes, 3);
    EXPECT_EQ(s, QString::fromLatin1(bytes, 3));
}

TEST(CodePage, Cp1251Characters) {
    const CodePage& cp = CodePage::cp1251();
    const struct {
        const char* utf8;
        const char* cp1251;
    } cases[] = {
        {"Привет Ёё", "\xcf\xf0\xe8\xe2\xe5\xf2 \xa8\xb8"},
        {"€", "\x88"},
        {"Ґґ", "\xa5\xb4"},
        {"№", "\xb9"},
        {"«»", "\xab\xbb"},
        {"", ""},
    };
    for (const auto& c : cases) {
        QByteArray out;
        ASSERT_TRUE(cp.encodeUtf8(QByteArray(c.utf8), out)) << c.utf8;
        EXPECT_EQ(out, QByteArray(c.cp1251)) << c.utf8;
        EXPECT_EQ(cp.decode(out.constData(), int(out.size())), QString::fromUtf8(c.utf8));
    }
}

TEST(CodePage, CharactersOutsideTheCodePageAreRefused) {
    const CodePage& cp = CodePage::cp1251();
    const struct {
        const char* utf8;
        char32_t bad;
    } cases[] = {
        {"abc中", U'中'},    {"x😀y", U'😀'}, {"é", U'é'},  // Latin-1, not in cp1251
        {"ok\xff", 0xFFFD},                               // malformed UTF-8
        {"cut\xd0", 0xFFFD},                              // sequence cut short
    };
    for (const auto& c : cases) {
        QByteArray out = "previous";
        char32_t bad = 0;
        EXPECT_FALSE(cp.encodeUtf8(c.utf8, qsizetype(std::strlen(c.utf8)), out, &bad)) << c.utf8;
        EXPECT_EQ(bad, c.bad) << c.utf8;
    }
    QByteArray out;
    QChar bad;
    EXPECT_FALSE(cp.encode(QString::fromUtf8("Ω"), out, &bad));
    EXPECT_EQ(bad, QChar(0x03A9));
    EXPECT_FALSE(cp.encode(QString::fromUtf8("😀"), out, &bad));
    EXPECT_TRUE(bad.isHighSurrogate());
}

}  // namespace
