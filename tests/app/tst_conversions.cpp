#include "app/Conversions.h"
#include "app/Errors.h"

#include <QTest>

using namespace kavio;

class TestConversions : public QObject {
    Q_OBJECT
private slots:
    void int16_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("error"); // 0: converts
        QTest::newRow("plain") << "512" << 512 << 0;
        QTest::newRow("blanks around") << "  42 " << 42 << 0;
        QTest::newRow("half to even down") << "456,5" << 456 << 0;
        QTest::newRow("half to even up") << "457,5" << 458 << 0;
        QTest::newRow("German grouping") << "1.234" << 1234 << 0;
        QTest::newRow("negative bound") << "-32768" << -32768 << 0;
        QTest::newRow("upper bound") << "32767" << 32767 << 0;
        QTest::newRow("overflow") << "40000" << 0 << int(RunError::Overflow);
        QTest::newRow("empty") << "" << 0 << int(RunError::TypeMismatch);
        QTest::newRow("blank") << " " << 0 << int(RunError::TypeMismatch);
        QTest::newRow("letters") << "12a" << 0 << int(RunError::TypeMismatch);
    }
    void int16()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(int, error);
        try {
            const qint16 v = toInt16(text);
            QCOMPARE(error, 0);
            QCOMPARE(int(v), value);
        } catch (const KavioError &e) {
            QCOMPARE(e.number(), error);
            QVERIFY(!e.description().isEmpty());
        }
    }

    void dates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        QTest::newRow("full") << "06.12.2026" << QDate(2026, 12, 6);
        QTest::newRow("short") << "6.1.26" << QDate(2026, 1, 6);
        QTest::newRow("last century") << "31.12.45" << QDate(1945, 12, 31);
        QTest::newRow("no such day") << "31.02.2010" << QDate();
        QTest::newRow("text") << "heute" << QDate();
        QTest::newRow("empty") << "" << QDate();
    }
    void dates()
    {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        if (date.isValid())
            QCOMPARE(toDate(text), date);
        else
            QVERIFY_THROWS_EXCEPTION(KavioError, toDate(text));
    }

    void errorForms()
    {
        const KavioError e(RunError::Overflow);
        QCOMPARE(errorForm(e, QStringLiteral("cmdSaveMess_Click"), QStringLiteral("frmMain")),
                 QStringLiteral("Error 6 (Überlauf) in procedure cmdSaveMess_Click of Formular frmMain"));
        QCOMPARE(errorFormModul(e, QStringLiteral("Grid_AutoSize"), QStringLiteral("mdlGrid")),
                 QStringLiteral("Error 6 (Überlauf) in procedure Grid_AutoSize of Modul mdlGrid"));
        QCOMPARE(fehlerForm(e, QStringLiteral("fGetMulti")),
                 QStringLiteral("Fehler6 (Überlauf) in Prozedur fGetMulti "));
    }
};

QTEST_MAIN(TestConversions)
#include "tst_conversions.moc"
