#include "device/RecordParser.h"
#include "DeviceRecords.h"

#include <cmath>
#include <QTest>
#include <random>

using namespace kavio;

namespace {

// A record as the tests compare it: "AR/50/457/32", a missing value as "-", a record
// that arrived with no segment chosen prefixed with "!".
QString describe(const DeviceRecord &r)
{
    const auto v = [](const std::optional<qint16> &x) { return x ? QString::number(*x) : QStringLiteral("-"); };
    return (r.discarded ? QStringLiteral("!") : QString()) + r.code + QLatin1Char('/') + QString::number(r.frequency) +
           QLatin1Char('/') + v(r.r) + QLatin1Char('/') + v(r.xc);
}

QStringList parse(RecordParser &p, QByteArrayView data, RecordParser::Mode mode = RecordParser::Mode::Accept)
{
    QStringList out;
    p.feed(data, mode, [&](const DeviceRecord &r) { out << describe(r); });
    return out;
}

QStringList parse(QByteArrayView data)
{
    RecordParser p;
    return parse(p, data);
}

} // namespace

class tst_RecordParser : public QObject {
    Q_OBJECT
private slots:
    void tenths_data();
    void tenths();
    void segmentPasst_data();
    void segmentPasst();
    void fieldsTable_data();
    void fieldsTable();
    void frequencyAndSegmentCodes_data();
    void frequencyAndSegmentCodes();
    void records_data();
    void records();
    void everySplitGivesTheSameRecords_data();
    void everySplitGivesTheSameRecords();
    void windowKeepsTheLastSixtyCharacters();
    void discardedCharactersNeverFillLater_data();
    void discardedCharactersNeverFillLater();
    void simulatorRecordsParseExactly();
    void arbitraryBytesStayBounded();
};

void tst_RecordParser::tenths_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("ohms"); // -99999 = no number
    const int none = -99999;
    QTest::newRow("rounds down") << QByteArray("4567") << 457;
    QTest::newRow("leading zero") << QByteArray("0321") << 32;
    QTest::newRow("half to even down") << QByteArray("4565") << 456;
    QTest::newRow("half to even up") << QByteArray("4575") << 458;
    QTest::newRow("half at zero") << QByteArray("5") << 0;
    QTest::newRow("half at one") << QByteArray("15") << 2;
    QTest::newRow("just above half") << QByteArray("4566") << 457;
    QTest::newRow("blanks around") << QByteArray(" 2900\t") << 290;
    QTest::newRow("negative half") << QByteArray("-4565") << -456;
    QTest::newRow("largest") << QByteArray("327674") << 32767;
    QTest::newRow("half above largest") << QByteArray("327675") << none;
    QTest::newRow("smallest") << QByteArray("-327684") << -32768;
    QTest::newRow("huge") << QByteArray("99999999999999999999999") << none;
    QTest::newRow("empty") << QByteArray("") << none;
    QTest::newRow("blank") << QByteArray("   ") << none;
    QTest::newRow("sign only") << QByteArray("-") << none;
    QTest::newRow("letters") << QByteArray("45a7") << none;
    QTest::newRow("decimal point") << QByteArray("45.6") << none;
    QTest::newRow("inner blank") << QByteArray("45 67") << none;
    QTest::newRow("nul") << QByteArray("45\0"
                                       "7",
                                       4)
                         << none;
    QTest::newRow("non-ascii") << QByteArray("45\xe4") << none;
}

void tst_RecordParser::tenths()
{
    QFETCH(QByteArray, text);
    QFETCH(int, ohms);
    const auto v = tenthsToOhms(text);
    QCOMPARE(v ? int(*v) : -99999, ohms);
}

void tst_RecordParser::segmentPasst_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("passt");
    const QStringList tables{"ArmLi", "ArmRe", "BeinLi", "BeinRe"};
    const QStringList own{"AL", "AR", "BL", "BR"};
    for (int t = 0; t < 4; ++t) {
        for (const QString &code : own)
            QTest::addRow("%s %s", qPrintable(tables[t]), qPrintable(code)) << tables[t] << code << (code == own[t]);
        QTest::addRow("%s empty", qPrintable(tables[t])) << tables[t] << QString() << true;
        QTest::addRow("%s lower case", qPrintable(tables[t])) << tables[t] << own[(t + 1) % 4].toLower() << true;
    }
    QTest::newRow("no table") << QString() << "AR" << true;
    QTest::newRow("other table") << "Rumpf"
                                 << "BL" << true;
    QTest::newRow("table in other case") << "armli"
                                         << "AR" << true;
}

