#include "binding/LoadRecord.h"

#include "MainTable.h"
#include "binding/SqlValues.h"
#include "binding/TreeWalk.h"

#include <QHash>

namespace {

const QString kDefine = QStringLiteral("define");
const QString kValue = QStringLiteral("value");
const QString kDefined = QStringLiteral("1");

bool IsEmptyNumber(const TDbField& column) {
    return column.AsString() == QString::number(EmptyNumber);
}

void SetValue(TNvDescriptorItem& item, const QString& value, bool defined) {
    item.SetAttr(kValue, value);
    if (defined) item.SetAttr(kDefine, kDefined);
}

// The record's columns by case-folded name: a kind may have thousands of items over a row of
// hundreds of columns, too many to look each one up by a scan.
class Columns {
public:
    explicit Columns(TDbDataSet& record) {
        index_.reserve(record.FieldCount());
        for (int i = record.FieldCount() - 1; i >= 0; --i)  // the first of equal names wins
            index_.insert(record.Fields(i).FieldName.toCaseFolded(), &record.Fields(i));
    }
    const TDbField* Find(const QString& name) const {
        return index_.value(name.toCaseFolded(), nullptr);
    }

private:
    QHash<QString, const TDbField*> index_;
};

// The type words are compared exactly after lower-casing: "double" and "null", which
// TypeCode accepts, load nothing here.
void LoadItem(const Columns& columns, TNvDescriptorItem& item, const QLocale& locale) {
    const QString type = item.GetAttr(QStringLiteral("type")).toLower();
    if (type == u"none") {
        item.SetAttr(kDefine, kDefined);
        return;
    }
    const TDbField* column = columns.Find(item.GetAttr(QStringLiteral("field")));
    if (!column) return;
    if (type == u"int") {
        SetValue(item, QString::number(column->AsInteger()), !IsEmptyNumber(*column));
    } else if (type == u"ref") {
        const int position = column->AsInteger();
        SetValue(item, QString::number(position), position != 0);
    } else if (type == u"bool") {
        SetValue(item, QString::number(column->AsInteger()), true);
    } else if (type == u"float") {
        SetValue(item, FloatValueText(column->AsFloat(), locale), !IsEmptyNumber(*column));
    } else if (type == u"char" || type == u"text" || type == u"refgroup") {
        const QString text = column->AsString();
        SetValue(item, text, !text.isEmpty());
    } else if (type == u"date") {
        const QString text = column->AsString();
        SetValue(item, DateValueText(text), !text.isEmpty());
    }
}

}  // namespace

QString DateValueText(const QString& columnText) {
    if (columnText.isEmpty()) return {};
    const QString& t = columnText;
    if (t.size() >= 10 && t[4] == u'-' && t[7] == u'-')
        return t.sliced(8, 2) + u'-' + t.sliced(5, 2) + u'-' + t.sliced(0, 4);
    return t.mid(0, 2) + u'-' + t.mid(3, 2) + u'-' + t.mid(6, 4);  // dd?mm?yyyy
}

void LoadItems(TDbDataSet& record, TNvDescriptor& list, const QLocale& locale) {
    const Columns columns(record);
    WalkItems(list, [&](TNvDescriptorItem& item, int) {
        if (!item.Children()) LoadItem(columns, item, locale);
        return true;
    });
}

bool LoadRecord(TFolderDB& db, TNvDescriptor& tree, int number, const QLocale& locale) {
    TMyQuerySlot record;
    db.OpenQuery(QStringLiteral("select * from main where code=") + QString::number(number),
                 record, false);
    if (record->Query->RecordCount() == 0) return false;
    LoadItems(*record->Query, tree, locale);
    return true;
}
