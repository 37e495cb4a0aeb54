#include "proc/Dates.h"

#include "proc/Text.h"

#include <optional>

namespace {

std::optional<QChar> DateSeparator(const QString& text) {
    for (QChar separator : {u'/', u'.', u'-'})
        if (text.contains(separator)) return separator;
    return std::nullopt;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int month, int year) {
    switch (month) {
        case 2:
            return IsLeapYear(year) ? 29 : 28;
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        default:
            return 31;
    }
}

struct PrefixPart {
    int digits = 0;
    int value = 0;
};

constexpr int kPartDigits[] = {2, 2, 4};
constexpr int kPartMaximum[] = {31, 12};

bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

ParsedDate ParseDate(const QString& text) {
    const std::optional<QChar> separator = DateSeparator(text);
    if (!separator) return {};
    const qsizetype first = text.indexOf(*separator);
    const qsizetype second = text.indexOf(*separator, first + 1);
    if (second < 0) return {};
    const std::optional<int> day = ParseInt(QStringView(text).sliced(0, first));
    const std::optional<int> month =
        ParseInt(QStringView(text).sliced(first + 1, second - first - 1));
    std::optional<int> year = ParseInt(QStringView(text).sliced(second + 1));
    if (!day || !month || !year) return {};
    if (*month < 1 || *month > 12) return {};
    if (*year < 100) *year += 2000;
    if (*day < 1 || *day > DaysInMonth(*month, *year)) return {};
    return {true, *day, *month, *year};
}

bool IsDatePrefix(const QString& text) {
    const bool dash = text.contains(u'-');
    const bool slash = text.contains(u'/');
    if (dash && slash) return false;
    const QChar separator = dash ? u'-' : u'/';  // irrelevant when neither occurs
    int part = 0;
    PrefixPart current;
    for (QChar c : text) {
        if (IsAsciiDigit(c)) {
            if (++current.digits > kPartDigits[part]) return false;
            current.value = current.value * 10 + (c.unicode() - u'0');
        } else if (c == separator && part < 2) {
            if (current.digits == 0) return false;
            if (current.value < 1 || current.value > kPartMaximum[part]) return false;
            ++part;
            current = {};
        } else {
            return false;
        }
    }
    return true;
}