void tst_RecordParser::segmentPasst()
{
    QFETCH(QString, table);
    QFETCH(QString, code);
    QFETCH(bool, passt);
    QCOMPARE(SegmentPasst(table, code), passt);
}

void tst_RecordParser::fieldsTable_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("frequency");
    QTest::addColumn<QString>("resistance");
    QTest::addColumn<QString>("reactance");
    QTest::newRow("AR 50") << "AR" << 50 << "txtW50ArmRechts"
                           << "txtXc50ArmRechts";
    QTest::newRow("BR 50") << "BR" << 50 << "txtW50BeinRechts"
                           << "txtXc50BeinRechts";
    QTest::newRow("AL 50") << "AL" << 50 << "txtW50ArmLinks"
                           << "txtXc50ArmLinks";
    QTest::newRow("BL 50") << "BL" << 50 << "txtW50BeinLinks"
                           << "txtXc50BeinLinks";
    QTest::newRow("AR 100") << "AR" << 100 << "txtW100ArmRechts"
                            << "txtXc100ArmRechts";
    QTest::newRow("BR 100") << "BR" << 100 << "txtW100BeinRechts"
                            << "txtXc100BeinRechts";
    QTest::newRow("AL 100") << "AL" << 100 << "txtW100ArmLinks"
                            << "txtXc100ArmLinks";
    QTest::newRow("BL 100") << "BL" << 100 << "txtW100BeinLinks"
                            << "txtXc100BeinLinks";
    QTest::newRow("AR 5") << "AR" << 5 << "txtW5ArmRechts"
                          << "txtXc5ArmRechts";
    QTest::newRow("BR 5") << "BR" << 5 << "txtW5BeinRechts"
                          << "txtXc5BeinRechs";
    QTest::newRow("AL 5") << "AL" << 5 << "txtW5ArmLinks"
                          << "txtXc5ArmLinks";
    QTest::newRow("BL 5") << "BL" << 5 << "txtW5BeinLinks"
                          << "txtXc5Beinlinks";
    QTest::newRow("no frequency") << "AR" << 0 << ""
                                  << "";
    QTest::newRow("other frequency") << "AR" << 500 << ""
                                     << "";
    QTest::newRow("no code") << "" << 50 << ""
                             << "";
    QTest::newRow("lower case code") << "ar" << 50 << ""
                                     << "";
}

void tst_RecordParser::fieldsTable()
{
    QFETCH(QString, code);
    QFETCH(int, frequency);
    QFETCH(QString, resistance);
    QFETCH(QString, reactance);
    const auto pair = fieldsFor(code, static_cast<qint16>(frequency));
    QCOMPARE(pair.has_value(), !resistance.isEmpty());
    if (pair) {
        QCOMPARE(pair->resistance, resistance);
        QCOMPARE(pair->reactance, reactance);
    }
}

void tst_RecordParser::frequencyAndSegmentCodes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("frequency");
    QTest::addColumn<QString>("segment");
    QTest::newRow("one tag") << QByteArray("ARM050 4567") << 50 << "AR";
    QTest::newRow("the last tag counts") << QByteArray("BLM100 1;BLM005 2") << 5 << "BL";
    QTest::newRow("tag cut off") << QByteArray("ALM05") << 0 << "AL";
    QTest::newRow("code only at the start") << QByteArray("xARM050") << 50 << "";
    QTest::newRow("lower case") << QByteArray("arm050") << 0 << "";
    QTest::newRow("too short") << QByteArray("A") << 0 << "";
    QTest::newRow("empty") << QByteArray() << 0 << "";
}

void tst_RecordParser::frequencyAndSegmentCodes()
{
    QFETCH(QByteArray, text);
    QFETCH(int, frequency);
    QFETCH(QString, segment);
    QCOMPARE(int(fFrequenz(text)), frequency);
    QCOMPARE(fSegment(text), segment);
}

