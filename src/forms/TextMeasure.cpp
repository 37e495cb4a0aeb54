#include "TextMeasure.h"

#include <QFontMetricsF>

#include <cmath>
#include <vector>

struct TextMeasure::Table {
    explicit Table(const QFont& font) : metrics(font), advances(0x10000, -1) {}

    double Advance(char16_t c) {
        float& advance = advances[c];
        if (advance < 0) advance = float(metrics.horizontalAdvance(QChar(c)));
        return advance;
    }

    QFontMetricsF metrics;
    std::vector<float> advances;  // by UTF-16 code unit, -1 until first asked
};

TextMeasure::TextMeasure(const QFont& font) : table_(std::make_shared<Table>(font)) {}

int TextMeasure::Width(QStringView text) const {
    if (!table_) return 0;
    double width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            width += table_->metrics.horizontalAdvance(text.sliced(i, 2).toString());
            ++i;
        } else {
            width += table_->Advance(c.unicode());
        }
    }
    return int(std::lround(width));
}

TextWidth TextMeasure::Fn() const {
    return [measure = *this](QStringView text) { return measure.Width(text); };
}
