// The widget-free rules of the register window: the two fields' character filters, the search
// statement and the count text.
#include <gtest/gtest.h>

#include "../QtPrinters.h"
#include "InputFilters.h"
#include "NewProtocol.h"
#include "RegisterSearch.h"

namespace {

struct CharCase {
    char16_t c;
    bool name;    // passes the name field
    bool number;  // passes the number field
    const char* what;
};

TEST(InputFilters, NameAndNumberCharacters) {
    const CharCase cases[] = {
        {u'А', true, false, "Cyrillic capital"},     {u'я', true, false, "Cyrillic small"},
        {u'ё', true, false, "yo"},                   {u'Ё', true, false, "capital yo"},
        {u' ', true, false, "space"},                {u'\b', true, true, "backspace"},
        {u'\x16', true, true, "Ctrl+V"},             {u'\t', true, true, "tab"},
        {u'A', false, false, "Latin capital"},       {u'z', false, false, "Latin small"},
        {u'0', false, true, "digit 0"},              {u'9', false, true, "digit 9"},
        {u'!', false, false, "first refused code"},  {u'\'', false, false, "apostrophe"},
        {u'%', false, false, "LIKE wildcard"},       {u'-', false, false, "hyphen"},
        {u'\x7F', false, false, "DEL"},              {u'№', true, false, "numero sign (cp1251 0xB9)"},
        {u'«', true, false, "guillemet (cp1251)"},   {u'é', false, false, "not in cp1251"},
        {u'中', false, false, "not in cp1251"},
    };
    for (const CharCase& c : cases) {
        EXPECT_EQ(NameCharAllowed(QChar(c.c)), c.name) << c.what;
        EXPECT_EQ(NumberCharAllowed(QChar(c.c)), c.number) << c.what;
    }
}

struct SearchCase {
    const char* number;
    const char* name;
    bool fragment;
    const char* statement;  // nullptr: no statement
};

TEST(RegisterSearch, StatementFromTheFields) {
    const SearchCase cases[] = {
        {"", "", true, "select code, fio from main order by code desc"},
        {"12", "", true, "select code, fio from main where code=12 order by code desc"},
        {"12", "Иванова", true, "select code, fio from main where code=12 order by code desc"},
        {"", "Иван", true, "select code, fio from main where fio like '%Иван%' order by code desc"},
        {"", "Иванова", false, "select code, fio from main where fio='Иванова' order by code desc"},
        {"", " Иванова ", false, "select code, fio from main where fio=' Иванова ' order by code desc"},
        {"", "По русски пожалуйста", true, "select code, fio from main order by code desc"},
        {"", "По русски пожалуйста", false, "select code, fio from main order by code desc"},
        {"", "Д'Арк", true, "select code, fio from main where fio like '%Д''Арк%' order by code desc"},
        {"", "x' or '1'='1", false, "select code, fio from main where fio='x'' or ''1''=''1' order by code desc"},
        {"1 or 1=1", "", true, nullptr},
        {"12a", "Иванова", true, nullptr},
        {"-1", "", true, nullptr},
        {"１２", "", true, nullptr},  // full-width digits are not the ASCII digits SQL reads
    };
    for (const SearchCase& c : cases) {
        const auto statement = SearchStatement(
            {QString::fromUtf8(c.number), QString::fromUtf8(c.name), c.fragment});
        if (c.statement == nullptr) {
            EXPECT_FALSE(statement.has_value()) << c.number;
        } else {
            ASSERT_TRUE(statement.has_value()) << c.number << "|" << c.name;
            EXPECT_EQ(*statement, QString::fromUtf8(c.statement));
        }
    }
}

TEST(RegisterSearch, CountText) {
    const std::pair<int, const char*> cases[] = {
        {0, "0 протоколов"},   {1, "1 протокол"},     {2, "2 протокола"},  {4, "4 протокола"},
        {5, "5 протоколов"},   {9, "9 протоколов"},   {11, "11 протоколов"}, {21, "21 протоколов"},
        {22, "22 протоколов"}, {100, "100 протоколов"}, {-1, ""},
    };
    for (const auto& [n, text] : cases) EXPECT_EQ(CountText(n), QString::fromUtf8(text)) << n;
}

TEST(NewProtocol, StatementTrimsQuotesAndMarksNumberFieldsEmpty) {
    EXPECT_EQ(NewProtocolStatement(1, QStringLiteral("Иванова"), {}),
              QStringLiteral("insert into main (fio, code) values ('Иванова', 1)"));
    EXPECT_EQ(NewProtocolStatement(8, QStringLiteral(" \tД'Арк  Жанна \r\n"), {QStringLiteral("temp"), QStringLiteral("pulse")}),
              QStringLiteral("insert into main (fio, code, temp, pulse) values ('Д''Арк  Жанна', 8, 99999999, 99999999)"));
}

}  // namespace
