#include "UnicodeFunctions.h"

#include <QChar>
#include <QString>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace {

// Decodes one UTF-8 character at p (advancing it); malformed bytes come back one by one.
char32_t NextChar(const unsigned char*& p, const unsigned char* end) {
    const unsigned char c = *p++;
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t cp = c & (0x3F >> extra);
    if (extra == 0) return c;
    while (extra-- > 0 && p < end && (*p & 0xC0) == 0x80) cp = (cp << 6) | (*p++ & 0x3F);
    return cp;
}

// Lower-case folding, a table for the Latin and Cyrillic blocks that these texts live in.
struct FoldTable {
    std::array<char32_t, 0x530> lower{};
    FoldTable() {
        for (char32_t c = 0; c < lower.size(); ++c) lower[c] = QChar::toLower(c);
    }
};

char32_t Fold(char32_t c) {
    static const FoldTable table;
    if (c < table.lower.size()) return table.lower[c];
    return QChar::toLower(c);
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Folds UTF-8 text into out (replacing it). ASCII and the two-byte forms (Cyrillic) are
// folded in place without a general decode; a folded character never needs more than one
// byte beyond its own UTF-8 length, so 2x the input is always room enough.
void FoldUtf8Into(const unsigned char* p, const unsigned char* end, std::string& out) {
    out.resize(static_cast<size_t>(end - p) * 2 + 4);
    char* o = out.data();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            *o++ = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
            ++p;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF && p + 1 < end && (p[1] & 0xC0) == 0x80) {
            const char32_t folded = Fold((char32_t(c & 0x1F) << 6) | (p[1] & 0x3F));
            p += 2;
            if (folded >= 0x80 && folded < 0x800) {
                *o++ = static_cast<char>(0xC0 | (folded >> 6));
                *o++ = static_cast<char>(0x80 | (folded & 0x3F));
                continue;
            }
            std::string tail;
            AppendUtf8(tail, folded);
            for (char t : tail) *o++ = t;
            continue;
        }
        std::string tail;
        AppendUtf8(tail, Fold(NextChar(p, end)));
        for (char t : tail) *o++ = t;
    }
    out.resize(static_cast<size_t>(o - out.data()));
}

std::string FoldUtf8(const unsigned char* p, const unsigned char* end) {
    std::string out;
    FoldUtf8Into(p, end, out);
    return out;
}

// A pattern folded once per statement (SQLite keeps it with the constant argument).
struct FoldedPattern {
    std::string folded;
    bool simple = false;
    bool anchoredStart = false;
    bool anchoredEnd = false;
    size_t literalBegin = 0;
    size_t literalSize = 0;
};

// The common pattern "%literal%" (and "literal%", "%literal", "literal") becomes a search
// for the folded literal; returns false when the pattern has other wildcards.
bool SimplePattern(std::string_view folded, char32_t escape, bool& anchoredStart,
                   bool& anchoredEnd, std::string_view& literal) {
    if (escape != 0) return false;
    size_t b = 0, e = folded.size();
    anchoredStart = !(e > 0 && folded[0] == '%');
    if (!anchoredStart) ++b;
    anchoredEnd = !(e > b && folded[e - 1] == '%');
    if (!anchoredEnd) --e;
    literal = folded.substr(b, e - b);
    return literal.find_first_of("%_") == std::string_view::npos;
}

// General matcher over folded UTF-8: '%' any run, '_' one character, escape takes the next
// character literally. Backtracks only to the last '%', so it is O(n*m) at worst.
bool GeneralMatch(const unsigned char* p, const unsigned char* pe, const unsigned char* t,
                  const unsigned char* te, char32_t escape) {
    const unsigned char* starP = nullptr;
    const unsigned char* starT = nullptr;
    while (true) {
        if (p < pe) {
            const unsigned char* save = p;
            char32_t pc = NextChar(p, pe);
            if (pc == U'%' ) {
                while (p < pe && *p == '%') ++p;
                starP = p;
                starT = t;
                if (p == pe) return true;
                continue;
            }
            if (t < te) {
                const unsigned char* tsave = t;
                char32_t tc = NextChar(t, te);
                bool literal = false;
                if (escape != 0 && pc == escape && p < pe) {
                    pc = NextChar(p, pe);
                    literal = true;
                }
                if ((pc == U'_' && !literal) || pc == tc) continue;
                t = tsave;
            }
            p = save;
        } else if (t == te) {
            return true;
        }
        if (starP == nullptr || starT >= te) return false;
        NextChar(starT, te);
        p = starP;
        t = starT;
    }
}

