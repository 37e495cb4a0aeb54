#include "InputFilters.h"

#include "Cp1251.h"

bool NameCharAllowed(QChar c) {
    const char16_t code = c.unicode();
    if (code <= 0x20) return true;
    if (code <= 0x7F) return false;
    return EncodeCp1251(QStringView(&c, 1)).has_value();
}

bool NumberCharAllowed(QChar c) {
    const char16_t code = c.unicode();
    return code < 0x20 || (code >= u'0' && code <= u'9');
}
