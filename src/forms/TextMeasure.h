#pragma once

#include <QFont>
#include <QStringView>

#include <memory>

#include "proc/Wrap.h"

// Text widths in one font of the entry lists, fast enough to wrap every row of a protocol of
// hundreds of fields at every rebuild: a text is as wide as its characters' advances together.
// That holds exactly for a font without kerning, which the lists use (as the lists always
// measured: character by character, no pair adjustments), so painting puts every character
// where the measuring counted it.
class TextMeasure {
public:
    TextMeasure() = default;
    explicit TextMeasure(const QFont& font);

    int Width(QStringView text) const;
    // The same as a callable for the wrapping helpers; it shares this measure's table.
    TextWidth Fn() const;

private:
    struct Table;
    std::shared_ptr<Table> table_;
};
