// The editors and presses of the current list: every change of a value ends here in one save.
#include "binding/ProtocolSession.h"

#include "EngineError.h"
#include "binding/ValueKinds.h"

#include <algorithm>

namespace {

constexpr int kEditHeight = 24;
constexpr char16_t kTab = 9;
constexpr char16_t kEnter = 13;

const QString kValue = QStringLiteral("value");
const QString kDefine = QStringLiteral("define");

InputKindCode InputOf(const TNvDescriptorItem& item) {
    return InputKind(item.GetAttr(QStringLiteral("input")));
}

}  // namespace

SaveOutcome ProtocolSession::Save(const TNvDescriptorItem& item) {
    SaveOutcome outcome = SaveItem(db_, item, number_, locale_);
    // The latest save of an item is what its row holds: a success ends an earlier failure.
    const auto same = [&](const UnsavedValue& value) { return value.item == &item; };
    const auto at = std::find_if(unsaved_.begin(), unsaved_.end(), same);
    if (outcome.Ok()) {
        if (at != unsaved_.end()) unsaved_.erase(at);
    } else if (at != unsaved_.end()) {
        at->reason = outcome.message;
    } else {
        unsaved_.push_back({&item, item.Name, outcome.message});
    }
    return outcome;
}

std::vector<UnsavedValue> ProtocolSession::RetryUnsaved() {
    const std::vector<UnsavedValue> failed = unsaved_;
    for (const UnsavedValue& value : failed) Save(*value.item);
    return unsaved_;
}

void ProtocolSession::ReselectCurrent(const QString& rowText) {
    BuildCurrentList();
    lists_.current.SetSelected(lists_.current.IndexOf(rowText));
}

EditorRequest ProtocolSession::OpenEditorOn(TNvDescriptorItem& item, int row) {
    curItem_ = &item;
    curIndex_ = row;
    const QString rowText = lists_.current.Row(row);
    const int margin = item.GetAttrInt(QStringLiteral("margin"));
    const int level = item.GetAttrInt(QStringLiteral("level"));
    EditorRequest editor;
    editor.nameHeight = NameHeight(metrics_, item);
    switch (InputOf(item)) {
        case InputKindCode::Edit:
            editor.kind = EditorRequest::Kind::Edit;
            editor.text = item.GetAttr(kDefine) == u"1" ? item.GetAttr(kValue) : QString();
            editor.indent = margin + metrics_.indentStep / 2 * level;
            editor.height = kEditHeight;
            break;
        case InputKindCode::Memo:
            editor.kind = EditorRequest::Kind::Memo;
            editor.text = item.GetAttr(kValue);
            editor.indent = margin;
            // A memo without a size still gets one line: nobody can type into 0 pixels.
            editor.height = std::max(1, item.GetAttrInt(QStringLiteral("inputsize"))) * metrics_.valueLineHeight;
            item.SetAttr(QStringLiteral("edited"), QStringLiteral("1"));
            break;
        case InputKindCode::Custom:
            // An unregistered type opens nothing; the lists are left as they are either way.
            if (const InputTypeEntry* entry = CustomHandler(registry_, item); entry && entry->input)
                entry->input(item, entry->data);
            return {};
        default:
            break;
    }
    openEditor_ = editor.kind;
    ReselectCurrent(rowText);
    return editor;
}

PressOutcome ProtocolSession::ApplyPressChoice(TNvDescriptorItem& item, int row,
                                               const PressPoint& point) {
    curItem_ = &item;
    curIndex_ = row;
    const QString rowText = lists_.current.Row(row);
    PressOutcome outcome;
    switch (InputOf(item)) {
        case InputKindCode::Checkbox:
            item.SetAttr(kValue, item.GetAttrInt(kValue) == 0 ? QStringLiteral("1") : QStringLiteral("0"));
            item.SetAttr(kDefine, QStringLiteral("1"));
            outcome.applied = true;
            outcome.save = Save(item);
            BuildEnteredList();
            break;
        case InputKindCode::Radio:
            return PickChoice(item, point.y - point.pressRectTop - NameHeight(metrics_, item), false);
        case InputKindCode::CheckGroup:
            return PickChoice(item, point.y - point.rowTop - NameHeight(metrics_, item), true);
        default:
            break;
    }
    ReselectCurrent(rowText);
    return outcome;
}

PressOutcome ProtocolSession::PickChoice(TNvDescriptorItem& item, int y, bool tokens) {
    if (y < 0) return {};  // on the item's name
    PressOutcome outcome;
    std::optional<int> choice;
    try {
        choice = ChoiceAt(metrics_, item.GetAttrInt(QStringLiteral("level")), ReferenceNames(item), y,
                          item.GetAttrInt(QStringLiteral("margin")), tokens);
    } catch (const EngineError& e) {
        outcome.error = e.message();
        return outcome;
    }
    if (!choice) return outcome;  // below the last choice
    if (tokens) {
        const QString value = ToggleToken(item.GetAttr(kValue), *choice);
        item.SetAttr(kValue, value);
        item.SetAttr(kDefine, value.isEmpty() ? QStringLiteral("0") : QStringLiteral("1"));
    } else {
        item.SetAttr(kValue, QString::number(*choice));
        item.SetAttr(kDefine, QStringLiteral("1"));
    }
    outcome.applied = outcome.repaintRow = true;
    outcome.save = Save(item);
    BuildEnteredList();
    return outcome;
}

void ProtocolSession::RebuildAfterCommit() {
    BuildEnteredList();
    BuildNextList();
    BuildCurrentList();
}

EditOutcome ProtocolSession::Finish(CommitResult commit) {
    EditOutcome outcome{std::move(commit), {}};
    if (outcome.commit.NeedsSave()) outcome.save = Save(*curItem_);
    RebuildAfterCommit();
    return outcome;
}

EditOutcome ProtocolSession::CommitEdit(const QString& text) {
    if (!curItem_) return {};
    return Finish(CommitEditValue(*curItem_, text, locale_));
}

EditOutcome ProtocolSession::CommitMemo(const QString& text) {
    if (!curItem_) return {};
    return Finish(CommitMemoValue(*curItem_, text));
}

CharDecision ProtocolSession::EditKey(QChar ch, const QString& before, const QString& after) {
    if (!curItem_) return {};
    const CharDecision decision = AcceptEditChar(*curItem_, before, ch, after, locale_);
    if (decision.kind == CharDecision::Kind::MoveNext) MoveBy(1);
    return decision;
}

CharDecision ProtocolSession::MemoKey(QChar ch) {
    if (ch != kEnter && ch != kTab) return {};
    MoveBy(1);
    CharDecision decision;
    decision.kind = CharDecision::Kind::MoveNext;
    return decision;
}
