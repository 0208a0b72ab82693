#include "workstation/mdlGrid.h"

#include "app/Errors.h"
#include "platform/Messages.h"
#include "workstation/ListModel.h"

#include <array>
#include <cmath>
#include <QFontMetrics>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QStyle>
#include <QTableView>

namespace kavio {

namespace {

const char *const kWidthProperty = "kavioColWidthTwips";

// What the grid reports for a cell or column that does not exist.
KavioError badIndex()
{
    return KavioError(381, QStringLiteral("Ungültiger Index für Eigenschaftenfeld"));
}

} // namespace

double twipsPerPixel(const QWidget &widget)
{
    const int dpi = widget.logicalDpiX();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

int FlexGrid::rows() const
{
    const QAbstractItemModel *m = m_view.model();
    return m ? m->rowCount() + 1 : 0;
}

int FlexGrid::cols() const
{
    const QAbstractItemModel *m = m_view.model();
    return m ? m->columnCount() + 1 : 0;
}

void FlexGrid::checkCell(int row, int col) const
{
    if (row < 0 || col < 0 || row >= rows() || col >= cols())
        throw badIndex();
}

QString FlexGrid::textMatrix(int row, int col) const
{
    checkCell(row, col);
    if (col == 0)
        return {};
    const QAbstractItemModel *m = m_view.model();
    if (row == 0)
        return m->headerData(col - 1, Qt::Horizontal).toString();
    if (const auto *list = qobject_cast<const ListModel *>(m))
        return list->text(row - 1, col - 1);
    return m->data(m->index(row - 1, col - 1)).toString();
}

int FlexGrid::colWidth(int col) const
{
    if (col < 0 || col >= cols())
        throw badIndex();
    const QList<int> stored = m_view.property(kWidthProperty).value<QList<int>>();
    if (col < stored.size() && stored[col] >= 0)
        return stored[col];
    const int px = col == 0 ? (m_view.verticalHeader()->isVisible() ? m_view.verticalHeader()->width() : 0)
                            : m_view.columnWidth(col - 1);
    return qRound(px * twipsPerPixel(m_view));
}

void FlexGrid::setColWidth(int col, int twips)
{
    if (col < 0 || col >= cols())
        throw badIndex();
    QList<int> stored = m_view.property(kWidthProperty).value<QList<int>>();
    if (stored.size() < cols())
        stored.resize(cols(), -1);
    stored[col] = twips;
    m_view.setProperty(kWidthProperty, QVariant::fromValue(stored));

    const int px = qRound(twips / twipsPerPixel(m_view));
    if (col == 0) {
        // The fixed column carries nothing; narrower than a pixel it is not drawn at all.
        m_view.verticalHeader()->setVisible(px > 0);
        if (px > 0)
            m_view.verticalHeader()->setFixedWidth(px);
    } else {
        // The width kept is the grid's; on screen a column is never narrower than its
        // header, so a list without rows or of short numbers still names its columns.
        const QHeaderView *header = m_view.horizontalHeader();
        const int margin = 2 * m_view.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 2;
        const QString title = m_view.model()->headerData(col - 1, Qt::Horizontal).toString();
        m_view.setColumnWidth(col - 1, qMax(px, header->fontMetrics().horizontalAdvance(title) + margin));
    }
}

int FlexGrid::row() const
{
    const QItemSelectionModel *s = m_view.selectionModel();
    return s && s->currentIndex().isValid() ? s->currentIndex().row() + 1 : 0;
}

void FlexGrid::setCurrentCell(int row, int col)
{
    checkCell(row, col);
    if (row < 1 || col < 1)
        throw badIndex();
    m_view.setCurrentIndex(m_view.model()->index(row - 1, col - 1));
}

void FlexGrid::setCellBackColor(int row, int col, const QColor &colour)
{
    checkCell(row, col);
    auto *list = qobject_cast<ListModel *>(m_view.model());
    if (row < 1 || col < 1 || !list)
        throw badIndex();
    list->setCellBackground(row - 1, col - 1, colour);
}

void FlexGrid::bind(QAbstractItemModel *model)
{
    // The view makes a new selection model for every model; the old one would linger.
    QItemSelectionModel *old = m_view.selectionModel();
    m_view.setModel(model);
    if (old && old != m_view.selectionModel())
        delete old;
    m_view.setProperty(kWidthProperty, QVariant());
}

void usePlainTextFont(QTableView &grid)
{
    QFont font = grid.font();
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    font.setKerning(false);
    grid.setFont(font);
}

void Grid_AutoSize(QTableView &grid, QLabel &lblTemp, Messages &messages)
{
    try {
        const QFont gridFont = grid.font();
        QFont font = lblTemp.font();
        font.setFamily(gridFont.family());
        if (gridFont.pointSizeF() > 0)
            font.setPointSizeF(gridFont.pointSizeF());
        else
            font.setPixelSize(gridFont.pixelSize());
        font.setBold(gridFont.bold());
        font.setItalic(gridFont.italic());
        font.setStrikeOut(gridFont.strikeOut());
        font.setUnderline(gridFont.underline());
        font.setStyleStrategy(gridFont.styleStrategy());
        font.setKerning(gridFont.kerning());
        lblTemp.setFont(font);
        lblTemp.setWordWrap(false);

        const QFontMetrics metrics(lblTemp.font());
        const double tpp = twipsPerPixel(lblTemp);
        // A list repeats many texts (dates, names): each distinct text is measured once.
        QHash<QString, int> measured;
        auto widthOf = [&](const QString &text) {
            auto it = measured.constFind(text);
            if (it == measured.constEnd())
                it = measured.insert(text, qRound(metrics.horizontalAdvance(text) * tpp));
            return *it;
        };
        // Drawn without shaping and kerning, a text is exactly as wide as its characters
        // together; their sum (with a pixel to spare for rounding) is then an upper bound
        // that spares measuring every text that cannot raise the column's width.
        const bool additive = (font.styleStrategy() & QFont::PreferNoShaping) && !font.kerning();
        const QFontMetricsF metricsF(font);
        std::array<double, 0x250> charWidth;
        charWidth.fill(-1);
        auto upperBound = [&](const QString &text) {
            double px = 1;
            for (const QChar c : text) {
                const char16_t u = c.unicode();
                if (u < charWidth.size()) {
                    if (charWidth[u] < 0)
                        charWidth[u] = metricsF.horizontalAdvance(c);
                    px += charWidth[u];
                } else {
                    px += metricsF.horizontalAdvance(c);
                }
            }
            return static_cast<int>(std::ceil(px * tpp)) + 1;
        };
        auto raises = [&](const QString &text, int max) {
            if (additive && upperBound(text) + 100 <= max)
                return -1;
            const int w = widthOf(text);
            return w + 100 > max ? w : -1;
        };

        FlexGrid g(grid);
        const QAbstractItemModel *model = grid.model();
        const auto *list = qobject_cast<const ListModel *>(model);
        const int rows = g.rows();
        for (int col = g.fixedCols(); col < g.cols(); ++col) {
            int max = 0;
            for (int row = g.fixedRows(); row < rows; ++row) {
                const int w = raises(list ? list->text(row - 1, col - 1) : g.textMatrix(row, col), max);
                if (w >= 0)
                    max = w + 250;
            }
            g.setColWidth(col, max);
        }
    } catch (const KavioError &e) {
        messages.plain(errorFormModul(e, QStringLiteral("Grid_AutoSize"), QStringLiteral("mdlGrid")));
    }
}

void prepareReadOnlyList(QTableView &grid)
{
    grid.setSelectionBehavior(QAbstractItemView::SelectRows);
    grid.setSelectionMode(QAbstractItemView::SingleSelection);
    grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid.setWordWrap(false);
    usePlainTextFont(grid);
    grid.verticalHeader()->setVisible(false);
    grid.verticalHeader()->setDefaultSectionSize(grid.fontMetrics().height() + 6);
    grid.horizontalHeader()->setHighlightSections(false);
}

} // namespace kavio