FoldedPattern Prepare(const unsigned char* pattern, int size, char32_t escape) {
    FoldedPattern p;
    p.folded = FoldUtf8(pattern, pattern + size);
    std::string_view literal;
    p.simple = SimplePattern(p.folded, escape, p.anchoredStart, p.anchoredEnd, literal);
    if (p.simple) {
        p.literalBegin = static_cast<size_t>(literal.data() - p.folded.data());
        p.literalSize = literal.size();
    }
    return p;
}

bool Matches(const FoldedPattern& p, const unsigned char* text, int size, char32_t escape) {
    thread_local std::string folded;
    FoldUtf8Into(text, text + size, folded);
    if (p.simple) {
        const std::string_view t(folded);
        const std::string_view literal(p.folded.data() + p.literalBegin, p.literalSize);
        if (p.anchoredStart && p.anchoredEnd) return t == literal;
        if (p.anchoredStart) return t.substr(0, literal.size()) == literal;
        if (p.anchoredEnd)
            return t.size() >= literal.size() && t.substr(t.size() - literal.size()) == literal;
        return t.find(literal) != std::string_view::npos;
    }
    const auto* pp = reinterpret_cast<const unsigned char*>(p.folded.data());
    const auto* tt = reinterpret_cast<const unsigned char*>(folded.data());
    return GeneralMatch(pp, pp + p.folded.size(), tt, tt + folded.size(), Fold(escape));
}

void LikeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const auto* pattern = sqlite3_value_text(argv[0]);
    const auto* text = sqlite3_value_text(argv[1]);
    if (pattern == nullptr || text == nullptr) return;  // NULL in, NULL out
    char32_t escape = 0;
    if (argc == 3) {
        const auto* e = sqlite3_value_text(argv[2]);
        if (e == nullptr) return;
        const unsigned char* ep = e;
        const unsigned char* ee = e + sqlite3_value_bytes(argv[2]);
        if (ep < ee) escape = NextChar(ep, ee);
        if (ep != ee || escape == 0) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
    }
    auto* prepared = static_cast<FoldedPattern*>(sqlite3_get_auxdata(ctx, 0));
    if (prepared == nullptr) {
        prepared = new FoldedPattern(Prepare(pattern, sqlite3_value_bytes(argv[0]), Fold(escape)));
        sqlite3_set_auxdata(ctx, 0, prepared, [](void* p) { delete static_cast<FoldedPattern*>(p); });
        // SQLite may drop the data at once (a pattern that is not constant) and free it.
        prepared = static_cast<FoldedPattern*>(sqlite3_get_auxdata(ctx, 0));
        if (prepared == nullptr) {
            const FoldedPattern once = Prepare(pattern, sqlite3_value_bytes(argv[0]), Fold(escape));
            sqlite3_result_int(ctx, Matches(once, text, sqlite3_value_bytes(argv[1]), escape) ? 1 : 0);
            return;
        }
    }
    sqlite3_result_int(ctx, Matches(*prepared, text, sqlite3_value_bytes(argv[1]), escape) ? 1 : 0);
}

void CaseFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QString s = QString::fromUtf8(text, sqlite3_value_bytes(argv[0]));
    const bool upper = sqlite3_user_data(ctx) != nullptr;
    const QByteArray out = (upper ? s.toUpper() : s.toLower()).toUtf8();
    sqlite3_result_text(ctx, out.constData(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

}  // namespace

bool LikeMatch(const char* pattern, int patternSize, const char* text, int textSize,
               char32_t escape) {
    const FoldedPattern p =
        Prepare(reinterpret_cast<const unsigned char*>(pattern), patternSize, Fold(escape));
    return Matches(p, reinterpret_cast<const unsigned char*>(text), textSize, escape);
}

void RegisterUnicodeFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function(db, "like", 2, flags, nullptr, LikeFunction, nullptr, nullptr);
    sqlite3_create_function(db, "like", 3, flags, nullptr, LikeFunction, nullptr, nullptr);
    static int upperTag = 1;
    sqlite3_create_function(db, "upper", 1, flags, &upperTag, CaseFunction, nullptr, nullptr);
    sqlite3_create_function(db, "lower", 1, flags, nullptr, CaseFunction, nullptr, nullptr);
}
