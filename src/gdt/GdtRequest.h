#pragma once

#include "clinical/PersonFacts.h"
#include "gdt/GdtRecord.h"

#include <QDate>
#include <QString>

namespace kavio::gdt {

// Record types of the exchange.
inline constexpr int kRequestType = 6302; // Neue Untersuchung anfordern
inline constexpr int kResultType = 6310;  // Daten einer Untersuchung übermitteln

// A 6302 as the program uses it: who asks whom, and for which patient.
struct Request {
    QString receiverId; // 8315: this program's id in the practice software
    QString senderId;   // 8316: the practice software's id
    QString version;    // 9218, empty when the file has none
    Charset charset = kDefaultCharset;
    QString patientNumber; // 3000, the practice's own number
    QString name;
    QString firstName;
    QDate birthDate;
    clinical::Sex sex = clinical::Sex::Unknown; // 3110; absent or unknown codes stay Unknown

    bool operator==(const Request &) const = default;
};

// The request of a parsed record. Refuses other record types (6300, 6301, 6311 as
// UnsupportedRecordType, so the caller can say that this device does not offer them), a
// 9218 other than 02.xx or 03.xx, a missing 3000, 3101 or 3103 and a birth date that is no
// date.
Outcome<Request> readRequest(const Record &record);
Outcome<Request> readRequest(const QByteArray &bytes);

// DDMMYYYY; an invalid date for anything else.
QDate dateOfGdt(const QString &text);

} // namespace kavio::gdt
