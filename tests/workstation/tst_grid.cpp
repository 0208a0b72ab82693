// The grid helpers: column sizing in twips, the grid's view of rows and columns, the
// person row tint and emptying a list.
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

// Rendered width of a text in twips, as the grid's font draws it.
int twips(const QTableView &view, const QString &text)
{
    return qRound(QFontMetrics(view.font()).horizontalAdvance(text) * twipsPerPixel(view));
}

// A list whose cells are given column by column.
std::unique_ptr<QStandardItemModel> listOf(const QList<QStringList> &columns)
{
    const int rows = columns.isEmpty() ? 0 : static_cast<int>(columns.first().size());
    auto model = std::make_unique<QStandardItemModel>(rows, static_cast<int>(columns.size()));
    for (int c = 0; c < columns.size(); ++c) {
        model->setHeaderData(c, Qt::Horizontal, QStringLiteral("Spalte%1").arg(c));
        for (int r = 0; r < rows; ++r)
            model->setItem(r, c, new QStandardItem(columns[c][r]));
    }
    return model;
}

// A list that fails when its cells of one column are read.
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
    void autoSizeWidths_data();
    void autoSizeWidths();
    void autoSizeWithoutDataRowsGivesZero();
    void plainTextFontSizesAsMeasuringEveryText_data();
    void plainTextFontSizesAsMeasuringEveryText();
    void autoSizeKeepsFixedColumnAndSizedColumnsOnFailure();
    void rowsAndColumnsCountHeaderAndFixedColumn();
    void textMatrixOutsideTheGridFails();
    void columnWidthsAreKeptInTwips();
    void cellBackColourNeedsADataCell();
    void emptyingGivesZeroRowsAndColumns();
};

void GridTest::autoSizeWidths_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("raising"); // the text whose width + 250 is the result

    QTest::newRow("single text") << QStringList{"Müller"} << "Müller";
    QTest::newRow("widest last") << QStringList{"i", "Mm", "WWWWWWWW"} << "WWWWWWWW";
    QTest::newRow("widest first") << QStringList{"WWWWWWWW", "Mm", "i"} << "WWWWWWWW";
    // One digit more is wider, but by less than 150 twips: it does not raise the maximum.
    QTest::newRow("slightly wider later text") << QStringList{"0000", "00000"} << "0000";
    // Two more digits pass the 100 twip allowance and raise it.
    QTest::newRow("clearly wider later text") << QStringList{"0000", "000000000"} << "000000000";
    QTest::newRow("all empty") << QStringList{"", ""} << "";
    QTest::newRow("empty after text") << QStringList{"Xc", ""} << "Xc";
}

void GridTest::autoSizeWidths()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, raising);
    QTableView view;
    QLabel lblTemp;
    test::FakeMessages messages;
    auto model = listOf({texts, QStringList(texts.size(), QStringLiteral("1"))});
    FlexGrid grid(view);
    grid.bind(model.get());

    if (QTest::currentDataTag() == QByteArray("slightly wider later text"))
        QVERIFY2(twips(view, "00000") - twips(view, "0000") <= 150, "a digit is wider than 150 twips here");
    Grid_AutoSize(view, lblTemp, messages);

    QCOMPARE(grid.colWidth(1), twips(view, raising) + 250);
    QCOMPARE(grid.colWidth(2), twips(view, "1") + 250);
    for (const QString &t : texts)
        QVERIFY(grid.colWidth(1) >= twips(view, t) + 100);
    QCOMPARE(messages.count(), 0);
    QCOMPARE(lblTemp.font().family(), view.font().family());
    QVERIFY(!lblTemp.wordWrap());
}

void GridTest::plainTextFontSizesAsMeasuringEveryText_data()
{
    QTest::addColumn<QStringList>("texts");
    QStringList growing;
    for (int i = 0; i < 300; ++i)
        growing << QStringLiteral("Name%1").arg(i * 37 % 1000) + QString(i % 13, QLatin1Char(i % 2 ? 'W' : 'i'));
    QTest::newRow("many names") << growing;
    QTest::newRow("umlauts and sharp s") << QStringList{"Strauß", "STRAUSS", "Äöüß", "Müller-Lüdenscheidt", "ÄÄÄÄÄÄ"};
    QTest::newRow("kerning pairs") << QStringList{"AVAVAVAV", "WAWAWAWA", "To Ty Te", "LTLTLT", "AVAVAVAVA"};
    QTest::newRow("combining marks and other scripts")
        << QStringList{"e\u0301e\u0301e\u0301", "Ελληνικά", "名前名前", "Zoë", "fi fl ffi"};
    QTest::newRow("narrow then wide by small steps") << QStringList{"1", "11", "111", "1111", "11111", "111111"};
}

void GridTest::plainTextFontSizesAsMeasuringEveryText()
{
    QFETCH(QStringList, texts);
    QTableView view;
    usePlainTextFont(view);
    QLabel lblTemp;
    test::FakeMessages messages;
    auto model = listOf({texts});
    FlexGrid grid(view);
    grid.bind(model.get());
    Grid_AutoSize(view, lblTemp, messages);
    // The rule applied to every text, measured one by one.
    int max = 0;
    for (const QString &t : texts)
        if (twips(view, t) + 100 > max)
            max = twips(view, t) + 250;
    QCOMPARE(grid.colWidth(1), max);
}

