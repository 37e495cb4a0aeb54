#include "EntryPainters.h"

#include <QPainter>
#include <QWidget>

#include "EngineError.h"
#include "EntryListWidget.h"
#include "UiLook.h"
#include "binding/ProtocolSession.h"
#include "binding/RowText.h"
#include "binding/SqlValues.h"
#include "binding/ValueKinds.h"
#include "proc/Text.h"

namespace {

const QString kUndefinedText = QStringLiteral("параметр не определен");
// Side lists show at most this much of a value; the viewer shows the rest.
constexpr qsizetype kShownLength = 150;

enum Font { kHeading, kName, kValue, kValueBold };

QString Shortened(const QString& text) {
    return text.size() > kShownLength ? text.first(kShownLength) + QStringLiteral(" ...") : text;
}

ValueType TypeOf(const TNvDescriptorItem& item) {
    return TypeCode(item.GetAttr(QStringLiteral("type")));
}

InputKindCode InputOf(const TNvDescriptorItem& item) {
    return InputKind(item.GetAttr(QStringLiteral("input")));
}

int Level(const TNvDescriptorItem& item) { return item.GetAttrInt(QStringLiteral("level")); }
int Margin(const TNvDescriptorItem& item) { return item.GetAttrInt(QStringLiteral("margin")); }

// A bound of the range check: absent when empty or not an integer.
std::optional<int> Bound(const TNvDescriptorItem& item, const QString& name) {
    return ParseInt(item.GetAttr(name));
}

// A value as a number for the range check. A number with a fractional part is compared as
// the number it is (36,6 lies between 34 and 43); a text that is no number counts as 0.
double NumberOf(const QString& value) {
    if (const auto number = ParseLocaleFloat(value, QLocale())) return *number;
    if (const auto number = ParseLocaleFloat(value, QLocale::c())) return *number;
    return 0;
}

}  // namespace

// Where a painter draws: the font and colour in use, and the painter itself when painting is
// on. Measuring runs the same calls without a painter.
class EntryPainter::Canvas {
public:
    Canvas(QPainter* painter, const EntryLook& look, const std::vector<QFontMetrics>& metrics,
           const std::vector<TextMeasure>& widths)
        : painter_(painter), look_(look), metrics_(metrics), widths_(widths) {}

    bool Painting() const { return painter_ != nullptr; }
    void Style(int style) {
        font_ = style == 1 ? kHeading : style == 2 ? kName : kValue;
        if (style != 3) colour_ = Qt::black;
    }
    void Bold(bool bold) {
        if (font_ == kValue || font_ == kValueBold) font_ = bold ? kValueBold : kValue;
    }
    bool IsBold() const { return font_ == kValueBold; }
    void Colour(const QColor& colour) { colour_ = colour; }

    TextWidth WidthFn() const {
        const TextMeasure& measure = widths_[font_];
        return [&measure](QStringView text) { return measure.Width(text); };
    }

    void Text(int x, int y, const QString& text) const {
        if (!painter_ || text.isEmpty()) return;
        painter_->setFont(FontOf(font_));
        painter_->setPen(colour_);
        painter_->drawText(x, y + metrics_[font_].ascent(), text);
    }
    void Picture(int x, int y, const QPixmap& picture) const {
        if (painter_ && !picture.isNull()) painter_->drawPixmap(x, y, picture);
    }
    // Lines of text wrapped to limit at (x, y), (x, y + step), ...; returns lines * step.
    int Wrapped(int x, int y, const QString& text, int limit, int step) const {
        return DrawWrapped(WidthFn(), x, y, text, limit, step, Painting(),
                           [this](int lx, int ly, const QString& line) { Text(lx, ly, line); });
    }
    int Lines(const QString& text, int limit) const { return CountLines(WidthFn(), text, limit); }
    QString Line(const QString& text, int n, int limit) const { return WrapLine(WidthFn(), text, n, limit); }

    QPainter* Painter() const { return painter_; }

private:
    const QFont& FontOf(Font font) const {
        switch (font) {
            case kHeading: return look_.heading;
            case kName: return look_.name;
            case kValue: return look_.value;
            case kValueBold: return look_.valueBold;
        }
        return look_.value;
    }

    QPainter* painter_;
    const EntryLook& look_;
    const std::vector<QFontMetrics>& metrics_;
    const std::vector<TextMeasure>& widths_;
    Font font_ = kValue;
    QColor colour_ = Qt::black;
};

