#pragma once

#include <QString>

struct sqlite3;

namespace kavio {

// The key under which names compare as a German user expects: letter case ignored,
// umlauts and accented letters with their base letter, "ß" as "ss".
QString foldGerman(const QString &text);

// Three-way comparison by foldGerman, fast for plain ASCII text.
int compareGerman(const QString &a, const QString &b);

// Registers on a connection the collation GERMAN and the function FOLD(text) with the
// rules above. Returns false when the engine refused.
bool registerGermanText(sqlite3 *db);

} // namespace kavio
