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
        auto row = [](const char *tag, const char *text, int value, RunError error = RunError(0)) {
            QTest::newRow(tag) << QString::fromLatin1(text) << value << int(error);
        };
        row("blanks around", "  42 ", 42);
        row("half to even down", "456,5", 456);
        row("half to even up", "457,5", 458);
        row("German grouping", "1.234", 1234);
        row("negative bound", "-32768", -32768);
        row("upper bound", "32767", 32767);
        row("overflow", "40000", 0, RunError::Overflow);
        row("empty", "", 0, RunError::TypeMismatch);
        row("blank", " ", 0, RunError::TypeMismatch);
        row("letters", "12a", 0, RunError::TypeMismatch);
    }
    void int16()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(int, error);
        try {
            QCOMPARE(int(toInt16(text)), value);
            QCOMPARE(error, 0);
        } catch (const KavioError &e) {
            QCOMPARE(e.number(), error);
        }
    }

    void dates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date"); // invalid: refused
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

    // The other forms are checked with the windows that show them.
    void fehlerForm()
    {
        QCOMPARE(kavio::fehlerForm(KavioError(RunError::Overflow), QStringLiteral("fGetMulti")),
                 QStringLiteral("Fehler6 (Überlauf) in Prozedur fGetMulti "));
    }
};

QTEST_MAIN(TestConversions)
#include "tst_conversions.moc"
