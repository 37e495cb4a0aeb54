#include "binding/EditRules.h"

#include <gtest/gtest.h>

namespace {

using Decision = CharDecision::Kind;
using Commit = CommitResult::Kind;

const QLocale kRussian(QLocale::Russian);  // decimal comma
const QLocale kEnglish(QLocale::English);  // decimal point

struct CharCase {
    const char* what;
    QString type;
    QString before;
    QChar ch;
    QString after;
    QLocale locale;
    Decision decision;
    QChar replacement = {};
};

TEST(EditRules, CharacterFilters) {
    const CharCase cases[] = {
        {"digit into an int", "int", "1", u'2', "", kRussian, Decision::Accept},
        {"minus into an int", "int", "", u'-', "", kRussian, Decision::Drop},
        {"plus into an int", "null", "", u'+', "", kRussian, Decision::Drop},
        {"blank into an int", "int", "1", u' ', "", kRussian, Decision::Drop},
        {"separator into an int", "int", "1", u',', "", kRussian, Decision::Drop},
        {"control character into an int", "int", "1", QChar(22), "", kRussian, Decision::Drop},
        {"backspace always", "int", "1", QChar(8), "", kRussian, Decision::Accept},
        {"enter moves on", "date", "1", QChar(13), "", kRussian, Decision::MoveNext},
        {"tab moves on", "char", "", QChar(9), "", kRussian, Decision::MoveNext},
        {"point becomes the comma", "float", "1", u'.', "", kRussian, Decision::Replace, u','},
        {"comma stays a comma", "float", "1", u',', "", kRussian, Decision::Accept},
        {"comma becomes the point", "double", "1", u',', "", kEnglish, Decision::Replace, u'.'},
        {"digit after the comma", "float", "1,", u'5', "", kRussian, Decision::Accept},
        {"second separator", "float", "1,5", u'.', "", kRussian, Decision::Drop},
        {"minus alone", "float", "", u'-', "", kRussian, Decision::Drop},
        {"minus before digits", "float", "", u'-', "5", kRussian, Decision::Accept},
        {"letter into a float", "float", "1", u'x', "", kRussian, Decision::Drop},
        {"group separator into a float", "float", "1", QChar(0xA0), "234", kRussian, Decision::Drop},
        {"exponent inside a float", "float", "1", u'e', "5", kRussian, Decision::Accept},
        {"control key leaving a number", "float", "1", QChar(3), "", kRussian, Decision::Accept},
        {"control key leaving nothing", "float", "", QChar(3), "", kRussian, Decision::Drop},
        {"date digit", "date", "1", u'2', "", kRussian, Decision::Accept},
        {"date separator", "date", "12", u'-', "", kRussian, Decision::Accept},
        {"date full stop cannot be typed", "date", "05", u'.', "", kRussian, Decision::Drop},
        {"trailing slash after a year", "date", "12-05-2024", u'/', "", kRussian, Decision::Drop},
        {"day out of range", "date", "32", u'-', "", kRussian, Decision::Drop},
        {"anything into a text", "char", "", u'%', "", kRussian, Decision::Accept},
        {"Cyrillic into a text", "text", "", u'ё', "", kRussian, Decision::Accept},
        {"a character cp1251 lacks", "char", "", QChar(0x3A9), "", kRussian, Decision::Drop},
    };
    for (const CharCase& c : cases) {
        SCOPED_TRACE(c.what);
        TNvDescriptor tree;
        TNvDescriptorItem& item = tree.AddItem("x");
        item.SetAttr("type", c.type);
        const CharDecision decision = AcceptEditChar(item, c.before, c.ch, c.after, c.locale);
        EXPECT_EQ(decision.kind, c.decision);
        if (c.decision == Decision::Replace) {
            EXPECT_EQ(decision.replacement, c.replacement);
        }
    }
}

TEST(EditRules, RefusedCharacterOfTheCodePageSaysWhy) {
    TNvDescriptor tree;
    TNvDescriptorItem& item = tree.AddItem("x");
    item.SetAttr("type", "char");
    const CharDecision decision = AcceptEditChar(item, "", QChar(0x3A9), "");
    EXPECT_TRUE(decision.reason.contains("Ω")) << decision.reason.toStdString();
    EXPECT_TRUE(AcceptEditChar(item, "", u'a', "").reason.isEmpty());
}

TEST(EditRules, TypingAWholeText) {
    TNvDescriptor tree;
    TNvDescriptorItem& item = tree.AddItem("x");
    item.SetAttr("type", "float");
    EXPECT_EQ(TypeIntoEditor(item, "1.5", kRussian).text, "1,5");
    EXPECT_EQ(TypeIntoEditor(item, "-1.5", kRussian).text, "1,5");  // "-" alone is no number
    EXPECT_EQ(TypeIntoEditor(item, "12\b3\r", kRussian).text, "13");
    item.SetAttr("type", "int");
    EXPECT_EQ(TypeIntoEditor(item, "3 4a5", kRussian).text, "345");
    EXPECT_TRUE(TypeIntoEditor(item, "3 4a5", kRussian).refusal.isEmpty());  // silently dropped
    item.SetAttr("type", "char");
    const TypedText omega = TypeIntoEditor(item, "aΩb", kRussian);
    EXPECT_EQ(omega.text, "ab");
    EXPECT_TRUE(omega.refusal.contains("Ω"));
}

struct CommitCase {
    const char* what;
    QString type;
    QString value;   // before the commit
    QString define;  // before the commit
    QString text;    // in the editor
    Commit result;
    QString newValue;
    QString newDefine;
};

TEST(EditRules, CommitsOfTheSingleLineEditor) {
    const CommitCase cases[] = {
        {"int", "int", "", "", " 42 ", Commit::Stored, "42", "1"},
        {"int cleared", "int", "42", "1", "", Commit::Stored, "", "0"},
        {"pasted non-digits stay as pasted", "int", "", "", "12abc", Commit::Stored, "12abc", "1"},
        {"float", "float", "", "", "1,5", Commit::Stored, "1,5", "1"},
        {"float that does not read", "float", "2", "1", "1.5", Commit::Stored, "", "0"},
        {"float cleared", "double", "2", "1", "", Commit::Stored, "", "0"},
        {"float infinity does not read", "float", "2", "1", "inf", Commit::Stored, "", "0"},
        {"text trimmed", "char", "", "", "\t Иванов \n", Commit::Stored, "Иванов", "1"},
        {"text emptied keeps define", "text", "было", "1", "  ", Commit::Stored, "", "1"},
        {"text emptied while undefined", "char", "было", "0", "", Commit::Stored, "", "0"},
        {"short date", "date", "", "", "1-2-05", Commit::Stored, "01-02-2005", "1"},
        {"last day of January", "date", "", "", "31-01-2024", Commit::Stored, "31-01-2024", "1"},
        {"leap day", "date", "", "", "29-02-2000", Commit::Stored, "29-02-2000", "1"},
        {"full stops", "date", "", "", "05.03.2024", Commit::Stored, "05-03-2024", "1"},
        {"no leap day in 1900", "date", "01-01-2001", "1", "29-02-1900", Commit::DateInvalid,
         "01-01-2001", "1"},
        {"31 April", "date", "", "", "31-04-2024", Commit::DateInvalid, "", ""},
        {"a year the column cannot hold", "date", "", "", "01-01-10000", Commit::DateInvalid, "", ""},
        {"date cleared keeps its value", "date", "05-03-2004", "1", "", Commit::Stored,
         "05-03-2004", "0"},
        {"bool takes nothing", "bool", "1", "1", "0", Commit::NotStored, "1", "1"},
        {"ref takes nothing", "ref", "2", "1", "3", Commit::NotStored, "2", "1"},
        {"a character cp1251 lacks", "char", "было", "1", "Ωmega", Commit::Refused, "было", "1"},
        {"refused in an int too", "int", "5", "1", "5\U0001F600", Commit::Refused, "5", "1"},
    };
    for (const CommitCase& c : cases) {
        SCOPED_TRACE(c.what);
        TNvDescriptor tree;
        TNvDescriptorItem& item = tree.AddItem("x");
        item.SetAttr("type", c.type);
        item.SetAttr("value", c.value);
        item.SetAttr("define", c.define);
        const CommitResult result = CommitEditValue(item, c.text, kRussian);
        EXPECT_EQ(result.kind, c.result);
        EXPECT_EQ(result.reason.isEmpty(), c.result != Commit::Refused);
        EXPECT_EQ(item.GetAttr("value"), c.newValue);
        EXPECT_EQ(item.GetAttr("define"), c.newDefine);
    }
}

TEST(EditRules, MemoCommit) {
    TNvDescriptor tree;
    TNvDescriptorItem& item = tree.AddItem("x");
    item.SetAttr("type", "text");
    item.SetAttr("edited", "1");
    EXPECT_EQ(CommitMemoValue(item, "  строка 1\nстрока 2\n").kind, Commit::Stored);
    EXPECT_EQ(item.GetAttr("value"), "строка 1\nстрока 2");
    EXPECT_EQ(item.GetAttr("define"), "1");
    EXPECT_EQ(item.GetAttr("edited"), "0");

    item.SetAttr("edited", "1");
    EXPECT_EQ(CommitMemoValue(item, "\n").kind, Commit::Stored);
    EXPECT_EQ(item.GetAttr("value"), "");
    EXPECT_EQ(item.GetAttr("define"), "1");  // an empty memo leaves define as it was

    item.SetAttr("edited", "1");
    EXPECT_EQ(CommitMemoValue(item, "Ω").kind, Commit::Refused);
    EXPECT_EQ(item.GetAttr("value"), "");
    EXPECT_EQ(item.GetAttr("edited"), "0");  // closed: its value is shown again
}

}  // namespace