EntryLook EntryLook::Measure(int listFrameWidth, int scrollBarWidth) {
    // The fonts are made once (finding a face is slow); what they measure is taken every time.
    static const EntryLook fonts = [] {
        EntryLook look;
        // Sizes of 10 and 9 points as the lists were designed, at 96 dots per inch.
        look.heading = UiFont(QStringLiteral("Arial"), 13, true);
        look.name = UiFont(QStringLiteral("Arial"), 13, false, true);
        look.name.setUnderline(true);
        look.value = UiFont(QStringLiteral("Arial"), 12);
        look.valueBold = UiFont(QStringLiteral("Arial"), 12, true);
        for (QFont* font : {&look.heading, &look.name, &look.value, &look.valueBold}) font->setKerning(false);
        return look;
    }();
    EntryLook look = fonts;
    const QString yy = QStringLiteral("Yy");
    look.headingLineHeight = QFontMetrics(look.heading).horizontalAdvance(yy) + 10;
    look.nameLineHeight = QFontMetrics(look.name).horizontalAdvance(yy) + 4;
    look.valueLineHeight = QFontMetrics(look.value).horizontalAdvance(yy) + 4;
    look.headingTextHeight = QFontMetrics(look.heading).height();
    look.listFrameWidth = listFrameWidth;
    look.scrollBarWidth = scrollBarWidth;
    return look;
}

int ListTextWidth(const QWidget& list, const EntryLook& look) {
    return ListTextWidth(list.width(), look.listFrameWidth, look.scrollBarWidth);
}

EntryPainter::EntryPainter(const EntryPictures& pictures, const InputTypeRegistry& registry)
    : pictures_(pictures), registry_(registry) {
    SetLook(EntryLook::Measure(0, 0));
}

void EntryPainter::SetLook(const EntryLook& look) {
    // The width tables fill as characters are met; fonts that stay keep what they learnt.
    const bool sameFonts = widths_.size() == 4 && look.heading == look_.heading && look.name == look_.name &&
                           look.value == look_.value && look.valueBold == look_.valueBold;
    look_ = look;
    if (sameFonts) return;
    metrics_ = {QFontMetrics(look_.heading), QFontMetrics(look_.name), QFontMetrics(look_.value),
                QFontMetrics(look_.valueBold)};
    widths_ = {TextMeasure(look_.heading), TextMeasure(look_.name), TextMeasure(look_.value),
               TextMeasure(look_.valueBold)};
}

void EntryPainter::SetSession(ProtocolSession* session) {
    session_ = session;
    ++showing_;
    unreadable_.clear();
}

EntryMetrics EntryPainter::Metrics(const EntryListWidget& currentList) const {
    EntryMetrics m;
    m.nameWidth = widths_[kName].Fn();
    m.valueWidth = widths_[kValue].Fn();
    m.nameLineHeight = look_.nameLineHeight;
    m.valueLineHeight = look_.valueLineHeight;
    m.indentStep = look_.indentStep;
    m.checkedPictureWidth = pictures_.checked.width();
    m.listWidth = currentList.width();
    m.listFrameWidth = look_.listFrameWidth;
    m.scrollBarWidth = look_.scrollBarWidth;
    return m;
}

const QStringList& EntryPainter::Names(const TNvDescriptorItem& item) const {
    static const QStringList none;
    const QString table = RefTableName(item.GetAttr(QStringLiteral("ref_db")));
    if (!session_ || unreadable_.contains(table.toLower())) return none;
    try {
        return session_->ReferenceNames(item);
    } catch (const EngineError& e) {
        // Drawn without choices; the user is told once, not at every repaint.
        unreadable_.insert(table.toLower());
        if (errorSink_) errorSink_(e.message());
        return none;
    }
}

size_t EntryPainter::MeasureKey(const QString& row, int W) const {
    const TNvDescriptorItem* item = session_ ? session_->ItemOfRow(row) : nullptr;
    if (!item) return 0;
    // Asked of every row at every rebuild: one pass over the attributes, no lookups by name.
    // An attribute keeps its name and place once written (a new one is appended), so its
    // values and their number tell the attributes apart.
    size_t key = qHashMulti(0x5eed, IsHeadingRow(row), W, item->Name, item->Attributes().Count());
    const QString* type = nullptr;
    const QString* input = nullptr;
    for (const TNvDescriptorItem* a = item->Attributes().First(); a; a = a->Next()) {
        key = key * 1000003u ^ qHash(a->Value);
        if (!type && a->Name.size() == 4 && a->Name.compare(u"type", Qt::CaseInsensitive) == 0)
            type = &a->Value;
        else if (!input && a->Name.size() == 5 && a->Name.compare(u"input", Qt::CaseInsensitive) == 0)
            input = &a->Value;
    }
    // What the registry of custom input types says (empty in this program, but asked anyway).
    if (input && InputKind(*input) == InputKindCode::Custom)
        key = qHashMulti(key, IsDefined(registry_, *item), DisplayText(registry_, *item));
    // The choices of a reference item are read once per showing and may differ from the last.
    if (type && IsReferenceType(TypeCode(*type))) key = qHashMulti(key, showing_);
    return key | 1;  // never 0, which means "no item"
}

