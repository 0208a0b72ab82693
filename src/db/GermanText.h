#pragma once

#include <QString>

struct sqlite3;

namespace kavio {

// The key by which names are ordered as a German reader expects: letter case ignored,
// umlauts and accented letters with their base letter, "ß" as "ss".
QString foldGerman(const QString &text);

// The key by which names are matched (search, duplicate test): letter case ignored ("ü"
// is "Ü", "ß" is "SS"), but "ü" is not "u": Müller and Muller are two persons.
QString foldCase(const QString &text);

// Three-way comparison by foldGerman, fast for plain ASCII text.
int compareGerman(const QString &a, const QString &b);

// Registers on a connection the collation GERMAN and the function FOLD(text) by
// foldGerman, and the function FOLDCASE(text) by foldCase. Returns false when the engine refused.
bool registerGermanText(sqlite3 *db);

} // namespace kavio
