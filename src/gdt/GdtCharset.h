#pragma once

#include <optional>
#include <QByteArray>
#include <QString>
#include <variant>

namespace kavio::gdt {

// The character sets field 9206 names. The number is the field's content.
enum class Charset { SevenBit = 1, Cp437 = 2, Latin1 = 3 };

// A file without 9206 is read as code page 437.
inline constexpr Charset kDefaultCharset = Charset::Cp437;

// "1", "2" or "3"; nullopt for anything else.
std::optional<Charset> charsetOfCode(const QByteArray &code);
QByteArray charsetCode(Charset charset);

// The bytes of text, or the first character the set has no byte for.
//
// 7 bit is plain ASCII here: the German replacement of [\]{|}~ by umlauts (DIN 66003)
// could not be confirmed as what practice software means by 9206 = 1, and reading "]" as
// "Ü" unasked would turn names into wrong names. So umlauts are refused in 7 bit and the
// operator is told to choose 2 or 3.
std::variant<QByteArray, QChar> encode(const QString &text, Charset charset);

// The text of bytes, or the first byte the set does not define (only 7 bit refuses bytes).
std::variant<QString, uchar> decode(const QByteArray &bytes, Charset charset);

} // namespace kavio::gdt
