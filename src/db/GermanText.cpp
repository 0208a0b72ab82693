#include "db/GermanText.h"

#include <sqlite3.h>
#include <string>

namespace kavio {

QString foldGerman(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c == QChar(0x00DF) || c == QChar(0x1E9E)) { // ß, ẞ
            out += QLatin1String("ss");
            continue;
        }
        out += c.toCaseFolded();
    }
    return out;
}

QString foldCase(const QString &text)
{
    // Composed first, so that a "u" with a separate diaeresis is the same "ü".
    const QString composed = text.normalized(QString::NormalizationForm_C);
    QString out;
    out.reserve(composed.size());
    for (const QChar c : composed) {
        if (c == QChar(0x00DF) || c == QChar(0x1E9E)) // ß, ẞ: "SS" in capitals
            out += QLatin1String("ss");
        else
            out += c.toCaseFolded();
    }
    return out;
}

namespace {

int sign(int v)
{
    return (v > 0) - (v < 0);
}

int compareUtf8(int lenA, const void *a, int lenB, const void *b)
{
    const auto *pa = static_cast<const unsigned char *>(a);
    const auto *pb = static_cast<const unsigned char *>(b);
    const int n = lenA < lenB ? lenA : lenB;
    for (int i = 0; i < n; ++i) {
        const unsigned char ca = pa[i], cb = pb[i];
        if (ca >= 0x80 || cb >= 0x80) {
            // Not plain ASCII from here on: compare the folded texts.
            const QString sa = QString::fromUtf8(reinterpret_cast<const char *>(pa), lenA);
            const QString sb = QString::fromUtf8(reinterpret_cast<const char *>(pb), lenB);
            return sign(foldGerman(sa).compare(foldGerman(sb)));
        }
        const int la = (ca >= 'A' && ca <= 'Z') ? ca + 32 : ca;
        const int lb = (cb >= 'A' && cb <= 'Z') ? cb + 32 : cb;
        if (la != lb)
            return la < lb ? -1 : 1;
    }
    return sign(lenA - lenB);
}

int collate(void *, int lenA, const void *a, int lenB, const void *b)
{
    return compareUtf8(lenA, a, lenB, b);
}

template <QString (*fold)(const QString &)> void foldFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const int len = sqlite3_value_bytes(argv[0]);
    // Plain ASCII, most names: lower case is the whole folding, without the detour
    // through QString (this runs once per row when a list is ordered by it).
    thread_local std::string ascii;
    ascii.assign(text, static_cast<size_t>(len));
    bool plain = true;
    for (char &c : ascii) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            plain = false;
            break;
        }
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    }
    if (plain) {
        sqlite3_result_text(ctx, ascii.data(), len, SQLITE_TRANSIENT);
        return;
    }
    const QByteArray folded = fold(QString::fromUtf8(text, len)).toUtf8();
    sqlite3_result_text(ctx, folded.constData(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
}

} // namespace

int compareGerman(const QString &a, const QString &b)
{
    const QByteArray ua = a.toUtf8(), ub = b.toUtf8();
    return compareUtf8(static_cast<int>(ua.size()), ua.constData(), static_cast<int>(ub.size()), ub.constData());
}

bool registerGermanText(sqlite3 *db)
{
    if (!db)
        return false;
    const int c = sqlite3_create_collation_v2(db, "GERMAN", SQLITE_UTF8, nullptr, &collate, nullptr);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    const int f =
        sqlite3_create_function_v2(db, "FOLD", 1, flags, nullptr, &foldFunction<foldGerman>, nullptr, nullptr, nullptr);
    const int fc = sqlite3_create_function_v2(db, "FOLDCASE", 1, flags, nullptr, &foldFunction<foldCase>, nullptr,
                                              nullptr, nullptr);
    return c == SQLITE_OK && f == SQLITE_OK && fc == SQLITE_OK;
}

} // namespace kavio
