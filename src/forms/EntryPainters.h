#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QSet>
#include <QRect>
#include <QString>

#include <functional>
#include <vector>

#include "EntryPictures.h"
#include "TextMeasure.h"
#include "binding/InputTypes.h"
#include "binding/PressLayout.h"
#include "description/NvDescriptor.h"

class QPainter;
class QWidget;
class EntryListWidget;
class ProtocolSession;

// The colours of the entry window's lists.
inline const QColor kListColour(252, 241, 211);
inline const QColor kSideValueColour(41, 69, 132);
inline const QColor kOutOfRangeColour(255, 0, 0);

// The three text styles of the lists and the line steps measured from them. The steps are the
// width of "Yy" plus a margin, measured anew at every showing of the window.
struct EntryLook {
    QFont heading;  // style 1: group headings, bold
    QFont name;     // style 2: item names, italic and underlined
    QFont value;    // style 3: values and choices
    QFont valueBold;  // style 3 in bold: side-list values, a set check box's name
    int headingLineHeight = 0;
    int nameLineHeight = 0;
    int valueLineHeight = 0;
    int headingTextHeight = 0;  // height of "Hy" in the heading style
    int indentStep = 16;
    int listFrameWidth = 0;  // a list's width minus its client width
    int scrollBarWidth = 0;

    static EntryLook Measure(int listFrameWidth, int scrollBarWidth);
    // Whether rows measure alike in both looks.
    bool SameMeasures(const EntryLook& other) const;
};

// The width texts are wrapped to in a list: its width without frame, scroll bar and 2 pixels.
int ListTextWidth(const QWidget& list, const EntryLook& look);

// The row painters of the entry window. One code path measures and paints: every painter
// returns the row's height and paints only when given a painter, so the heights the lists lay
// out and the positions the presses and editors are mapped through cannot drift apart.
class EntryPainter {
public:
    EntryPainter(const EntryPictures& pictures, const InputTypeRegistry& registry);

    // The show's measurements and model; null session paints nothing (no protocol is open).
    void SetLook(const EntryLook& look);
    const EntryLook& Look() const { return look_; }
    void SetSession(ProtocolSession* session);
    // Told once per reference table that cannot be read while drawing.
    void SetErrorSink(std::function<void(const QString&)> sink) { errorSink_ = std::move(sink); }

    // The current list's metrics for the binding's press and editor placement.
    EntryMetrics Metrics(const EntryListWidget& currentList) const;

    // One row of a side list (entered or next) / of the current list. rect is the row's
    // rectangle (empty while measuring); clientWidth is the list's client width (gradient).
    int DrawSideItem(const EntryListWidget& list, int index, QPainter* paint, const QRect& rect) const;
    int DrawCurrentItem(const EntryListWidget& list, int index, QPainter* paint, const QRect& rect) const;

    // A hash of everything a row's height depends on besides the look (the item's name and
    // attributes, its reference choices, the text width): rows whose keys are equal measure
    // alike, so a list keeps heights across rebuilds. 0 for a row that names no item.
    size_t MeasureKey(const QString& row, int W) const;

    // What a row's height was measured from, kept to tell cheaply whether it may have changed
    // since (the texts are shared with the item's, so an unchanged one compares at once).
    struct RowState {
        QStringList texts;  // the item's name and attribute values, in order
        quint64 showing = 0;
        bool always = true;  // a custom input row: its registry decides, ask every time
    };
    RowState StateOf(const QString& row) const;
    bool Unchanged(const QString& row, const RowState& state) const;

    // The same for a row text directly, with the text width W of the list.
    int SideRow(const QString& row, int W, QPainter* paint, const QRect& rect, int clientWidth) const;
    int CurrentRow(const QString& row, int W, QPainter* paint, const QRect& rect, int clientWidth) const;

private:
    class Canvas;

    void Background(Canvas& canvas, bool heading, const QRect& rect, int clientWidth) const;
    int SideHeading(Canvas& c, const TNvDescriptorItem& item, int W, const QRect& r) const;
    int CurrentHeading(Canvas& c, const TNvDescriptorItem& item, int W, const QRect& r) const;
    int DrawSideValue(Canvas& c, const TNvDescriptorItem& item, int h, int W, const QRect& r) const;
    int DrawCurrentValue(Canvas& c, const TNvDescriptorItem& item, int h, int W, const QRect& r) const;
    int DrawUndefinedMark(Canvas& c, const TNvDescriptorItem& item, int h, const QRect& r) const;
    int DrawChoices(Canvas& c, const TNvDescriptorItem& item, int h, int W, const QRect& r,
                    bool tokens) const;
    int DrawNumber(Canvas& c, const TNvDescriptorItem& item, int h, const QRect& r) const;
    const QStringList& Names(const TNvDescriptorItem& item) const;

    const EntryPictures& pictures_;
    // One per font of the look, in the order heading, name, value, value bold.
    std::vector<QFontMetrics> metrics_;
    std::vector<TextMeasure> widths_;
    mutable QImage gradient_;  // one pixel high, as wide as the last client width painted
    mutable QSet<QString> unreadable_;
    const InputTypeRegistry& registry_;
    EntryLook look_;
    ProtocolSession* session_ = nullptr;
    quint64 showing_ = 0;  // counts the sessions painted
    std::function<void(const QString&)> errorSink_;
};