void GridTest::autoSizeWithoutDataRowsGivesZero()
{
    QTableView view;
    QLabel lblTemp;
    test::FakeMessages messages;
    auto model = listOf({QStringList{}, QStringList{}, QStringList{}});
    FlexGrid grid(view);
    grid.bind(model.get());
    QCOMPARE(grid.rows(), 1);
    for (int c = 1; c < grid.cols(); ++c)
        grid.setColWidth(c, 999);
    Grid_AutoSize(view, lblTemp, messages);
    for (int c = 1; c < 4; ++c)
        QCOMPARE(grid.colWidth(c), 0);
    QCOMPARE(messages.count(), 0);
}

void GridTest::autoSizeKeepsFixedColumnAndSizedColumnsOnFailure()
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

    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().text,
             QStringLiteral("Error 3021 (Kein aktueller Datensatz) in procedure Grid_AutoSize of Modul mdlGrid"));
    QCOMPARE(messages.last().icon, MsgIcon::None);
    QCOMPARE(grid.colWidth(0), 1);
    QCOMPARE(grid.colWidth(1), twips(view, "abc") + 250); // sized before the failure
    QCOMPARE(grid.colWidth(2), 777);                      // the failing column is left
    QCOMPARE(grid.colWidth(3), 777);                      // and so is every one after it
}

void GridTest::rowsAndColumnsCountHeaderAndFixedColumn()
{
    QTableView view;
    auto model = listOf({QStringList{"a", "b"}, QStringList{"c", "d"}});
    FlexGrid grid(view);
    grid.bind(model.get());
    QCOMPARE(grid.rows(), 3);
    QCOMPARE(grid.cols(), 3);
    QCOMPARE(grid.fixedRows(), 1);
    QCOMPARE(grid.fixedCols(), 1);
    QCOMPARE(grid.textMatrix(0, 1), QStringLiteral("Spalte0"));
    QCOMPARE(grid.textMatrix(0, 0), QString());
    QCOMPARE(grid.textMatrix(2, 0), QString());
    QCOMPARE(grid.textMatrix(1, 1), QStringLiteral("a"));
    QCOMPARE(grid.textMatrix(2, 2), QStringLiteral("d"));
}

void GridTest::textMatrixOutsideTheGridFails()
{
    QTableView view;
    auto model = listOf({QStringList{"a"}});
    FlexGrid grid(view);
    grid.bind(model.get());
    for (const auto &[row, col] : {std::pair{2, 1}, std::pair{1, 2}, std::pair{-1, 1}, std::pair{1, -1}}) {
        try {
            grid.textMatrix(row, col);
            QFAIL(qPrintable(QStringLiteral("no failure for %1,%2").arg(row).arg(col)));
        } catch (const KavioError &e) {
            QCOMPARE(e.number(), 381);
        }
    }
}

void GridTest::columnWidthsAreKeptInTwips()
{
    QTableView view;
    auto model = listOf({QStringList{"a"}, QStringList{"b"}});
    FlexGrid grid(view);
    grid.bind(model.get());
    grid.setColWidth(1, 600);
    grid.setColWidth(2, 1234);
    grid.setColWidth(0, 1);
    QCOMPARE(grid.colWidth(1), 600);
    QCOMPARE(grid.colWidth(2), 1234);
    QCOMPARE(grid.colWidth(0), 1);
    QCOMPARE(view.columnWidth(1), qRound(1234 / twipsPerPixel(view)));
    // On screen a column is at least as wide as its header text, whatever the grid's width.
    const int header = view.horizontalHeader()->fontMetrics().horizontalAdvance(QStringLiteral("Spalte0"));
    QVERIFY(view.columnWidth(0) > header);
    QVERIFY(view.columnWidth(0) >= qRound(600 / twipsPerPixel(view)));
    grid.setColWidth(1, 0);
    QCOMPARE(grid.colWidth(1), 0);
    QVERIFY(view.columnWidth(0) > header);
    QVERIFY(view.verticalHeader()->isHidden()); // one twip is less than a pixel
    // A new list starts from the widths the view gives it.
    auto other = listOf({QStringList{"x"}});
    grid.bind(other.get());
    QCOMPARE(grid.colWidth(1), qRound(view.columnWidth(0) * twipsPerPixel(view)));
}

void GridTest::cellBackColourNeedsADataCell()
{
    QTableView view;
    auto model = listOf({QStringList{"a"}});
    FlexGrid grid(view);
    grid.bind(model.get());
    QVERIFY_THROWS_EXCEPTION(KavioError, grid.setCellBackColor(0, 1, Qt::red));
    QVERIFY_THROWS_EXCEPTION(KavioError, grid.setCurrentCell(1, 0));
    grid.setCurrentCell(1, 1);
    QCOMPARE(grid.row(), 1);
}

void GridTest::emptyingGivesZeroRowsAndColumns()
{
    QTableView view;
    auto model = listOf({QStringList{"a", "b"}});
    FlexGrid grid(view);
    grid.bind(model.get());
    grid.empty();
    QCOMPARE(grid.rows(), 0);
    QCOMPARE(grid.cols(), 0);
    QCOMPARE(grid.fixedRows(), 0);
    QVERIFY(view.model() == nullptr);
    test::FakeMessages messages;
    QLabel lblTemp;
    Grid_AutoSize(view, lblTemp, messages); // nothing to size, nothing to report
    QCOMPARE(messages.count(), 0);
}

QTEST_MAIN(GridTest)
#include "tst_grid.moc"
