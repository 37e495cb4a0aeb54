#include "proc/Wrap.h"

#include "proc/Text.h"

#include <QStringList>

namespace {

using LineSink = std::function<bool(const QString& line)>;

constexpr QStringView kDelimiters = u" .,-;?!";

bool HasVisible(QStringView text) {
    for (QChar c : text)
        if (c.unicode() > 32) return true;
    return false;
}

// A surrogate pair is appended and measured as one character, so it is never split.
qsizetype CharLength(const QString& text, qsizetype i) {
    const bool pair =
        text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    return pair ? 2 : 1;
}

// Where a line that has just overflowed is broken, or 0 to keep it whole. The break after the
// last delimiter (cut) is used when one was appended to this line and visible text precedes it.
// Otherwise the line is broken before the character that overflowed, so a word wider than the
// column is split rather than lost, and a character too wide on its own gets a line to itself.
qsizetype BreakPosition(QStringView line, qsizetype cut, qsizetype lastLength) {
    if (cut > 0 && HasVisible(line.first(cut))) return cut;
    const qsizetype beforeLast = line.size() - lastLength;
    return HasVisible(line.first(beforeLast)) ? beforeLast : 0;
}

// One pass over the text that hands every display line to sink until sink returns false.
// Every line handed over is non-empty, so no line before the last can hide the rest.
void BreakLines(const TextWidth& width, const QString& text, int limit, const LineSink& sink) {
    QString line;
    // Break position in line. It is not reset after a break, only shifted with the characters
    // removed, so it stays at or below 0 until a delimiter is appended to the new line.
    qsizetype cut = -1;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = CharLength(text, i);
        line += QStringView(text).sliced(i, length);
        i += length;
        // Repeated because what is left after a break can still overflow when the character
        // that overflowed is wide; a character on its own is left as it is.
        while (line.size() > length && width(line) > limit) {
            qsizetype at = BreakPosition(line, cut, length);
            if (at > 0) {
                if (!sink(TrimControl(QStringView(line).first(at)))) return;
            } else {
                at = line.size() - length;  // only blanks before it: trimming would drop them
            }
            line.remove(0, at);
            cut -= at;
        }
        if (length == 1 && kDelimiters.contains(line.back())) cut = line.size();
    }
    const QString last = TrimControl(line);
    if (!last.isEmpty()) sink(last);
}

QStringList AllLines(const TextWidth& width, const QString& text, int limit) {
    QStringList lines;
    BreakLines(width, text, limit, [&](const QString& line) {
        lines.append(line);
        return true;
    });
    return lines;
}

}  // namespace

QString WrapLine(const TextWidth& width, const QString& text, int n, int limit) {
    QString result;
    if (n < 0) return result;
    int k = 0;
    BreakLines(width, text, limit, [&](const QString& line) {
        if (k++ < n) return true;
        result = line;
        return false;
    });
    return result;
}

int CountLines(const TextWidth& width, const QString& text, int limit) {
    int count = 0;
    BreakLines(width, text, limit, [&](const QString&) {
        ++count;
        return true;
    });
    return count;
}

int DrawWrapped(const TextWidth& width, int x, int y, const QString& text, int limit, int step,
                bool paint, const DrawLineFn& draw) {
    const QStringList lines = AllLines(width, text, limit);
    if (paint && draw)
        for (int i = 0; i < lines.size(); ++i) draw(x, y + i * step, lines[i]);
    return int(lines.size()) * step;
}

int WrappedHeight(const TextWidth& width, const QString& text, int limit, int step) {
    return CountLines(width, text, limit) * step;
}
