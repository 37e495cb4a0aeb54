#pragma once

#include <QString>

// A calendar date read from text; day, month and year are meaningful only when ok.
struct ParsedDate {
    bool ok = false;
    int day = 0;
    int month = 0;
    int year = 0;
};

// Full check of a typed date "day SEP month SEP year" with SEP one of "/", "." or "-" (the first
// of them that occurs, in that order). Each part is a decimal integer, blanks around it allowed.
// Years below 100 are taken as 20yy. The day must exist in that month of the Gregorian calendar.
ParsedDate ParseDate(const QString& text);

// Whether text, typed so far, can still become a date: digits in parts of at most 2, 2 and 4,
// separated by "-" or "/" (one kind only). A part ended by a separator must be non-empty and in
// range (day 1..31, month 1..12); the part being typed is not range-checked yet.
bool IsDatePrefix(const QString& text);
