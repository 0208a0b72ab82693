#include "device/RecordParser.h"
#include "DeviceRecords.h"

#include <cmath>
#include <QTest>
#include <random>

using namespace kavio;

namespace {

// A record as "AR/50/457/32", a missing value as "-", one that arrived with no segment
// chosen prefixed with "!".
QStringList parse(RecordParser &p, QByteArrayView data, RecordParser::Mode mode = RecordParser::Mode::Accept)
{
    QStringList out;
    const auto v = [](const std::optional<qint16> &x) { return x ? QString::number(*x) : QStringLiteral("-"); };
    p.feed(data, mode, [&](const DeviceRecord &r) {
        out << QStringLiteral("%1%2/%3/%4/%5")
                   .arg(r.discarded ? "!" : "", r.code)
                   .arg(r.frequency)
                   .arg(v(r.r), v(r.xc));
    });
    return out;
}

} // namespace

class tst_RecordParser : public QObject {
    Q_OBJECT
private slots:
    void tenths_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("ohms"); // -99999: no number
        QTest::newRow("rounds down") << QByteArray("4567") << 457;
        QTest::newRow("half to even down") << QByteArray("4565") << 456;
        QTest::newRow("half to even up") << QByteArray("4575") << 458;
        QTest::newRow("half at zero") << QByteArray("5") << 0;
        QTest::newRow("blanks around") << QByteArray(" 2900\t") << 290;
        QTest::newRow("negative half") << QByteArray("-4565") << -456;
        QTest::newRow("largest") << QByteArray("327674") << 32767;
        QTest::newRow("half above largest") << QByteArray("327675") << -99999;
        QTest::newRow("smallest") << QByteArray("-327684") << -32768;
        QTest::newRow("huge") << QByteArray("99999999999999999999999") << -99999;
        QTest::newRow("empty") << QByteArray("") << -99999;
        QTest::newRow("sign only") << QByteArray("-") << -99999;
        QTest::newRow("decimal point") << QByteArray("45.6") << -99999;
        QTest::newRow("inner blank") << QByteArray("45 67") << -99999;
        QTest::newRow("nul") << QByteArray::fromHex("34350037") << -99999;
        QTest::newRow("non-ascii") << QByteArray("45\xe4") << -99999;
    }
    void tenths()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, ohms);
        const auto v = tenthsToOhms(text);
        QCOMPARE(v ? int(*v) : -99999, ohms);
    }

    // Only a code of another of the four segments is refused; an unknown frequency or
    // code has no fields.
    void segmentsAndFields()
    {
        const QStringList tables{"ArmLi", "ArmRe", "BeinLi", "BeinRe"}, codes{"AL", "AR", "BL", "BR"};
        for (int t = 0; t < 4; ++t)
            for (int c = 0; c < 4; ++c) {
                QCOMPARE(SegmentPasst(tables[t], codes[c]), t == c);
                QVERIFY(SegmentPasst(tables[t], codes[c].toLower()));
            }
        QVERIFY(SegmentPasst(QStringLiteral("ArmLi"), QString()) && SegmentPasst(QString(), QStringLiteral("AR")));
        QVERIFY(SegmentPasst(QStringLiteral("Rumpf"), QStringLiteral("BL")) &&
                SegmentPasst(QStringLiteral("armli"), QStringLiteral("AR")));
        for (const auto &[code, frequency] : {std::pair{"AR", 0}, {"AR", 500}, {"", 50}, {"ar", 50}})
            QVERIFY(!fieldsFor(QString::fromLatin1(code), qint16(frequency)));
    }

    // Each record is taken once at its ";" with the code that starts it, the last
    // frequency tag and the first two comma fields from position 8, however the stream
    // is split into reads.
    void records_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QStringList>("records");
        QTest::newRow("one record") << QByteArray("ARM050 4567,0321,0040;\r\n") << QStringList{"AR/50/457/32"};
        QTest::newRow("short record") << QByteArray("BLM100 12,34;") << QStringList{"BL/100/1/3"};
        QTest::newRow("three frequencies")
            << QByteArray("ALM005 3140,0150,0027;\r\nALM050 2900,0310,0061;\r\nALM100 2720,0270,0057;\r\n")
            << QStringList{"AL/5/314/15", "AL/50/290/31", "AL/100/272/27"};
        QTest::newRow("two segments") << QByteArray("BLM050 2500,0260,0059;\r\nARM050 2900,0310,0061;\r\n")
                                      << QStringList{"BL/50/250/26", "AR/50/290/31"};
        QTest::newRow("no comma takes R only") << QByteArray("ARM050 4567;") << QStringList{"AR/50/457/-"};
        QTest::newRow("unconvertible R") << QByteArray("ARM050 45x7,0321;") << QStringList{"AR/50/-/32"};
        QTest::newRow("unconvertible Xc") << QByteArray("ARM050 4567,;") << QStringList{"AR/50/457/-"};
        QTest::newRow("huge values") << QByteArray("ARM050 99999999999999,88888888888888888888;")
                                     << QStringList{"AR/50/-/-"};
        QTest::newRow("third field ignored") << QByteArray("ARM050 4567,0321,abc,def;") << QStringList{"AR/50/457/32"};
        QTest::newRow("no tag yet") << QByteArray("ARxxxxx4567,0321;") << QStringList{"AR/0/457/32"};
        QTest::newRow("tag of the record before")
            << QByteArray("BRM100 1000,0100;\r\nBRxxxxx2000,0200;") << QStringList{"BR/100/100/10", "BR/100/200/20"};
        QTest::newRow("noise with codes and tags before")
            << QByteArray("ALARM BLM100 ARM050 4567,0321;") << QStringList{"AR/50/457/32"};
        QTest::newRow("lower case code") << QByteArray("arm050 4567,0321;") << QStringList{};
        QTest::newRow("semicolon without code") << QByteArray("xxM050 4567,0321,0040;\r\n") << QStringList{};
        QTest::newRow("semicolon too early") << QByteArray("ARM050 ;") << QStringList{};
        QTest::newRow("record never repeated")
            << QByteArray("ARM050 4567,0321;\r\n;;;xx;") << QStringList{"AR/50/457/32"};
        QTest::newRow("code of an older record never reused")
            << QByteArray("ARM050 4567,0321;\r\nM100 1,2;") << QStringList{"AR/50/457/32"};
        QTest::newRow("longer than the window") << (QByteArray("ARM050 ") + QByteArray(60, '1') + ";") << QStringList{};
        QTest::newRow("code at the window's edge")
            << (QByteArray("ARM050 ") + QByteArray(52, '1') + ";") << QStringList{"AR/50/-/-"};
    }
    void records()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QStringList, records);
        const int n = static_cast<int>(stream.size());
        // Whole, in two pieces at every boundary and in three at every pair of them.
        for (int a = 0; a <= n; ++a)
            for (int b = a; b <= n; ++b) {
                RecordParser p;
                QStringList got = parse(p, QByteArrayView(stream).first(a));
                got += parse(p, QByteArrayView(stream).sliced(a, b - a));
                got += parse(p, QByteArrayView(stream).sliced(b));
                QVERIFY2(got == records,
                         qPrintable(QStringLiteral("split at %1, %2: %3").arg(a).arg(b).arg(got.join(u' '))));
            }
        RecordParser single; // one character per read, as the line delivers them
        QStringList got;
        for (const char c : stream)
            got += parse(single, QByteArrayView(&c, 1));
        QCOMPARE(got, records);
    }

    void windowKeepsTheLastSixtyCharacters()
    {
        RecordParser p;
        QByteArray all;
        for (int i = 0; i < 500; ++i) {
            all += static_cast<char>('!' + i % 90);
            parse(p, all.right(1));
            QCOMPARE(p.window(), QString::fromLatin1(all.right(60)));
        }
        QCOMPARE(p.received(), 500);
        parse(p, QByteArray("\xe4\0\xff", 3)); // one character each, whatever the byte
        QCOMPARE(p.window(), QString::fromLatin1(all.right(57) + QByteArray("\xe4\0\xff", 3)));
    }

    // A record among characters that came with no segment chosen is reported once, marked;
    // neither it nor its frequency tag fills a record later.
    void discardedCharactersNeverFillLater()
    {
        RecordParser p;
        QStringList got = parse(p, "BRM100 1,2;\r\nARM050 45", RecordParser::Mode::Discard);
        QCOMPARE(got + parse(p, "67,0321;\r\nBRxxxxx1000,0100;"), (QStringList{"!BR/100/0/0", "BR/0/100/10"}));
    }

    // What the simulator sends is what the program reads, noise or not.
    void simulatorRecordsParseExactly()
    {
        QCOMPARE(sim::formatRecord("AR", 50, {4567, 321}), QByteArray("ARM050 4567,0321,0040;\r\n"));
        std::mt19937 random(7);
        RecordParser p;
        for (int i = 0; i < 2000; ++i) {
            const QString code = QStringList{"AR", "AL", "BR", "BL"}[i % 4];
            const int f = QList<int>{5, 50, 100}[(i / 4) % 3];
            const sim::Reading reading{static_cast<int>(random() % 99999), static_cast<int>(random() % 9999)};
            QStringList got = parse(p, sim::lineNoise(random));
            got += parse(p, sim::formatRecord(code, f, reading));
            // nearbyint rounds halves to even; a half is exact in binary.
            QCOMPARE(got, QStringList{QStringLiteral("%1/%2/%3/%4")
                                          .arg(code)
                                          .arg(f)
                                          .arg(std::nearbyint(reading.rTenths / 10.0))
                                          .arg(std::nearbyint(reading.xcTenths / 10.0))});
        }
    }

    // Long seeded streams of arbitrary bytes, biased towards what a record is made of, in
    // reads of random length: every record found is well formed, the window stays 60 long.
    void arbitraryBytesStayBounded()
    {
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
                    QVERIFY(QList<int>({0, 5, 50, 100}).contains(r.frequency));
                    QCOMPARE(r.discarded, mode == RecordParser::Mode::Discard);
                });
                fed += chunk.size();
                QVERIFY(p.window().size() <= 60);
            }
            QCOMPARE(p.received(), fed);
            QVERIFY2(found > 100, "the stream should hold some records by chance");
        }
    }
};

QTEST_GUILESS_MAIN(tst_RecordParser)
#include "tst_recordparser.moc"
