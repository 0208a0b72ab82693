// The grid helpers: column sizing in twips and the grid's view of rows and columns.
#include "app/Errors.h"
#include "Fakes.h"
#include "workstation/mdlGrid.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

using namespace kavio;

namespace {

int twips(const QTableView &view, const QString &text)
{
    return qRound(QFontMetrics(view.font()).horizontalAdvance(text) * twipsPerPixel(view));
}

// A list whose cells are given column by column.
std::unique_ptr<QStandardItemModel> listOf(const QList<QStringList> &columns)
{
    const int rows = columns.isEmpty() ? 0 : int(columns.first().size());
    auto model = std::make_unique<QStandardItemModel>(rows, int(columns.size()));
    for (int c = 0; c < columns.size(); ++c) {
        model->setHeaderData(c, Qt::Horizontal, QStringLiteral("Spalte%1").arg(c));
        for (int r = 0; r < rows; ++r)
            model->setItem(r, c, new QStandardItem(columns[c][r]));
    }
    return model;
}

// A list that fails when the cells of its second column are read.
class FailingModel final : public QStandardItemModel {
public:
    FailingModel() : QStandardItemModel(2, 3) {}
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (index.column() == 1 && role == Qt::DisplayRole)
            throw KavioError(3021, QStringLiteral("Kein aktueller Datensatz"));
        return QStringLiteral("abc");
    }
};

} // namespace

class GridTest : public QObject {
    Q_OBJECT
private slots:
    void autoSize_data();
    void autoSize();
    void autoSizeFailureKeepsColumnsSizedSoFar();
    void cellsAndWidths();
};

void GridTest::autoSize_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("plain"); // plain text font: sizing skips texts that cannot widen
    QTest::newRow("no data rows gives 0") << QStringList{} << false;
    QTest::newRow("widest last") << QStringList{"i", "Mm", "WWWWWWWW"} << false;
    QTest::newRow("widest first") << QStringList{"WWWWWWWW", "Mm", "i"} << false;
    // One digit more is wider, but by less than 150 twips: the maximum stays.
    QTest::newRow("slightly wider later text") << QStringList{"0000", "00000"} << false;
    QTest::newRow("clearly wider later text") << QStringList{"0000", "000000000"} << false;
    QTest::newRow("all empty") << QStringList{"", ""} << false;
    QStringList many;
    for (int i = 0; i < 300; ++i)
        many << QStringLiteral("Name%1").arg(i * 37 % 1000) + QString(i % 13, QLatin1Char(i % 2 ? 'W' : 'i'));
    QTest::newRow("plain: many names") << many << true;
    QTest::newRow("plain: umlauts, kerning pairs")
        << QStringList{"Strauß", "STRAUSS", "Äöüß", "AVAVAVAV", "WAWAWAWA", "LTLTLT", "AVAVAVAVA"} << true;
    QTest::newRow("plain: combining marks and other scripts")
        << QStringList{"e\u0301e\u0301e\u0301", "Ελληνικά", "名前名前", "Zoë", "fi fl ffi"} << true;
    QTest::newRow("plain: small steps") << QStringList{"1", "11", "111", "1111", "11111", "111111"} << true;
}

void GridTest::autoSize()
{
    QFETCH(QStringList, texts);
    QFETCH(bool, plain);
    QTableView view;
    view.setFont(QFont(view.font().family(), view.font().pointSize() + 2)); // the measuring label takes it over
    if (plain)
        usePlainTextFont(view);
    QLabel lblTemp;
    test::FakeMessages messages;
    auto model = listOf({texts, QStringList(texts.size(), QStringLiteral("1"))});
    FlexGrid grid(view);
    grid.bind(model.get());
    grid.setColWidth(1, 999);
    grid.setColWidth(2, 999);
    if (QTest::currentDataTag() == QByteArray("slightly wider later text"))
        QVERIFY(twips(view, "00000") - twips(view, "0000") <= 150);

    Grid_AutoSize(view, lblTemp, messages);

    // The rule, text by text: a text of width w raises the maximum to w + 250 when w + 100 exceeds it.
    int max = 0;
    for (const QString &t : texts)
        if (twips(view, t) + 100 > max)
            max = twips(view, t) + 250;
    QCOMPARE(grid.colWidth(1), max);
    QCOMPARE(grid.colWidth(2), texts.isEmpty() ? 0 : twips(view, "1") + 250);
    QCOMPARE(messages.count(), 0);
}

void GridTest::autoSizeFailureKeepsColumnsSizedSoFar()
{
    QTableView view;
    QLabel lblTemp;
    test::FakeMessages messages;
    FailingModel model;
    FlexGrid grid(view);
    grid.bind(&model);
    grid.setColWidth(0, 1);
    grid.setColWidth(2, 777);
    grid.setColWidth(3, 777);

    Grid_AutoSize(view, lblTemp, messages);

    QCOMPARE(messages.texts(),
             QStringList{"Error 3021 (Kein aktueller Datensatz) in procedure Grid_AutoSize of Modul mdlGrid"});
    QCOMPARE(messages.last().icon, MsgIcon::None);
    QCOMPARE(grid.colWidth(0), 1);
    QCOMPARE(grid.colWidth(1), twips(view, "abc") + 250); // sized before the failure
    QCOMPARE(grid.colWidth(2), 777);                      // the failing column and those after it are left
    QCOMPARE(grid.colWidth(3), 777);
}

void GridTest::cellsAndWidths()
{
    QTableView view;
    auto model = listOf({QStringList{"a", "b"}, QStringList{"c", "d"}});
    FlexGrid grid(view);
    grid.bind(model.get());
    // Row 0 is the header row, column 0 the fixed column; a cell outside fails with 381.
    QCOMPARE(grid.textMatrix(2, 0), QString());
    QCOMPARE(grid.textMatrix(2, 2), QStringLiteral("d"));
    for (const auto &[row, col] : {std::pair{3, 1}, std::pair{1, 3}, std::pair{-1, 1}, std::pair{1, -1}}) {
        try {
            grid.textMatrix(row, col);
            QFAIL(qPrintable(QStringLiteral("no failure for %1,%2").arg(row).arg(col)));
        } catch (const KavioError &e) {
            QCOMPARE(e.number(), 381);
        }
    }
    QVERIFY_THROWS_EXCEPTION(KavioError, grid.setCurrentCell(1, 0));
    grid.setCurrentCell(2, 1);
    QCOMPARE(grid.row(), 2);

    // Widths are kept in twips; on screen a column is never narrower than its header.
    grid.setColWidth(2, 1234);
    grid.setColWidth(1, 0);
    grid.setColWidth(0, 1);
    QCOMPARE(grid.colWidth(1), 0);
    QCOMPARE(view.columnWidth(1), qRound(1234 / twipsPerPixel(view)));
    QVERIFY(view.columnWidth(0) > view.horizontalHeader()->fontMetrics().horizontalAdvance("Spalte0"));
    QVERIFY(view.verticalHeader()->isHidden()); // one twip is less than a pixel
    // A new list starts from the widths the view gives it.
    auto other = listOf({QStringList{"x"}});
    grid.bind(other.get());
    QCOMPARE(grid.colWidth(1), qRound(view.columnWidth(0) * twipsPerPixel(view)));

    grid.empty();
    QCOMPARE(grid.rows() + grid.cols(), 0);
    test::FakeMessages messages;
    QLabel lblTemp;
    Grid_AutoSize(view, lblTemp, messages); // nothing to size, nothing to report
    QCOMPARE(messages.count(), 0);
}

QTEST_MAIN(GridTest)
#include "tst_grid.moc"
