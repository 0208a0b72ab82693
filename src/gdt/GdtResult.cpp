#include "gdt/GdtResult.h"

#include "clinical/Decimal.h"
#include "clinical/PhaseAngle.h"
#include "clinical/TherapyChange.h"
#include "gdt/GdtRequest.h"

namespace kavio::gdt {

namespace {

void addTest(Record &r, const QString &id, const QString &name, const QString &value, const QString &unit)
{
    r.add(field::kTestId, id);
    r.add(field::kTestName, name);
    r.add(field::kTestValue, value);
    r.add(field::kTestUnit, unit);
}

void addTests(Record &r, const SegmentInfo &segment, const SegmentReading &values)
{
    const QString caption = QString::fromUtf8(segment.caption);
    const QString code = QLatin1String(segment.code);
    for (Frequency f : kFrequencies) {
        const Impedance &v = values[f];
        const QString khz = QString::number(kiloHertz(f));
        const QString suffix = khz + code;
        const QString where = QStringLiteral(" %1 kHz %2").arg(khz, caption);
        if (v.r)
            addTest(r, QStringLiteral("R") + suffix, QStringLiteral("Resistanz") + where, QString::number(*v.r),
                    QStringLiteral("Ohm"));
        if (v.xc)
            addTest(r, QStringLiteral("XC") + suffix, QStringLiteral("Reaktanz") + where, QString::number(*v.xc),
                    QStringLiteral("Ohm"));
        if (const auto phi = clinical::phaseAngle(v))
            addTest(r, QStringLiteral("PHI") + suffix, QStringLiteral("Phasenwinkel") + where,
                    clinical::phaseAngleText(phi), QStringLiteral("Grad"));
        if (const auto dr = clinical::therapyChange(v))
            addTest(r, QStringLiteral("DR") + suffix, QStringLiteral("Änderung R durch Therapie") + where,
                    clinical::decimalComma(dr->tenthsOfPercent, 1), QStringLiteral("%"));
    }
}

} // namespace

QString gdtDate(const QDate &day)
{
    return day.toString(QStringLiteral("ddMMyyyy"));
}

QString gdtTime(const QTime &time)
{
    return time.toString(QStringLiteral("HHmmss"));
}

QStringList wrapLines(const QString &text, int width)
{
    QStringList lines;
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (QString word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            word.remove(QLatin1Char('\r'));
            if (!line.isEmpty() && line.size() + 1 + word.size() <= width) {
                line += QLatin1Char(' ') + word;
                continue;
            }
            if (!line.isEmpty())
                lines.append(line);
            while (word.size() > width) {
                lines.append(word.left(width));
                word.remove(0, width);
            }
            line = word;
        }
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

Record resultRecord(const ResultInput &in)
{
    Record r;
    r.add(field::kRecordType, QString::number(kResultType));
    r.add(field::kRecordLength, QString());
    r.add(field::kReceiverId, in.receiverId);
    r.add(field::kSenderId, in.senderId);
    r.add(field::kCharset, QString::fromLatin1(charsetCode(in.charset)));
    r.add(field::kVersion, QStringLiteral("02.10"));
    r.add(field::kPatientNumber, in.patientNumber);
    r.add(field::kName, in.person.name);
    if (!in.person.firstName.isEmpty())
        r.add(field::kFirstName, in.person.firstName);
    if (in.person.birthDate.isValid())
        r.add(field::kBirthDate, gdtDate(in.person.birthDate));
    if (in.sex != clinical::Sex::Unknown)
        r.add(field::kSex, in.sex == clinical::Sex::Male ? QStringLiteral("1") : QStringLiteral("2"));
    r.add(field::kDate, gdtDate(in.day));
    if (in.time.isValid())
        r.add(field::kTime, gdtTime(in.time));
    r.add(field::kProcedure, kProcedureId);
    if (in.segment)
        addTests(r, *in.segment, in.values);
    for (const QString &line : wrapLines(in.findings))
        r.add(field::kFindings, line);
    for (const QString &line : wrapLines(in.comment))
        r.add(field::kComment, line);
    return r;
}

Outcome<QByteArray> writeResult(const ResultInput &input)
{
    return serialize(resultRecord(input), input.charset);
}

} // namespace kavio::gdt