EntryPainter::RowState EntryPainter::StateOf(const QString& row) const {
    RowState state;
    const TNvDescriptorItem* item = session_ ? session_->ItemOfRow(row) : nullptr;
    if (!item) return state;
    state.texts.reserve(item->Attributes().Count() + 1);
    state.texts.append(item->Name);
    for (const TNvDescriptorItem* a = item->Attributes().First(); a; a = a->Next()) state.texts.append(a->Value);
    state.showing = showing_;
    state.always = InputKind(item->GetAttr(QStringLiteral("input"))) == InputKindCode::Custom;
    return state;
}

bool EntryPainter::Unchanged(const QString& row, const RowState& state) const {
    const TNvDescriptorItem* item = session_ ? session_->ItemOfRow(row) : nullptr;
    if (!item || state.always || state.showing != showing_) return false;
    if (state.texts.size() != item->Attributes().Count() + 1 || state.texts.front() != item->Name) return false;
    qsizetype i = 1;
    for (const TNvDescriptorItem* a = item->Attributes().First(); a; a = a->Next())
        if (state.texts[i++] != a->Value) return false;
    return true;
}

bool EntryLook::SameMeasures(const EntryLook& other) const {
    return heading == other.heading && name == other.name && value == other.value &&
           valueBold == other.valueBold && headingLineHeight == other.headingLineHeight &&
           nameLineHeight == other.nameLineHeight && valueLineHeight == other.valueLineHeight &&
           headingTextHeight == other.headingTextHeight && indentStep == other.indentStep &&
           listFrameWidth == other.listFrameWidth && scrollBarWidth == other.scrollBarWidth;
}

void EntryPainter::Background(Canvas& c, bool heading, const QRect& r, int clientWidth) const {
    QPainter* p = c.Painter();
    if (!p) return;
    if (!heading) {
        p->fillRect(r, kListColour);
        return;
    }
    // Column i of the client width: red 249 + i/CW, green 221 + 16i/CW, blue 170 + 33i/CW.
    if (gradient_.width() != clientWidth) {
        gradient_ = QImage(std::max(clientWidth, 1), 1, QImage::Format_RGB32);
        for (int i = 0; i < clientWidth; ++i) {
            const double f = double(i) / clientWidth;
            gradient_.setPixel(i, 0, qRgb(int(249 + f), int(221 + 16 * f), int(170 + 33 * f)));
        }
    }
    if (clientWidth > 0) p->drawImage(QRect(r.left(), r.top(), clientWidth, r.height()), gradient_);
}

int EntryPainter::DrawSideItem(const EntryListWidget& list, int index, QPainter* paint,
                               const QRect& rect) const {
    return SideRow(list.Row(index), ListTextWidth(list, look_), paint, rect, list.viewport()->width());
}

int EntryPainter::DrawCurrentItem(const EntryListWidget& list, int index, QPainter* paint,
                                  const QRect& rect) const {
    return CurrentRow(list.Row(index), ListTextWidth(list, look_), paint, rect, list.viewport()->width());
}

int EntryPainter::SideRow(const QString& row, int W, QPainter* paint, const QRect& r,
                          int clientWidth) const {
    const TNvDescriptorItem* item = session_ ? session_->ItemOfRow(row) : nullptr;
    if (!item) return 0;
    Canvas c(paint, look_, metrics_, widths_);
    const bool heading = IsHeadingRow(row);
    Background(c, heading, r, clientWidth);
    if (heading) return SideHeading(c, *item, W, r);
    c.Style(2);
    const int x = look_.indentStep * Level(*item) + Margin(*item) + 2 - look_.indentStep / 2;
    int h = c.Wrapped(r.left() + x, r.top() + 2, item->Name, W - 2 - x, look_.nameLineHeight);
    if (IsDefined(registry_, *item)) h += DrawSideValue(c, *item, h, W, r);
    return h;
}