void tst_RecordParser::records_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("records");
    QTest::newRow("one record") << QByteArray("ARM050 4567,0321,0040;\r\n") << QStringList{"AR/50/457/32"};
    QTest::newRow("short record is taken at once") << QByteArray("BLM100 12,34;") << QStringList{"BL/100/1/3"};
    QTest::newRow("three frequencies in turn")
        << QByteArray("ALM005 3140,0150,0027;\r\nALM050 2900,0310,0061;\r\nALM100 2720,0270,0057;\r\n")
        << QStringList{"AL/5/314/15", "AL/50/290/31", "AL/100/272/27"};
    QTest::newRow("older record of another segment before")
        << QByteArray("BLM050 2500,0260,0059;\r\nARM050 2900,0310,0061;\r\n")
        << QStringList{"BL/50/250/26", "AR/50/290/31"};
    QTest::newRow("values go with their own frequency")
        << QByteArray("ARM050 1000,0100,0057;\r\nARM100 2000,0200,0057;\r\n")
        << QStringList{"AR/50/100/10", "AR/100/200/20"};
    QTest::newRow("no comma takes R only") << QByteArray("ARM050 4567;") << QStringList{"AR/50/457/-"};
    QTest::newRow("unconvertible R") << QByteArray("ARM050 45x7,0321;") << QStringList{"AR/50/-/32"};
    QTest::newRow("unconvertible Xc") << QByteArray("ARM050 4567,;") << QStringList{"AR/50/457/-"};
    QTest::newRow("huge values") << QByteArray("ARM050 99999999999999,88888888888888888888;")
                                 << QStringList{"AR/50/-/-"};
    QTest::newRow("third field ignored") << QByteArray("ARM050 4567,0321,abc,def;") << QStringList{"AR/50/457/32"};
    QTest::newRow("no tag yet") << QByteArray("ARxxxxx4567,0321;") << QStringList{"AR/0/457/32"};
    QTest::newRow("tag of the record before")
        << QByteArray("BRM100 1000,0100;\r\nBRxxxxx2000,0200;") << QStringList{"BR/100/100/10", "BR/100/200/20"};
    QTest::newRow("noise with codes before the record")
        << QByteArray("ALARM BLM100 ARM050 4567,0321;") << QStringList{"AR/50/457/32"};
    QTest::newRow("semicolon without code") << QByteArray("xxM050 4567,0321,0040;\r\n") << QStringList{};
    QTest::newRow("semicolon too early") << QByteArray("ARM050 ;") << QStringList{};
    QTest::newRow("record never repeated") << QByteArray("ARM050 4567,0321;\r\n;;;xx;") << QStringList{"AR/50/457/32"};
    QTest::newRow("code of an older record never reused")
        << QByteArray("ARM050 4567,0321;\r\nM100 1,2;") << QStringList{"AR/50/457/32"};
    QTest::newRow("longer than the window") << (QByteArray("ARM050 ") + QByteArray(60, '1') + ";") << QStringList{};
    QTest::newRow("code at the window's edge")
        << (QByteArray("ARM050 ") + QByteArray(52, '1') + ";") << QStringList{"AR/50/-/-"};
}

void tst_RecordParser::records()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, records);
    QCOMPARE(parse(stream), records);
}

void tst_RecordParser::everySplitGivesTheSameRecords_data()
{
    records_data();
}

void tst_RecordParser::everySplitGivesTheSameRecords()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, records);
    const int n = static_cast<int>(stream.size());
    // Two pieces at every boundary, and three pieces at every pair of boundaries.
    for (int a = 0; a <= n; ++a) {
        RecordParser p;
        QStringList got = parse(p, QByteArrayView(stream).first(a));
        got += parse(p, QByteArrayView(stream).sliced(a));
        QVERIFY2(got == records, qPrintable(QStringLiteral("split at %1: %2").arg(a).arg(got.join(u' '))));
        for (int b = a; b <= n; ++b) {
            RecordParser q;
            QStringList three = parse(q, QByteArrayView(stream).first(a));
            three += parse(q, QByteArrayView(stream).sliced(a, b - a));
            three += parse(q, QByteArrayView(stream).sliced(b));
            QVERIFY2(three == records, qPrintable(QStringLiteral("split at %1, %2").arg(a).arg(b)));
        }
    }
    // One character per read, as the line delivers them.
    RecordParser single;
    QStringList got;
    for (const char c : stream)
        got += parse(single, QByteArrayView(&c, 1));
    QCOMPARE(got, records);
}

void tst_RecordParser::windowKeepsTheLastSixtyCharacters()
{
    RecordParser p;
    QByteArray all;
    for (int i = 0; i < 500; ++i) {
        const char c = static_cast<char>('!' + i % 90);
        all += c;
        parse(p, QByteArrayView(&c, 1));
        QCOMPARE(p.window(), QString::fromLatin1(all.right(60)));
    }
    QCOMPARE(p.received(), 500);
    // Bytes outside ASCII keep their place: one character each.
    parse(p, QByteArray("\xe4\0\xff", 3));
    QCOMPARE(p.window().size(), 60);
    QCOMPARE(p.window().right(3), QString::fromLatin1(QByteArray("\xe4\0\xff", 3)));
}

