#pragma once

#include "KindFixture.h"

#include "MainTable.h"
#include "binding/ProtocolSession.h"

// The current list measured in a font whose characters are all 6 pixels wide.
inline EntryMetrics TestMetrics() {
    EntryMetrics m;
    m.nameWidth = FixedWidth(6);
    m.valueWidth = FixedWidth(6);
    m.nameLineHeight = 14;
    m.valueLineHeight = 12;
    m.checkedPictureWidth = 13;
    m.listWidth = 242;  // text width 242 - 4 - 17 - 2 = 219
    m.listFrameWidth = 4;
    m.scrollBarWidth = 17;
    return m;
}

// A kind folder with a generated description and protocol 5, open in a session over
// in-memory lists.
class SessionFixture : public KindFixture {
protected:
    InputTypeRegistry registry;
    MemoryEntryList entered, current, next;
    MemoryShown frame;
    ProtocolSession session{db, registry, EntryLists{entered, current, next, &frame}};

    // A generated kind; the protocol's row gets the given assignments.
    void MakeKind(const QString& assignments = {}) {
        Reference("sex", {"мужской", "женский"});
        Catalogue({
            {"ves", "double", "Вес", 1, 300, ""},
            {"pol", "enum", "Пол", 0, 0, "sex"},
            {"kur", "bool", "Курит", 0, 0, ""},
            {"puls", "ordinal", "Пульс", 0, 0, ""},
            {"prim", "string", "Примечание", 0, 0, ""},
        });
        bool created = false;
        CreateMainTable(folder(), created);
        exec("insert into main (code, fio, ves, pol, kur, puls, prim) values "
             "(5, '', 99999999, 0, 0, 99999999, '')");
        if (!assignments.isEmpty()) exec("update main set " + assignments + " where code=5");
    }

    void Open() {
        session.SetMetrics(TestMetrics());
        ASSERT_TRUE(session.Open(5));
    }

    TNvDescriptorItem* item(const QString& name) { return Named(*session.Tree(), name); }

    // Selects the current list's row of the item, as a click on it does first.
    int Select(const QString& name) {
        const int row = current.IndexOf(QString::number(item(name)->Id()));
        current.SetSelected(row);
        return row;
    }

    QStringList Rows(const EntryList& list) { return RowNames(*session.Tree(), list); }
};