int EntryPainter::SideHeading(Canvas& c, const TNvDescriptorItem& item, int W, const QRect& r) const {
    c.Style(1);
    const int hl = look_.headingLineHeight;
    int x0 = 2;
    if (const QPixmap* picture = pictures_.headings.Find(item.GetAttr(QStringLiteral("pic")))) {
        c.Picture(r.left() + 4, r.top() + (hl - picture->height()) / 2, *picture);
        x0 = 26;  // whatever the picture's width
    }
    const int offset = (hl - look_.headingTextHeight) / 2;
    // Counted two pixels narrower than they are taken, as the side lists always have been.
    const int n = c.Lines(item.Name, W - x0 - 2);
    if (c.Painting())
        for (int i = 0; i < n; ++i)
            c.Text(r.left() + x0, r.top() + offset + i * hl, c.Line(item.Name, i, W - x0));
    return offset + n * hl;
}

int EntryPainter::DrawSideValue(Canvas& c, const TNvDescriptorItem& item, int h, int W,
                                const QRect& r) const {
    c.Style(3);
    c.Colour(kSideValueColour);
    c.Bold(true);
    const int xv = look_.indentStep * Level(item) + Margin(item) + 2;
    const int x = r.left() + xv;
    const int y = r.top() + h;
    const int step = look_.valueLineHeight;
    const QString t = Shortened(DisplayText(registry_, item));
    const QString value = item.GetAttr(QStringLiteral("value"));
    switch (TypeOf(item)) {
        case ValueType::Int:
        case ValueType::Float:
        case ValueType::Date:
            c.Text(x, y, t);
            return step;
        case ValueType::Bool:
            c.Text(x, y, t == u"0" ? QStringLiteral("Нет") : QStringLiteral("Да"));
            return step;
        case ValueType::Ref: {
            const QStringList& names = Names(item);
            const int position = value.toInt();
            const QString name = position >= 1 && position <= names.size() ? names[position - 1] : QString();
            return c.Wrapped(x, y, name, W - xv, step);
        }
        case ValueType::RefGroup: {
            const QStringList& names = Names(item);
            QStringList chosen;
            for (int i = 0; i < names.size(); ++i)
                if (HasToken(value, i + 1)) chosen << names[i];
            return c.Wrapped(x, y, chosen.join(QStringLiteral(", ")), W - xv, step);
        }
        case ValueType::Group:
            return 0;
        default:
            return c.Wrapped(x, y, t, W - xv, step);
    }
}

int EntryPainter::CurrentRow(const QString& row, int W, QPainter* paint, const QRect& r,
                             int clientWidth) const {
    const TNvDescriptorItem* item = session_ ? session_->ItemOfRow(row) : nullptr;
    if (!item) return 0;
    Canvas c(paint, look_, metrics_, widths_);
    const bool heading = IsHeadingRow(row);
    Background(c, heading, r, clientWidth);
    if (heading) return CurrentHeading(c, *item, W, r);
    c.Style(2);
    const int x = look_.indentStep / 2 + look_.indentStep * (Level(*item) - 1) + Margin(*item) + 2;
    int h = c.Wrapped(r.left() + x, r.top() + 2, item->Name, W - x, look_.nameLineHeight);
    // While a memo is open on the item its value is not painted, but its room is kept.
    if (!c.Painting() || item->GetAttrInt(QStringLiteral("edited")) == 0)
        h += DrawCurrentValue(c, *item, h, W, r);
    return h;
}

int EntryPainter::CurrentHeading(Canvas& c, const TNvDescriptorItem& item, int W, const QRect& r) const {
    c.Style(1);
    const int hl = look_.headingLineHeight;
    int x0 = 2;
    if (const QPixmap* picture = pictures_.headings.Find(item.GetAttr(QStringLiteral("pic")))) {
        c.Picture(r.left() + 4, r.top() + (hl - picture->height()) / 2, *picture);
        x0 = picture->width() + 8;
    }
    const int y0 = r.top() + (hl - look_.headingTextHeight) / 2;
    // The centring offset places the text but is not part of the height.
    return c.Wrapped(r.left() + x0, y0, item.Name, W - x0 - 2, hl);
}

