#include "binding/InputTypes.h"
#include "binding/RowText.h"
#include "binding/ValueKinds.h"

#include <gtest/gtest.h>

namespace {

TEST(ValueKinds, WordsAndCodes) {
    const std::pair<QString, ValueType> types[] = {
        {"none", ValueType::None},   {"null", ValueType::Int},        {"INT", ValueType::Int},
        {"Float", ValueType::Float}, {"DOUBLE", ValueType::Float},    {"char", ValueType::Char},
        {"text", ValueType::Text},   {"ref", ValueType::Ref},         {"date", ValueType::Date},
        {"RefGroup", ValueType::RefGroup}, {"group", ValueType::Group}, {"bool", ValueType::Bool},
        {"custom", ValueType::Custom}, {"integer", ValueType::None},  {"", ValueType::None},
        {" int", ValueType::None},
    };
    for (const auto& [word, code] : types) EXPECT_EQ(TypeCode(word), code) << word.toStdString();

    const std::pair<QString, InputKindCode> inputs[] = {
        {"edit", InputKindCode::Edit},     {"CheckBox", InputKindCode::Checkbox},
        {"radio", InputKindCode::Radio},   {"group", InputKindCode::Group},
        {"Memo", InputKindCode::Memo},     {"checkgroup", InputKindCode::CheckGroup},
        {"custom", InputKindCode::Custom}, {"list", InputKindCode::None},
        {"", InputKindCode::None},
    };
    for (const auto& [word, code] : inputs) EXPECT_EQ(InputKind(word), code) << word.toStdString();

    EXPECT_EQ(RefTableName(""), "reference");
    EXPECT_EQ(RefTableName("sex"), "sex");
}

TEST(ValueKinds, DefinedAndDisplayedWithoutCustomInput) {
    TNvDescriptor tree;
    TNvDescriptorItem& item = tree.AddItem("a");
    const InputTypeRegistry none;
    item.SetAttr("value", "36,6");
    for (const char* define : {"", "0", "abc"}) {
        item.SetAttr("define", define);
        EXPECT_FALSE(IsDefined(none, item)) << define;
        EXPECT_EQ(DisplayText(none, item), "36,6");  // the value, entered or not
    }
    item.SetAttr("define", "1");
    EXPECT_TRUE(IsDefined(none, item));
}

// Custom input types are real callables, found by the item's "inputtype" ignoring case.
TEST(ValueKinds, CustomInputAsksItsRegisteredType) {
    TNvDescriptor tree;
    TNvDescriptorItem& item = tree.AddItem("a");
    item.SetAttr("input", "Custom");
    item.SetAttr("inputtype", "Шкала");
    item.SetAttr("define", "1");  // ignored for custom input
    item.SetAttr("value", "raw");

    const InputTypeRegistry empty;
    EXPECT_FALSE(IsDefined(empty, item));
    EXPECT_EQ(DisplayText(empty, item), "");
    EXPECT_EQ(CustomHandler(empty, item), nullptr);
    EXPECT_EQ(CustomData(empty, item), 0);

    InputTypeRegistry registry;
    int seenData = 0;
    registry.Register("шкала", {[&](const TNvDescriptorItem& i, int data) {
                                    seenData = data;
                                    return i.GetAttr("value") == "raw";
                                },
                                [](const TNvDescriptorItem& i, int data) {
                                    return i.GetAttr("value") + QString::number(data);
                                },
                                {}, 7});
    EXPECT_TRUE(IsDefined(registry, item));
    EXPECT_EQ(seenData, 7);
    EXPECT_EQ(DisplayText(registry, item), "raw7");
    EXPECT_EQ(CustomData(registry, item), 7);
    ASSERT_NE(CustomHandler(registry, item), nullptr);
    EXPECT_FALSE(CustomHandler(registry, item)->input);

    registry.Register("ШКАЛА", {{}, {}, {}, 9});  // replaces, handlers and all
    EXPECT_FALSE(IsDefined(registry, item));
    EXPECT_EQ(DisplayText(registry, item), "");
    EXPECT_EQ(CustomData(registry, item), 9);
}

TEST(RowText, RowsNameTheirItemsByIdAndBack) {
    TNvDescriptor tree;
    TNvDescriptorItem& group = tree.AddItem("g");
    TNvDescriptorItem& child = group.EnsureChildren().AddItem("c");
    child.SetAttr("value", "1");
    EXPECT_EQ(ItemOfRow(tree, HeadingRowText(group)), &group);
    EXPECT_EQ(ItemOfRow(tree, ItemRowText(child)), &child);
    EXPECT_TRUE(IsHeadingRow(HeadingRowText(group)));
    EXPECT_FALSE(IsHeadingRow(ItemRowText(child)));
    // Texts that name no tag item: junk, unknown Ids, an attribute's Id.
    const int attributeId = child.Attributes().First()->Id();
    for (const QString& text : {QString(), QString("+"), QString("x"), QString("999"),
                                QString::number(attributeId)})
        EXPECT_EQ(ItemOfRow(tree, text), nullptr) << text.toStdString();
}

}  // namespace
