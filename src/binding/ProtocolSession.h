#pragma once

#include "TFolderDB.h"
#include "binding/EditRules.h"
#include "binding/EntryList.h"
#include "binding/InputTypes.h"
#include "binding/PressLayout.h"
#include "binding/References.h"
#include "binding/SaveItem.h"
#include "description/NvDescriptor.h"

#include <QLocale>
#include <QStringList>

#include <memory>
#include <vector>

// The editor a click opens over a row of the current list; the window creates and places it.
struct EditorRequest {
    enum class Kind { None, Edit, Memo };
    Kind kind = Kind::None;
    QString text;        // what the editor starts with
    int indent = 0;      // from the list's left edge, and taken off its client width
    int nameHeight = 0;  // from the row's top to the editor's top
    int height = 0;      // 24 for an edit box, "inputsize" value lines for a memo
};

// The full text of an entered value, shown when it is too long for the list.
struct FullTextRequest {
    bool show = false;
    QString caption;
    QString text;
};

// A commit of an editor's text: what it did to the item and to the protocol's row.
struct EditOutcome {
    CommitResult commit;
    SaveOutcome save;
};

// Where the current list was pressed, in its client coordinates: the cursor's y, the top of
// the row the press hook recorded, and the top of the selected row.
struct PressPoint {
    int y = 0;
    int pressRectTop = 0;
    int rowTop = 0;
};

struct PressOutcome {
    bool applied = false;     // a value changed
    bool repaintRow = false;  // the pressed row must be painted again
    SaveOutcome save;
    QString error;            // the reference table could not be read
};

// A value the tree holds but the protocol's row does not, and why; the name is a copy, good
// after the tree is gone.
struct UnsavedValue {
    const TNvDescriptorItem* item = nullptr;
    QString name;
    QString reason;
};

struct GotoOutcome {
    EditOutcome commit;    // of the editor that was open, if any
    EditorRequest editor;  // opened on the new row, if any
};

// The working model of one protocol in the entry window, for one showing: the tree, the
// current group, row and item, the reference choices read for this showing, and the three
// lists. Every user action on a value goes through here and ends in at most one UPDATE.
class ProtocolSession {
public:
    ProtocolSession(TFolderDB& db, const InputTypeRegistry& registry, EntryLists lists,
                    QLocale locale = QLocale());

    // Generates the kind's description from the catalogue of db's folder and opens the
    // protocol with it (OpenWith). Throws EngineError when the catalogue cannot be read.
    bool Open(int number);
    // The opening sequence on the given description: parse, reference counts, record, lists,
    // then the first rows of the next and entered lists clicked. Returns whether the protocol's
    // row exists (without it no value is loaded). Throws EngineError when a reference table
    // or the record table cannot be read.
    bool OpenWith(const QStringList& description, int number);
    // Commits the open editor's text, then releases the tree.
    EditOutcome Close(const QString& editorText = {});

    void SetMetrics(const EntryMetrics& metrics) { metrics_ = metrics; }

    TNvDescriptor* Tree() const { return tree_.get(); }
    int Number() const { return number_; }
    TNvDescriptorItem* CurGroup() const { return curGroup_; }
    TNvDescriptorItem* CurItem() const { return curItem_; }
    int CurIndex() const { return curIndex_; }
    EditorRequest::Kind OpenEditor() const { return openEditor_; }
    // The next list is worth a column when the tree has more than one top-level item.
    bool ThreeColumns() const { return tree_ && tree_->Count() > 1; }
    TNvDescriptorItem* ItemOfRow(const QString& text) const;

    // The choices of a reference item, read once per showing. Throws EngineError.
    const QStringList& ReferenceNames(const TNvDescriptorItem& item);

    // Clicks and presses on the lists.
    void NextListClick();
    FullTextRequest EnteredListClick();
    void EnteredListDblClick();
    EditorRequest CurrentListClick();
    PressOutcome CurrentListPress(const PressPoint& point);
    // The window has destroyed its editors; removing does not commit.
    void RemoveEditors() { openEditor_ = EditorRequest::Kind::None; }

    // Commits of the open editor's text into the current item.
    EditOutcome CommitEdit(const QString& text);
    EditOutcome CommitMemo(const QString& text);

    // Keys in the editors. Enter and Tab (and the arrows on release) move the current row;
    // the window then posts itself the move, which ends in GotoCurrent.
    CharDecision EditKey(QChar ch, const QString& before, const QString& after);
    CharDecision MemoKey(QChar ch);
    void MoveBy(int delta) { curIndex_ += delta; }
    // Commits the open editor, removes it and opens the editor of row CurIndex when that is
    // an item row of the current list.
    GotoOutcome GotoCurrent(const QString& editorText);

    // Writes once more every value whose last save did not reach the row (the engine refused
    // it, the row was gone); returns those that still did not, in the order they first failed.
    std::vector<UnsavedValue> RetryUnsaved();

    void BuildEnteredList();
    void BuildCurrentList();
    void BuildNextList();
    void BuildLists();

private:
    EditorRequest OpenEditorOn(TNvDescriptorItem& item, int row);
    PressOutcome ApplyPressChoice(TNvDescriptorItem& item, int row, const PressPoint& point);
    PressOutcome PickChoice(TNvDescriptorItem& item, int y, bool tokens);
    EditOutcome Finish(CommitResult commit);
    SaveOutcome Save(const TNvDescriptorItem& item);
    void RebuildAfterCommit();
    void ReselectCurrent(const QString& rowText);

    TFolderDB& db_;
    const InputTypeRegistry& registry_;
    EntryLists lists_;
    QLocale locale_;
    EntryMetrics metrics_;
    ReferenceCache references_;

    std::unique_ptr<TNvDescriptor> tree_;
    int number_ = 0;
    TNvDescriptorItem* curGroup_ = nullptr;
    TNvDescriptorItem* curItem_ = nullptr;
    int curIndex_ = 0;
    EditorRequest::Kind openEditor_ = EditorRequest::Kind::None;
    std::vector<UnsavedValue> unsaved_;  // by Save, for RetryUnsaved
};