int EntryPainter::DrawCurrentValue(Canvas& c, const TNvDescriptorItem& item, int h, int W,
                                   const QRect& r) const {
    c.Style(3);
    const int indent = look_.indentStep * Level(item) + Margin(item);
    const int xv = r.left() + indent + 2;
    const int right = r.left() + W;
    const int y = r.top() + h;
    const int step = look_.valueLineHeight;
    const int wideLimit = right - xv - 2 - look_.scrollBarWidth;
    const bool custom = InputOf(item) == InputKindCode::Custom;
    const bool defined = IsDefined(registry_, item);
    const ValueType type = TypeOf(item);
    int height = 0;
    switch (type) {
        case ValueType::Int:
        case ValueType::Float:
            if (!defined)
                height = DrawUndefinedMark(c, item, h, r);
            else if (custom)
                height = c.Wrapped(xv, y, Shortened(DisplayText(registry_, item)), wideLimit, step);
            else
                height = DrawNumber(c, item, h, r);
            break;
        case ValueType::Bool: {
            if (c.Painting()) {
                const bool wasBold = c.IsBold();
                const bool set = item.GetAttrInt(QStringLiteral("value")) != 0;
                c.Bold(set);
                const QPixmap& box = set ? pictures_.checked : pictures_.unchecked;
                c.Picture(r.left() + indent, y + 1, box);
                c.Text(r.left() + indent + pictures_.checked.width() + 4, y, item.Name);
                c.Bold(wasBold);
            }
            height = step;
            break;
        }
        case ValueType::Ref:
            height = DrawChoices(c, item, h, W, r, false);
            break;
        case ValueType::RefGroup:
            height = DrawChoices(c, item, h, W, r, true);
            break;
        case ValueType::Group:
            break;
        case ValueType::Custom:
            height = defined ? c.Wrapped(xv, y, DisplayText(registry_, item), wideLimit, step)
                             : DrawUndefinedMark(c, item, h, r);
            break;
        default:
            if (!defined)
                height = DrawUndefinedMark(c, item, h, r);
            else if (type == ValueType::None && InputOf(item) == InputKindCode::None)
                height = 0;  // nothing tells how to show it
            else if (custom)
                height = c.Wrapped(xv, y, Shortened(DisplayText(registry_, item)), wideLimit, step);
            else {
                c.Text(xv, y, item.GetAttr(QStringLiteral("value")));
                height = step;
            }
            break;
    }
    c.Colour(Qt::black);
    return height;
}

int EntryPainter::DrawNumber(Canvas& c, const TNvDescriptorItem& item, int h, const QRect& r) const {
    const int xv = r.left() + look_.indentStep * Level(item) + Margin(item) + 2;
    const int y = r.top() + h;
    const QString value = item.GetAttr(QStringLiteral("value"));
    const auto lo = Bound(item, QStringLiteral("minvalue"));
    const auto hi = Bound(item, QStringLiteral("maxvalue"));
    const double v = NumberOf(value);
    if (lo && hi && (v < *lo || v > *hi)) {
        c.Colour(kOutOfRangeColour);
        c.Text(xv, y, QStringLiteral("%1 (мин.=%2; макс.=%3)").arg(value).arg(*lo).arg(*hi));
        c.Colour(Qt::black);
    } else {
        c.Text(xv, y, value);
    }
    return look_.valueLineHeight;
}

int EntryPainter::DrawChoices(Canvas& c, const TNvDescriptorItem& item, int h, int W,
                              const QRect& r, bool tokens) const {
    const QStringList& names = Names(item);
    const int level = Level(item);
    const int margin = Margin(item);
    const int xp = r.left() + look_.indentStep * level + margin;
    const ChoiceText place = ChoiceTextPlace(W, pictures_.checked.width(), look_.indentStep,
                                             look_.scrollBarWidth, level, margin, tokens);
    const int limit = place.wrapWidth;
    const int xt = r.left() + place.left;
    const QString value = item.GetAttr(QStringLiteral("value"));
    const int chosen = value.toInt();
    const int y = r.top() + h;
    int o = 0;
    for (int i = 1; i <= names.size(); ++i) {
        const bool set = tokens ? HasToken(value, i) : i == chosen;
        c.Picture(xp, y + o + 1, set ? pictures_.checked : pictures_.unchecked);
        o += c.Wrapped(xt, y + o, names[i - 1], limit, look_.valueLineHeight);
    }
    return o;
}

int EntryPainter::DrawUndefinedMark(Canvas& c, const TNvDescriptorItem& item, int h, const QRect& r) const {
    if (c.Painting()) {
        const int x = r.left() + look_.indentStep / 2 * Level(item) + Margin(item);
        const int y = r.top() + h;
        c.Colour(kSideValueColour);
        c.Picture(x, y + 1, pictures_.undefined);
        c.Text(x + pictures_.undefined.width() + 4, y, kUndefinedText);
        c.Colour(Qt::black);
    }
    return look_.valueLineHeight;
}
