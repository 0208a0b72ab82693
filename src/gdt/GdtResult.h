#pragma once

#include "clinical/PersonFacts.h"
#include "gdt/GdtRecord.h"
#include "session/Values.h"

#include <QDate>
#include <QStringList>
#include <QTime>

namespace kavio::gdt {

// 8402 of every result: the procedure as the practice software files it.
inline const QString kProcedureId = QStringLiteral("BIASEG");
inline constexpr int kFindingsWidth = 60;

// Everything one 6310 carries. Date and time are those of the measurement, given by the
// caller (a stored row may have no time).
struct ResultInput {
    QString receiverId; // 8315: the practice software
    QString senderId;   // 8316: this program
    Charset charset = kDefaultCharset;
    QString patientNumber; // 3000 from the request, or the practice's number of the person
    Person person;
    clinical::Sex sex = clinical::Sex::Unknown; // 3110 only when known
    const SegmentInfo *segment = nullptr;
    SegmentReading values;
    QDate day;
    QTime time;
    QString findings; // 6220, wrapped into lines; a line break starts a new line
    QString comment;  // 6227, optional, wrapped the same way
};

// The 6310 record: patient, date and time, 8402, then per frequency the tests R, XC, PHI
// and DR (ids such as "R50AR", "XC50AR", "PHI50AR", "DR50AR") with German names, the value
// with a decimal comma and the unit; a test whose value is empty is left out. 8100 is
// filled in by serialize().
Record resultRecord(const ResultInput &input);

// The file's bytes, or why the record cannot be written in the chosen set.
Outcome<QByteArray> writeResult(const ResultInput &input);

// Text as lines of at most width characters, broken at spaces; a word longer than a line
// is cut. Line breaks in the text are kept, empty lines dropped.
QStringList wrapLines(const QString &text, int width = kFindingsWidth);

// DDMMYYYY and HHMMSS.
QString gdtDate(const QDate &day);
QString gdtTime(const QTime &time);

} // namespace kavio::gdt
