#pragma once

#include <QColor>
#include <QString>

class QAbstractItemModel;
class QLabel;
class QTableView;
class QWidget;

namespace kavio {

class Messages;

// Twips (1/1440 inch) per pixel of a widget's screen: 15 at 96 dots per inch.
double twipsPerPixel(const QWidget &widget);

// The grid operations the main window's two lists work with, over a QTableView: row 0 is
// the header row (the view's column headers, carrying the field names), column 0 the
// fixed column (the view's row header). Rows and columns are counted with them, so the
// first data cell is (1, 1). Column widths are kept in twips. A view without a model is
// a grid of zero rows and zero columns.
class FlexGrid {
public:
    explicit FlexGrid(QTableView &view) : m_view(view) {}

    int rows() const;
    int cols() const;
    int fixedRows() const { return rows() > 0 ? 1 : 0; }
    int fixedCols() const { return cols() > 0 ? 1 : 0; }

    // Throws KavioError when the cell lies outside the grid.
    QString textMatrix(int row, int col) const;

    // Column width in twips; the width last set, else the width shown.
    int colWidth(int col) const;
    void setColWidth(int col, int twips);

    // The data row of the current cell (0 when there is none) and making a cell current.
    int row() const;
    void setCurrentCell(int row, int col);
    // Background of one data cell; throws KavioError outside the data rows and columns.
    void setCellBackColor(int row, int col, const QColor &colour);

    // Binds the grid to a list (nullptr: zero rows and columns). The grid does not own it.
    void bind(QAbstractItemModel *model);
    // Rows, then columns, to zero.
    void empty() { bind(nullptr); }

    QTableView &view() const { return m_view; }

private:
    void checkCell(int row, int col) const;
    QTableView &m_view;
};

// Draws the grid's texts without shaping and kerning (German text needs neither), which
// lets Grid_AutoSize bound a text's width by its characters before measuring it.
void usePlainTextFont(QTableView &grid);

// A list that is only read: whole rows selected one at a time, no editing, no wrapping,
// plain text font, no row numbers.
void prepareReadOnlyList(QTableView &grid);

// Sets every non-fixed column to the width of its widest text plus a margin, in twips,
// measured in the grid's font (taken over by the measuring label). The rule, row by row:
// a text of width w raises the column's width to w + 250 when w + 100 exceeds it. A
// failure stops the sizing with the program's error message; columns sized so far keep
// their widths.
void Grid_AutoSize(QTableView &grid, QLabel &lblTemp, Messages &messages);

// The colour of the chosen person's row.
inline QColor personRowColour()
{
    return QColor(111, 111, 128);
}

} // namespace kavio
