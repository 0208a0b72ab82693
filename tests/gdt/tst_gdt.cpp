// The GDT layer against bytes written out by hand.
#include "gdt/ExchangeName.h"
#include "gdt/GdtRecord.h"
#include "gdt/GdtRequest.h"
#include "gdt/GdtResult.h"
#include "Requests.h"

#include <QTest>

using namespace kavio;
using namespace kavio::gdt;
using namespace kavio::gdt::test;

Q_DECLARE_METATYPE(kavio::gdt::Error::Kind)
Q_DECLARE_METATYPE(kavio::gdt::Charset)
Q_DECLARE_METATYPE(kavio::gdt::Request)

namespace {

using Kind = Error::Kind;

Request expectedMueller()
{
    return {QStringLiteral("KAVI"), QStringLiteral("PRAX"), QStringLiteral("02.10"),
            Charset::Cp437,         QStringLiteral("4711"), QStringLiteral("Müller"),
            QStringLiteral("Anna"), QDate(1958, 3, 14),     clinical::Sex::Female};
}

ResultInput muellerResult()
{
    ResultInput in;
    in.receiverId = QStringLiteral("PRAX");
    in.senderId = QStringLiteral("KAVI");
    in.patientNumber = QStringLiteral("4711");
    in.person = {12, QStringLiteral("Müller"), QStringLiteral("Anna"), QDate(1958, 3, 14)};
    in.sex = clinical::Sex::Female;
    in.segment = segmentByCode(QStringLiteral("AR"));
    in.values[Frequency::kHz50] = {qint16(512), qint16(48), qint16(530)};
    in.day = QDate(2026, 3, 2);
    in.time = QTime(9, 15, 30);
    in.findings = QStringLiteral("Verlauf unauffällig");
    return in;
}

} // namespace

class TestGdt : public QObject {
    Q_OBJECT

private slots:
    void resultGolden()
    {
        // 8100 = 536 counted by hand over the line lengths; Ä = 0x8E, ä = 0x84, ü = 0x81.
        const QByteArray expected = "01380006310\r\n"
                                    "014810000536\r\n"
                                    "0138315PRAX\r\n"
                                    "0138316KAVI\r\n"
                                    "01092062\r\n"
                                    "014921802.10\r\n"
                                    "01330004711\r\n"
                                    "0153101M\x81ller\r\n"
                                    "0133102Anna\r\n"
                                    "017310314031958\r\n"
                                    "01031102\r\n"
                                    "017620002032026\r\n"
                                    "0156201091530\r\n"
                                    "0158402BIASEG\r\n"
                                    "0148410R50AR\r\n"
                                    "0368411Resistanz 50 kHz Arm rechts\r\n"
                                    "0128420512\r\n"
                                    "0128421Ohm\r\n"
                                    "0158410XC50AR\r\n"
                                    "0358411Reaktanz 50 kHz Arm rechts\r\n"
                                    "011842048\r\n"
                                    "0128421Ohm\r\n"
                                    "0168410PHI50AR\r\n"
                                    "0398411Phasenwinkel 50 kHz Arm rechts\r\n"
                                    "01284205,4\r\n"
                                    "0138421Grad\r\n"
                                    "0158410DR50AR\r\n"
                                    "0528411\x8Enderung R durch Therapie 50 kHz Arm rechts\r\n"
                                    "01284203,5\r\n"
                                    "0108421%\r\n"
                                    "0286220Verlauf unauff\x84llig\r\n";
        QCOMPARE(expected.size(), 536);
        const Outcome<QByteArray> written = writeResult(muellerResult());
        QVERIFY(written.ok());
        QCOMPARE(*written.value, expected);
    }

