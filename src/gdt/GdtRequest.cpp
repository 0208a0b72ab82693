#include "gdt/GdtRequest.h"

#include <array>
#include <QRegularExpression>
#include <utility>

namespace kavio::gdt {

namespace {

using Kind = Error::Kind;

QString recordTypeName(int type)
{
    switch (type) {
    case 6300:
        return QStringLiteral("Stammdaten anfordern");
    case 6301:
        return QStringLiteral("Stammdaten übermitteln");
    case 6311:
        return QStringLiteral("Daten einer Untersuchung zeigen");
    default:
        return {};
    }
}

} // namespace

QDate dateOfGdt(const QString &text)
{
    static const QRegularExpression eightDigits(QStringLiteral("^[0-9]{8}$"));
    if (!eightDigits.match(text).hasMatch())
        return {};
    return QDate(text.mid(4, 4).toInt(), text.mid(2, 2).toInt(), text.left(2).toInt());
}

Outcome<Request> readRequest(const Record &record)
{
    const QString type = record.value(field::kRecordType).value_or(QString()).trimmed();
    if (type != QString::number(kRequestType)) {
        const QString name = recordTypeName(type.toInt());
        if (!name.isEmpty())
            return Error{Kind::UnsupportedRecordType,
                         QStringLiteral("Satzart %1 (%2) wird von KavioSegment nicht unterstützt; "
                                        "es nimmt nur Anforderungen (6302) an.")
                             .arg(type, name)};
        return Error{Kind::WrongRecordType,
                     QStringLiteral("Satzart „%1“ ist keine Anforderung einer Untersuchung (6302).").arg(type)};
    }

    Request r;
    r.version = record.value(field::kVersion).value_or(QString()).trimmed();
    static const QRegularExpression knownVersion(QStringLiteral("^0[23]\\.[0-9]{2}$"));
    if (!r.version.isEmpty() && !knownVersion.match(r.version).hasMatch())
        return Error{Kind::UnsupportedVersion, QStringLiteral("GDT-Version „%1“ (Feld 9218) wird nicht unterstützt; "
                                                              "gelesen werden 02.xx und 03.xx.")
                                                   .arg(r.version)};

    const std::array<std::pair<int, QString>, 3> required{{
        {field::kPatientNumber, QStringLiteral("Die Patientennummer (Feld 3000) fehlt.")},
        {field::kName, QStringLiteral("Der Name (Feld 3101) fehlt.")},
        {field::kBirthDate, QStringLiteral("Das Geburtsdatum (Feld 3103) fehlt.")},
    }};
    for (const auto &[id, reason] : required)
        if (record.value(id).value_or(QString()).trimmed().isEmpty())
            return Error{Kind::MissingField, reason};

    r.receiverId = record.value(field::kReceiverId).value_or(QString()).trimmed();
    r.senderId = record.value(field::kSenderId).value_or(QString()).trimmed();
    r.charset = charsetOf(record);
    r.patientNumber = record.value(field::kPatientNumber)->trimmed();
    r.name = record.value(field::kName)->trimmed();
    r.firstName = record.value(field::kFirstName).value_or(QString()).trimmed();
    const QString birth = record.value(field::kBirthDate)->trimmed();
    r.birthDate = dateOfGdt(birth);
    if (!r.birthDate.isValid())
        return Error{
            Kind::BadBirthDate,
            QStringLiteral("Das Geburtsdatum „%1“ (Feld 3103) ist kein gültiges Datum (TTMMJJJJ).").arg(birth)};
    const QString sex = record.value(field::kSex).value_or(QString()).trimmed();
    if (sex == QLatin1String("1"))
        r.sex = clinical::Sex::Male;
    else if (sex == QLatin1String("2"))
        r.sex = clinical::Sex::Female;
    return r;
}

Outcome<Request> readRequest(const QByteArray &bytes)
{
    Outcome<Record> record = parse(bytes);
    if (!record.ok())
        return *record.error;
    return readRequest(*record.value);
}

} // namespace kavio::gdt
