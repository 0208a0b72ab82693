#pragma once

// A request as practice software writes it, by hand, for the tests of the format, the
// exchange folder and the link.
#include <QByteArray>

namespace kavio::gdt::test {

// "?????" in a hand-written file becomes its byte count, so a row can change a line
// without recounting the whole file.
inline QByteArray sized(QByteArray bytes)
{
    return bytes.replace("?????", QByteArray::number(bytes.size()).rightJustified(5, '0'));
}

// A request line by line (CP437, ü = 0x81).
inline const QByteArray kRequestLines = "01380006302\r\n"
                                        "0148100?????\r\n"
                                        "0138315KAVI\r\n"
                                        "0138316PRAX\r\n"
                                        "014921802.10\r\n"
                                        "01092062\r\n"
                                        "01330004711\r\n"
                                        "0153101M\x81ller\r\n"
                                        "0133102Anna\r\n"
                                        "017310314031958\r\n"
                                        "01031102\r\n";

// The request with one part replaced, its 8100 counted afresh.
inline QByteArray request(const QByteArray &from, const QByteArray &to)
{
    return sized(QByteArray(kRequestLines).replace(from, to));
}

} // namespace kavio::gdt::test