    void readRequests_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Request>("expected");
        const Request m = expectedMueller();
        QTest::newRow("cp437") << sized(kRequestLines) << m;
        Request latin = m;
        latin.charset = Charset::Latin1;
        latin.version = QStringLiteral("03.00");
        latin.sex = clinical::Sex::Male;
        QTest::newRow("latin1, 03.00, male") << request("01092062", "01092063")
                                                    .replace("M\x81ller", "M\xFCller")
                                                    .replace("02.10", "03.00")
                                                    .replace("01031102", "01031101")
                                             << latin;
        Request bare = m;
        bare.version.clear();
        bare.firstName.clear();
        bare.sex = clinical::Sex::Unknown;
        QTest::newRow("no 9206, 9218, 3102, 3110; padded 3000") << sized(QByteArray(kRequestLines)
                                                                             .replace("014921802.10\r\n", "")
                                                                             .replace("0133102Anna\r\n", "")
                                                                             .replace("01031102\r\n", "")
                                                                             .replace("01092062\r\n", "")
                                                                             .replace("0133000", "0153000  "))
                                                                << bare;
    }

    void readRequests()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Request, expected);
        const Outcome<Request> r = readRequest(bytes);
        QVERIFY2(r.ok(), qPrintable(r.error ? r.error->reason : QString()));
        QCOMPARE(*r.value, expected);
    }

    // Every kind of bad request a practice software or a broken transfer can leave, with part of the reason.
    void badInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("reason");
        const QByteArray good = sized(kRequestLines);
        QTest::newRow("line length") << request("01330004711", "01430004711") << Kind::WrongLineLength
                                     << "Zeile 7 (Feld 3000) gibt die Länge 14 an, ist aber 13 Bytes lang.";
        QTest::newRow("8100") << QByteArray(good).replace("00145", "00146") << Kind::WrongRecordLength
                              << "Satzlänge (Feld 8100) lautet „00146“, die Datei hat aber 145 Bytes.";
        QTest::newRow("no 8100") << QByteArray(good).replace("014810000145\r\n", "") << Kind::NoRecordLength
                                 << "Satzlänge (Feld 8100) fehlt";
        QTest::newRow("line > 999") << request("Anna", QByteArray(993, 'A')).replace("0133102", "9993102")
                                    << Kind::LineTooLong << "Zeile 9 ist mit 1002 Bytes länger als die erlaubten 999.";
        QTest::newRow("no final CR LF") << good.chopped(2) << Kind::Incomplete << "endet nicht mit CR LF";
        QTest::newRow("empty") << QByteArray() << Kind::Incomplete << "unvollständig";
        QTest::newRow("charset 7") << request("01092062", "01092067") << Kind::UnknownCharset
                                   << "Unbekannter Zeichensatz „7“ in Feld 9206";
        QTest::newRow("8 bit in 7 bit") << request("01092062", "01092061") << Kind::NotInCharset
                                        << "Zeile 8 (Feld 3101) enthält das Byte 0x81";
        QTest::newRow("10 MB") << QByteArray(kMaxFileBytes + 1, '0') << Kind::TooLarge
                               << "10485761 Bytes größer als die erlaubten 10485760";
        QTest::newRow("no 8000") << request("01380006302\r\n", "") << Kind::NoRecordType << "keine Satzart (Feld 8000)";
        QTest::newRow("not digits") << request("0133102", "01x3102") << Kind::BadLineStart
                                    << "Zeile 9 beginnt nicht mit drei Ziffern";
        QTest::newRow("empty 3000") << request("01330004711", "0113000  ") << Kind::MissingField
                                    << "Patientennummer (Feld 3000) fehlt";
        QTest::newRow("31 February") << request("14031958", "31022001") << Kind::BadBirthDate
                                     << "„31022001“ (Feld 3103) ist kein gültiges Datum";
        QTest::newRow("ISO date") << request("017310314031958", "01931031958-03-14") << Kind::BadBirthDate
                                  << "„1958-03-14“";
        QTest::newRow("6311") << request("6302", "6311") << Kind::UnsupportedRecordType
                              << "Satzart 6311 (Daten einer Untersuchung zeigen) wird von KavioSegment nicht";
        QTest::newRow("6310") << request("6302", "6310") << Kind::WrongRecordType << "„6310“ ist keine Anforderung";
        QTest::newRow("version 01.00") << request("02.10", "01.00") << Kind::UnsupportedVersion
                                       << "GDT-Version „01.00“";
        for (const char *breakBytes : {"\r", "\n", "\r\n"}) {
            const QByteArray content = QByteArray("An") + breakBytes + "na";
            QTest::addRow("%s in content", breakBytes[0] == '\n' ? "LF"
                                           : breakBytes[1]       ? "CR LF"
                                                                 : "CR")
                << request("0133102Anna",
                           QByteArray::number(9 + content.size()).rightJustified(3, '0') + "3102" + content)
                << Kind::LineBreakInContent << "Zeile 9 (Feld 3102) enthält CR oder LF";
        }
        for (const auto &[line, reason] : {std::pair{"01330004711\r\n", "Patientennummer (Feld 3000) fehlt"},
                                           std::pair{"0153101M\x81ller\r\n", "Name (Feld 3101) fehlt"},
                                           std::pair{"017310314031958\r\n", "Geburtsdatum (Feld 3103) fehlt"}})
            QTest::newRow(reason) << request(line, "") << Kind::MissingField << QString::fromUtf8(reason);
    }

    void badInput()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Kind, kind);
        QFETCH(QString, reason);
        const Outcome<Request> r = readRequest(bytes);
        QVERIFY(!r.ok());
        QVERIFY2(r.error->reason.contains(reason, Qt::CaseInsensitive), qPrintable(r.error->reason));
        QCOMPARE(r.error->kind, kind);
    }

    void unwritable_data()
    {
        QTest::addColumn<Charset>("charset");
        QTest::addColumn<QString>("name");
        QTest::addColumn<Kind>("kind");
        QTest::newRow("umlaut in 7 bit") << Charset::SevenBit << "Müller" << Kind::NotInCharset;
        QTest::newRow("§ in CP437") << Charset::Cp437 << "§" << Kind::NotInCharset;
        QTest::newRow("LF") << Charset::Cp437 << "Mül\nler" << Kind::LineBreakInContent;
        QTest::newRow("993 bytes") << Charset::Latin1 << QString(991, QLatin1Char('x')) << Kind::LineTooLong;
    }

    void unwritable()
    {
        QFETCH(Charset, charset);
        QFETCH(QString, name);
        QFETCH(Kind, kind);
        ResultInput in = muellerResult();
        in.person.name = name;
        in.charset = charset;
        const Outcome<QByteArray> r = writeResult(in);
        QVERIFY(!r.ok());
        QCOMPARE(r.error->kind, kind);
    }

    void roundTrip_data()
    {
        QTest::addColumn<Charset>("charset");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("nameBytes");
        QTest::newRow("7 bit") << Charset::SevenBit << "Mueller [Test] {x}" << QByteArray("Mueller [Test] {x}");
        QTest::newRow("CP437") << Charset::Cp437 << "Müßig-Ça Ö é ÄÜäö"
                               << QByteArray("M\x81\xE1ig-\x80"
                                             "a \x99 \x82 \x8E\x9A\x84\x94");
        QTest::newRow("Latin-1") << Charset::Latin1 << "Müßig-Ça Ö é €–—„“"
                                 << QByteArray("M\xFC\xDFig-\xC7"
                                               "a \xD6 \xE9 \x80\x96\x97\x84\x93");
    }

    void roundTrip()
    {
        QFETCH(Charset, charset);
        QFETCH(QString, name);
        QFETCH(QByteArray, nameBytes);
        Record out;
        out.add(field::kRecordType, QStringLiteral("6302"));
        out.add(field::kRecordLength, {});
        out.add(field::kCharset, QString::fromLatin1(charsetCode(charset)));
        out.add(field::kPatientNumber, QStringLiteral("A-17"));
        out.add(field::kName, name);
        out.add(field::kBirthDate, QStringLiteral("29022000"));
        const Outcome<QByteArray> bytes = serialize(out, charset);
        QVERIFY(bytes.ok());
        QVERIFY(bytes.value->contains("3101" + nameBytes + "\r\n"));
        const Outcome<Request> back = readRequest(*bytes.value);
        QVERIFY2(back.ok(), qPrintable(back.error ? back.error->reason : QString()));
        QCOMPARE(back.value->name, name);
        QCOMPARE(back.value->charset, charset);
        QCOMPARE(back.value->birthDate, QDate(2000, 2, 29));
    }

    // Every byte of the 8-bit sets reads as a character that writes back to that byte: a slip in
    // the tables shows as a byte that comes back different (which letter a byte is: roundTrip).
    void everyByteRoundTrips()
    {
        for (Charset c : {Charset::Cp437, Charset::Latin1}) {
            QByteArray all(256, '\0');
            for (int b = 0; b < 256; ++b)
                all[b] = char(b);
            const auto text = decode(all, c);
            QCOMPARE(std::get<QString>(text).size(), 256);
            QCOMPARE(std::get<QByteArray>(encode(std::get<QString>(text), c)), all);
        }
    }

    void wrap_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("fits") << "Arme links 3,1 % über rechts" << 60 << QStringList{"Arme links 3,1 % über rechts"};
        QTest::newRow("exactly at width") << "aaaa bbbb cc" << 9 << QStringList{"aaaa bbbb", "cc"};
        QTest::newRow("long word cut") << "x abcdefghij y" << 4 << QStringList{"x", "abcd", "efgh", "ij y"};
        QTest::newRow("breaks kept") << "eins\r\n\nzwei  drei" << 60 << QStringList{"eins", "zwei drei"};
        QTest::newRow("empty") << "" << 60 << QStringList{};
    }

    void wrap()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QStringList, lines);
        QCOMPARE(wrapLines(text, width), lines);
    }

    void fileNames_data()
    {
        QTest::addColumn<QString>("receiver");
        QTest::addColumn<bool>("counting");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("expected"); // empty: no name free
        QTest::newRow("fixed") << "PRAXIS01" << false << QStringList{"KAVIPRAX.GDT"} << "PRAXKAVI.GDT";
        QTest::newRow("fixed taken") << "PRAX" << false << QStringList{"praxkavi.gdt"} << "";
        QTest::newRow("first count") << "PRAX" << true << QStringList{"PRAXKAVI.GDT", "KAVIPRAX.005"} << "PRAXKAVI.001";
        QTest::newRow("after highest") << "PRAX" << true << QStringList{"PRAXKAVI.002", "praxkavi.010", "PRAXKAVI.tmp"}
                                       << "PRAXKAVI.011";
        QTest::newRow("used up") << "PRAX" << true << QStringList{"PRAXKAVI.999"} << "";
    }

    void fileNames()
    {
        QFETCH(QString, receiver);
        QFETCH(bool, counting);
        QFETCH(QStringList, existing);
        QFETCH(QString, expected);
        const auto name = exchangeFileName(receiver, QStringLiteral("KAVI"), counting, existing);
        QCOMPARE(name.value_or(QString()), expected);
        if (name)
            QVERIFY(isExchangeFile(name->toLower(), receiver, QStringLiteral("KAVI")));
        QVERIFY(!isExchangeFile(QStringLiteral("KAVIPRAX.GDT"), receiver, QStringLiteral("KAVI")));
    }
};

QTEST_GUILESS_MAIN(TestGdt)
#include "tst_gdt.moc"
