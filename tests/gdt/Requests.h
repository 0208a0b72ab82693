#pragma once

// Requests as practice software writes them, by hand, for the tests of the format and of
// the exchange folder.
#include "gdt/GdtRecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

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

// A file that is not a usable request: what it is, and part of the reason given.
struct BadRequest {
    const char *name;
    QByteArray bytes;
    Error::Kind kind;
    QString reason;
};

// Every kind of bad request a practice software or a broken transfer can leave.
inline QList<BadRequest> badRequests()
{
    using Kind = Error::Kind;
    const QByteArray good = sized(kRequestLines);
    QList<BadRequest> rows{
        {"line length", request("01330004711", "01430004711"), Kind::WrongLineLength,
         "Zeile 7 (Feld 3000) gibt die Länge 14 an, ist aber 13 Bytes lang."},
        {"8100", QByteArray(good).replace("00145", "00146"), Kind::WrongRecordLength,
         "Satzlänge (Feld 8100) lautet „00146“, die Datei hat aber 145 Bytes."},
        {"no 8100", QByteArray(good).replace("014810000145\r\n", ""), Kind::NoRecordLength,
         "Satzlänge (Feld 8100) fehlt"},
        {"line > 999", request("Anna", QByteArray(993, 'A')).replace("0133102", "9993102"), Kind::LineTooLong,
         "Zeile 9 ist mit 1002 Bytes länger als die erlaubten 999."},
        {"no final CR LF", good.chopped(2), Kind::Incomplete, "endet nicht mit CR LF"},
        {"empty", QByteArray(), Kind::Incomplete, "unvollständig"},
        {"charset 7", request("01092062", "01092067"), Kind::UnknownCharset,
         "Unbekannter Zeichensatz „7“ in Feld 9206"},
        {"8 bit in 7 bit", request("01092062", "01092061"), Kind::NotInCharset,
         "Zeile 8 (Feld 3101) enthält das Byte 0x81"},
        {"10 MB", QByteArray(kMaxFileBytes + 1, '0'), Kind::TooLarge,
         "10485761 Bytes größer als die erlaubten 10485760"},
        {"no 8000", request("01380006302\r\n", ""), Kind::NoRecordType, "keine Satzart (Feld 8000)"},
        {"not digits", request("0133102", "01x3102"), Kind::BadLineStart, "Zeile 9 beginnt nicht mit drei Ziffern"},
        {"empty 3000", request("01330004711", "0113000  "), Kind::MissingField, "Patientennummer (Feld 3000) fehlt"},
        {"31 February", request("14031958", "31022001"), Kind::BadBirthDate,
         "„31022001“ (Feld 3103) ist kein gültiges Datum"},
        {"ISO date", request("017310314031958", "01931031958-03-14"), Kind::BadBirthDate, "„1958-03-14“"},
        {"6311", request("6302", "6311"), Kind::UnsupportedRecordType,
         "Satzart 6311 (Daten einer Untersuchung zeigen) wird von KavioSegment nicht"},
        {"6310", request("6302", "6310"), Kind::WrongRecordType, "„6310“ ist keine Anforderung"},
        {"version 01.00", request("02.10", "01.00"), Kind::UnsupportedVersion, "GDT-Version „01.00“"},
    };
    for (const char *breakBytes : {"\r", "\n", "\r\n"}) {
        const QByteArray content = QByteArray("An") + breakBytes + "na";
        rows.append(
            {breakBytes[0] == '\n' ? "LF in content"
             : breakBytes[1]       ? "CR LF in content"
                                   : "CR in content",
             request("0133102Anna", QByteArray::number(9 + content.size()).rightJustified(3, '0') + "3102" + content),
             Kind::LineBreakInContent, "Zeile 9 (Feld 3102) enthält CR oder LF"});
    }
    const std::pair<QByteArray, const char *> required[] = {{"01330004711\r\n", "Patientennummer (Feld 3000) fehlt"},
                                                            {"0153101M\x81ller\r\n", "Name (Feld 3101) fehlt"},
                                                            {"017310314031958\r\n", "Geburtsdatum (Feld 3103) fehlt"}};
    for (const auto &[line, reason] : required)
        rows.append({reason, request(line, ""), Kind::MissingField, QString::fromUtf8(reason)});
    return rows;
}

} // namespace kavio::gdt::test