void tst_RecordParser::discardedCharactersNeverFillLater_data()
{
    QTest::addColumn<QByteArray>("discarded");
    QTest::addColumn<QByteArray>("accepted");
    QTest::addColumn<QStringList>("records");
    QTest::newRow("whole records dropped, one each") << QByteArray("ARM050 4567,0321;\r\nARM100 1234,0321;\r\n")
                                                     << QByteArray() << QStringList{"!AR/50/457/32", "!AR/100/123/32"};
    QTest::newRow("record begun before the choice")
        << QByteArray("ARM050 45") << QByteArray("67,0321;\r\n") << QStringList{};
    QTest::newRow("tag before the choice not used") << QByteArray("BRM100 1,2;\r\n") << QByteArray("BRxxxxx1000,0100;")
                                                    << QStringList{"!BR/100/0/0", "BR/0/100/10"};
    QTest::newRow("next full record taken")
        << QByteArray("BLM050 45") << QByteArray("67;\r\nARM050 2900,0310;") << QStringList{"AR/50/290/31"};
}

void tst_RecordParser::discardedCharactersNeverFillLater()
{
    QFETCH(QByteArray, discarded);
    QFETCH(QByteArray, accepted);
    QFETCH(QStringList, records);
    RecordParser p;
    QStringList got = parse(p, discarded, RecordParser::Mode::Discard);
    got += parse(p, accepted, RecordParser::Mode::Accept);
    QCOMPARE(got, records);
}

void tst_RecordParser::simulatorRecordsParseExactly()
{
    // What the simulator sends is what the program reads, noise or not.
    std::mt19937 random(7);
    RecordParser p;
    for (int i = 0; i < 2000; ++i) {
        const QString code = QStringList{"AR", "AL", "BR", "BL"}[i % 4];
        const int f = QList<int>{5, 50, 100}[(i / 4) % 3];
        const sim::Reading reading{static_cast<int>(random() % 99999), static_cast<int>(random() % 9999)};
        QStringList got = parse(p, sim::lineNoise(random));
        got += parse(p, sim::formatRecord(code, f, reading));
        // nearbyint rounds halves to even; a half is exact in binary.
        const QString expected = QStringLiteral("%1/%2/%3/%4")
                                     .arg(code)
                                     .arg(f)
                                     .arg(std::nearbyint(reading.rTenths / 10.0))
                                     .arg(std::nearbyint(reading.xcTenths / 10.0));
        QCOMPARE(got, QStringList{expected});
    }
    QCOMPARE(sim::formatRecord("AR", 50, {4567, 321}), QByteArray("ARM050 4567,0321,0040;\r\n"));
    QCOMPARE(sim::otherSegment("AR"), QStringLiteral("AL"));
    QCOMPARE(sim::otherSegment("BL"), QStringLiteral("BR"));
    QCOMPARE(sim::otherSegment("XX"), QString());
}

void tst_RecordParser::arbitraryBytesStayBounded()
{
    // Long streams of arbitrary bytes, biased towards what a record is made of, in reads
    // of random length: every record found is well formed and the window stays 60 long.
    const QByteArray alphabet("ARBLM015;,0123456789 \r\n\0\xff\xe4", 26);
    for (const unsigned seed : {1u, 2u, 3u, 4u}) {
        std::mt19937 random(seed);
        RecordParser p;
        qint64 fed = 0, found = 0;
        for (int round = 0; round < 4000; ++round) {
            QByteArray chunk(static_cast<int>(random() % 120), '\0');
            for (char &c : chunk)
                c = (random() % 3 == 0) ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
            if (round % 500 == 0)
                chunk = QByteArray(5000, '7'); // endless digits without ";"
            const auto mode = (random() % 10 == 0) ? RecordParser::Mode::Discard : RecordParser::Mode::Accept;
            p.feed(chunk, mode, [&](const DeviceRecord &r) {
                ++found;
                QVERIFY(QStringList({"AR", "AL", "BR", "BL"}).contains(r.code));
                QVERIFY(r.frequency == 0 || r.frequency == 5 || r.frequency == 50 || r.frequency == 100);
                QCOMPARE(r.discarded, mode == RecordParser::Mode::Discard);
            });
            fed += chunk.size();
            QVERIFY(p.window().size() <= 60);
        }
        QCOMPARE(p.received(), fed);
        QVERIFY2(found > 100, "the stream should hold some records by chance");
    }
}

QTEST_GUILESS_MAIN(tst_RecordParser)
#include "tst_recordparser.moc"
