// Column sizing in twips: the widest text plus a margin, measured as the rule says.
#include "Fakes.h"
#include "workstation/mdlGrid.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

using namespace kavio;

class TestGrid : public QObject {
    Q_OBJECT
private slots:
    void autoSize_data();
    void autoSize();
};

void TestGrid::autoSize_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("no data rows gives 0") << QStringList{};
    QTest::newRow("widest in the middle") << QStringList{"Mm", "WWWWWWWW", "i"};
    // One digit more is wider, but by less than 150 twips: the maximum stays.
    QTest::newRow("slightly wider later text") << QStringList{"0000", "00000"};
    QStringList many{"Strauß",   "STRAUSS",  "Äöüß",     "AVAVAVAV", "WAWAWAWA", "AVAVAVAVA", "e\u0301e\u0301e\u0301",
                     "Ελληνικά", "名前名前", "fi fl ffi"};
    for (int i = 0; i < 300; ++i)
        many << QStringLiteral("Name%1").arg(i * 37 % 1000) + QString(i % 13, QLatin1Char(i % 2 ? 'W' : 'i'));
    QTest::newRow("names, umlauts, kerning pairs, other scripts") << many;
}

void TestGrid::autoSize()
{
    QFETCH(QStringList, texts);
    QTableView view;
    view.setFont(QFont(view.font().family(), view.font().pointSize() + 2)); // the measuring label takes it over
    usePlainTextFont(view); // as the lists draw: sizing then skips texts that cannot widen
    QStandardItemModel model(int(texts.size()), 2);
    for (int r = 0; r < texts.size(); ++r) {
        model.setItem(r, 0, new QStandardItem(texts[r]));
        model.setItem(r, 1, new QStandardItem(QStringLiteral("1")));
    }
    FlexGrid grid(view);
    grid.bind(&model);
    grid.setColWidth(1, 999);
    grid.setColWidth(2, 999);
    const auto twips = [&](const QString &t) {
        return qRound(QFontMetrics(view.font()).horizontalAdvance(t) * twipsPerPixel(view));
    };
    if (QTest::currentDataTag() == QByteArray("slightly wider later text"))
        QVERIFY(twips("00000") - twips("0000") <= 150);
    QLabel lblTemp;
    test::FakeMessages messages;

    Grid_AutoSize(view, lblTemp, messages);

    // Text by text: a text of width w raises the maximum to w + 250 when w + 100 exceeds it.
    int max = 0;
    for (const QString &t : texts)
        if (twips(t) + 100 > max)
            max = twips(t) + 250;
    QCOMPARE(grid.colWidth(1), max);
    QCOMPARE(grid.colWidth(2), texts.isEmpty() ? 0 : twips(QStringLiteral("1")) + 250);
    QCOMPARE(messages.count(), 0);
}

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
