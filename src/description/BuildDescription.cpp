#include "description/BuildDescription.h"

#include "FieldCatalogue.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Bounds are read as integers: fractions are truncated toward zero, values beyond the integer
// range are held at its ends, and a blank bound is 0.
int BoundOf(const TDbField& field) {
    if (field.IsNull()) return 0;
    const double value = std::trunc(field.AsFloat());
    if (std::isnan(value)) return 0;
    constexpr double kLow = std::numeric_limits<int>::min();
    constexpr double kHigh = std::numeric_limits<int>::max();
    return int(std::clamp(value, kLow, kHigh));
}

void AppendTypeSuffix(QString& line, const QString& fieldType, int fieldMin, int fieldMax,
                      const QString& fieldFile) {
    if (fieldType == u"string") {
        line += u" type=char size=100 input=edit";
    } else if (IsNumberTypeWord(fieldType)) {
        line += u" type=float input=edit minvalue=";
        line += QString::number(fieldMin);
        line += u" maxvalue=";
        line += QString::number(fieldMax);
    } else if (fieldType == u"bool") {
        line += u" type=bool input=checkbox";
    } else if (fieldType == u"enum") {
        line += u" type=ref ref_db=";
        line += fieldFile;
        line += u" input=radio";
    } else if (fieldType == u"ordinal") {
        line += u" type=int input=edit";
    }
}

}  // namespace

QString DescriptionLine(const QString& fieldName, const QString& fieldType,
                        const QString& label, int fieldMin, int fieldMax,
                        const QString& fieldFile) {
    QString line;
    line.reserve(label.size() + fieldName.size() + fieldFile.size() + 80);
    line += u'<';
    line += label;
    line += u" db=main field=";
    line += fieldName;
    AppendTypeSuffix(line, fieldType, fieldMin, fieldMax, fieldFile);
    line += u'>';
    return line;
}

void BuildDescription(const QString& kindFolder, QStringList& lines) {
    FieldCatalogue fields(kindFolder);
    TDbTable& catalogue = fields.Table();

    lines.clear();
    lines.reserve(catalogue.RecordCount() + 2);
    lines.append(QStringLiteral("<!!Данные обследования>"));
    lines.append(QStringLiteral("<Ф.И.О. db=main field=fio type=char input=edit>"));
    TDbField& name = catalogue.FieldByName(QStringLiteral("Fieldname"));
    TDbField& type = catalogue.FieldByName(QStringLiteral("Fieldtype"));
    TDbField& label = catalogue.FieldByName(QStringLiteral("Descript"));
    TDbField& low = catalogue.FieldByName(QStringLiteral("FieldMin"));
    TDbField& high = catalogue.FieldByName(QStringLiteral("FieldMax"));
    TDbField& file = catalogue.FieldByName(QStringLiteral("FieldFile"));
    for (catalogue.First(); !catalogue.Eof(); catalogue.Next())
        lines.append(DescriptionLine(name.AsString(), type.AsString(), label.AsString(),
                                     BoundOf(low), BoundOf(high), file.AsString()));
}
