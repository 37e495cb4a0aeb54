#pragma once

struct sqlite3;

// LIKE that ignores letter case for Cyrillic as well as Latin text (SQLite's own knows
// only ASCII), and upper()/lower() that know Cyrillic too.
void RegisterUnicodeFunctions(sqlite3* db);

// Exposed for tests: does text match the LIKE pattern, case ignored?
bool LikeMatch(const char* pattern, int patternSize, const char* text, int textSize,
               char32_t escape);
