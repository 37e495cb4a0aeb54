#include "binding/PressLayout.h"

int ListTextWidth(int listWidth, int listFrameWidth, int scrollBarWidth) {
    return listWidth - listFrameWidth - scrollBarWidth - 2;
}

int ListTextWidth(const EntryMetrics& metrics) {
    return ListTextWidth(metrics.listWidth, metrics.listFrameWidth, metrics.scrollBarWidth);
}

int NameHeight(const EntryMetrics& metrics, const TNvDescriptorItem& item) {
    // The name is wrapped where the current list draws it: indented by level and margin.
    const int x = metrics.indentStep / 2 +
                  metrics.indentStep * (item.GetAttrInt(QStringLiteral("level")) - 1) +
                  item.GetAttrInt(QStringLiteral("margin")) + 2;
    return WrappedHeight(metrics.nameWidth, item.Name, ListTextWidth(metrics) - x,
                         metrics.nameLineHeight);
}

ChoiceText ChoiceTextPlace(int textWidth, int checkedPictureWidth, int indentStep, int scrollBarWidth,
                           int level, int margin, bool tokens) {
    ChoiceText place;
    place.left = checkedPictureWidth + indentStep * level + margin + (tokens ? 4 : 2);
    place.wrapWidth = textWidth - place.left - 2 - (tokens ? scrollBarWidth : 0);
    return place;
}

std::optional<int> ChoiceAt(const EntryMetrics& metrics, int level, const QStringList& names,
                            int y, int margin, bool tokens) {
    if (y < 0) return std::nullopt;
    const int limit = ChoiceTextPlace(ListTextWidth(metrics), metrics.checkedPictureWidth,
                                      metrics.indentStep, metrics.scrollBarWidth, level, margin, tokens)
                          .wrapWidth;
    int bottom = 0;
    for (int i = 0; i < names.size(); ++i) {
        bottom += WrappedHeight(metrics.valueWidth, names[i], limit, metrics.valueLineHeight);
        if (bottom > y) return i + 1;
    }
    return std::nullopt;
}

namespace {

// Where token n starts in value, or -1.
qsizetype TokenAt(const QString& value, int n) {
    const QString token = QString::number(n) + u'|';
    for (qsizetype at = value.indexOf(token); at >= 0; at = value.indexOf(token, at + 1))
        if (at == 0 || value[at - 1] == u'|') return at;
    return -1;
}

}  // namespace

bool HasToken(const QString& value, int n) {
    return TokenAt(value, n) >= 0;
}

QString ToggleToken(const QString& value, int n) {
    const qsizetype at = TokenAt(value, n);
    if (at < 0) return value + QString::number(n) + u'|';
    QString result = value;
    result.remove(at, QString::number(n).size() + 1);
    return result;
}
