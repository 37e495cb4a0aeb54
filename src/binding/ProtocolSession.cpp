// Opening a protocol and moving through its lists.
#include "binding/ProtocolSession.h"

#include "binding/EntryLists.h"
#include "binding/LoadRecord.h"
#include "binding/RowText.h"
#include "description/BuildDescription.h"
#include "description/ParseDescription.h"

namespace {

// Values longer than this are shown in full in a window of their own.
constexpr qsizetype kFullTextLength = 150;

}  // namespace

ProtocolSession::ProtocolSession(TFolderDB& db, const InputTypeRegistry& registry,
                                 EntryLists lists, QLocale locale)
    : db_(db), registry_(registry), lists_(lists), locale_(std::move(locale)), references_(db) {}

bool ProtocolSession::Open(int number) {
    QStringList lines;
    BuildDescription(db_.Folder, lines);
    return OpenWith(lines, number);
}

bool ProtocolSession::OpenWith(const QStringList& description, int number) {
    tree_ = std::make_unique<TNvDescriptor>();
    references_.Clear();
    number_ = number;
    curGroup_ = curItem_ = nullptr;
    curIndex_ = 0;
    openEditor_ = EditorRequest::Kind::None;
    unsaved_.clear();
    ParseDescription(*tree_, description);
    LoadReferences(db_, *tree_, references_);
    const bool found = LoadRecord(db_, *tree_, number, locale_);
    BuildLists();
    lists_.next.SetSelected(0);
    NextListClick();
    lists_.entered.SetSelected(0);
    EnteredListClick();  // the entered list starts with headings only: nothing to show in full
    return found;
}

EditOutcome ProtocolSession::Close(const QString& editorText) {
    EditOutcome outcome;
    if (openEditor_ == EditorRequest::Kind::Memo)
        outcome = CommitMemo(editorText);
    else if (openEditor_ == EditorRequest::Kind::Edit)
        outcome = CommitEdit(editorText);
    RemoveEditors();
    curGroup_ = curItem_ = nullptr;
    unsaved_.clear();
    tree_.reset();
    references_.Clear();
    return outcome;
}

TNvDescriptorItem* ProtocolSession::ItemOfRow(const QString& text) const {
    return tree_ ? ::ItemOfRow(*tree_, text) : nullptr;
}

const QStringList& ProtocolSession::ReferenceNames(const TNvDescriptorItem& item) {
    return references_.Names(item.GetAttr(QStringLiteral("ref_db")));
}

void ProtocolSession::BuildEnteredList() {
    if (tree_) ::BuildEnteredList(registry_, *tree_, lists_.entered);
}

void ProtocolSession::BuildCurrentList() {
    ::BuildCurrentList(curGroup_, lists_.current);
}

void ProtocolSession::BuildNextList() {
    if (tree_) ::BuildNextList(registry_, *tree_, curGroup_, lists_.next, lists_.nextFrame);
}

void ProtocolSession::BuildLists() {
    BuildEnteredList();
    BuildCurrentList();
    BuildNextList();
}

void ProtocolSession::NextListClick() {
    RemoveEditors();
    if (!tree_) return;
    const int selected = lists_.next.Selected();
    if (lists_.next.RowCount() == 0) {
        curGroup_ = tree_->First();
    } else if (selected >= 0) {  // without a selected row the current group stays
        if (TNvDescriptorItem* group = ItemOfRow(lists_.next.Row(selected))) curGroup_ = group;
    }
    BuildNextList();
    BuildCurrentList();
}

FullTextRequest ProtocolSession::EnteredListClick() {
    RemoveEditors();
    const int selected = lists_.entered.Selected();
    if (selected < 0 || !tree_) return {};
    const QString text = lists_.entered.Row(selected);
    TNvDescriptorItem* item = ItemOfRow(text);
    if (!item) return {};
    if (!IsHeadingRow(text)) {
        const QString value = DisplayText(registry_, *item);
        return {value.size() > kFullTextLength, item->Name, value};
    }
    // Expand exactly this group: fold every other one that was ever expanded.
    tree_->ForEachItem(ResetVisible, 0);
    if (TNvDescriptor* children = item->Children())
        for (TNvDescriptorItem* child = children->First(); child; child = child->Next())
            child->SetAttr(QStringLiteral("visible"), QStringLiteral("1"));
    BuildEnteredList();
    BuildNextList();
    BuildCurrentList();
    lists_.entered.SetSelected(lists_.entered.IndexOf(text));
    return {};
}

void ProtocolSession::EnteredListDblClick() {
    for (int row = lists_.entered.Selected(); row >= 0; --row) {
        const QString text = lists_.entered.Row(row);
        if (!IsHeadingRow(text)) continue;
        TNvDescriptorItem* group = ItemOfRow(text);
        if (!group) return;
        curGroup_ = group;
        BuildEnteredList();
        BuildNextList();
        BuildCurrentList();
        lists_.current.SetTopIndex(0);
        return;
    }
}

EditorRequest ProtocolSession::CurrentListClick() {
    RemoveEditors();
    const int selected = lists_.current.Selected();
    if (selected <= 0) return {};  // no row, or the group's heading
    TNvDescriptorItem* item = ItemOfRow(lists_.current.Row(selected));
    return item ? OpenEditorOn(*item, selected) : EditorRequest{};
}

PressOutcome ProtocolSession::CurrentListPress(const PressPoint& point) {
    RemoveEditors();
    const int selected = lists_.current.Selected();
    if (selected <= 0) return {};
    TNvDescriptorItem* item = ItemOfRow(lists_.current.Row(selected));
    return item ? ApplyPressChoice(*item, selected, point) : PressOutcome{};
}

GotoOutcome ProtocolSession::GotoCurrent(const QString& editorText) {
    GotoOutcome outcome;
    if (openEditor_ == EditorRequest::Kind::Edit)
        outcome.commit = CommitEdit(editorText);
    else if (openEditor_ == EditorRequest::Kind::Memo)
        outcome.commit = CommitMemo(editorText);
    RemoveEditors();
    if (curIndex_ > 0 && curIndex_ < lists_.current.RowCount()) {
        lists_.current.SetSelected(curIndex_);
        outcome.editor = CurrentListClick();
    }
    return outcome;
}
