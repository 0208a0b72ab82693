#include "history/ReportPages.h"

#include "charts/PageWriter.h"
#include "charts/PrintJob.h"

#include <algorithm>
#include <numeric>
#include <QAbstractItemModel>
#include <QFontMetricsF>
#include <QPainter>
#include <vector>

namespace kavio {

using charts::PageWriter;

namespace {

constexpr double kCellPadding = 120; // left and right of a cell's text
constexpr double kLogoSize = 1080;   // three quarters of an inch
const QColor kGrid(0x80, 0x80, 0x80);
const QColor kHeadingFill(0xe8, 0xe8, 0xe8);

enum class Align { Left, Centre, Right };

struct Table {
    int size = 9; // font size in points
    std::vector<double> widths;
    std::vector<Align> align;
    bool cut = false; // the widths were squeezed: texts are cut to fit
    double rowHeight = 0;
    double width() const { return std::accumulate(widths.begin(), widths.end(), 0.0); }
};

QString cell(const QAbstractItemModel &model, int row, int column)
{
    return model.index(row, column).data().toString();
}

// Each column as wide as its widest text, in the largest font that lets the table fit.
Table tableLayout(PageWriter &w, const QAbstractItemModel &model)
{
    const int rows = model.rowCount(), columns = model.columnCount();
    Table t;
    for (t.size = 9; t.size >= 6; --t.size) {
        w.setFont(t.size);
        QFontMetricsF body(w.font());
        w.setFont(t.size, true);
        QFontMetricsF head(w.font());
        t.widths.assign(static_cast<size_t>(columns), 0);
        for (int c = 0; c < columns; ++c) {
            double widest = head.horizontalAdvance(model.headerData(c, Qt::Horizontal).toString());
            for (int r = 0; r < rows; ++r)
                widest = std::max(widest, body.horizontalAdvance(cell(model, r, c)));
            t.widths[static_cast<size_t>(c)] = widest + 2 * kCellPadding;
        }
        t.rowHeight = body.height() + 60;
        if (t.width() <= w.printable().width())
            break;
    }
    if (t.size < 6) {
        t.size = 6;
        const double k = w.printable().width() / t.width();
        for (double &width : t.widths)
            width *= k;
        t.cut = true;
    }
    for (int c = 0; c < columns; ++c) {
        const QVariant v = model.index(0, c).data();
        const bool centred = model.index(0, c).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHCenter;
        t.align.push_back(centred ? Align::Centre : isNumber(v) ? Align::Right : Align::Left);
    }
    return t;
}

void drawCell(QPainter &p, const Table &t, double x, double y, int column, const QString &text)
{
    const double width = t.widths[static_cast<size_t>(column)];
    const QRectF box(x + kCellPadding, y, width - 2 * kCellPadding, t.rowHeight);
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine |
                      (t.align[static_cast<size_t>(column)] == Align::Centre  ? Qt::AlignHCenter
                       : t.align[static_cast<size_t>(column)] == Align::Right ? Qt::AlignRight
                                                                              : Qt::AlignLeft);
    p.drawText(box, flags, t.cut ? QFontMetricsF(p.font()).elidedText(text, Qt::ElideRight, box.width()) : text);
}

// Page number and date, logo, notice, heading and person; returns where the table may begin.
double drawPageHead(PageWriter &w, QPainter &p, const ReportPrint &r, int page, int pages)
{
    w.setFont(9);
    w.y = 0;
    const QString right = html::standText(r.today);
    w.print(html::pageNumberText(page, pages));
    w.y = 0;
    w.x = w.printable().width() - w.textWidth(right);
    w.print(right);
    const double logoTop = w.y + 100;
    if (!r.logo.isNull())
        p.drawPixmap(QRectF(0, logoTop, kLogoSize, kLogoSize), r.logo, QRectF(r.logo.rect()));
    w.y = logoTop;
    w.setFont(8);
    w.printCentred(html::makerNotice(r.today.year()));
    w.setFont(14, true);
    w.printCentred(html::reportHeading());
    w.setFont(9, true);
    w.y = std::max(w.y, logoTop + kLogoSize) + 150;
    for (const auto &[label, value] : html::personFields(r.person))
        w.print(label + value);
    return w.y + 150;
}

void drawRow(QPainter &p, const Table &t, double y, const QStringList &texts)
{
    p.setPen(Qt::black);
    double x = 0;
    for (int c = 0; c < static_cast<int>(texts.size()); ++c) {
        drawCell(p, t, x, y, c, texts[c]);
        x += t.widths[static_cast<size_t>(c)];
    }
    p.setPen(QPen(kGrid, 10));
    p.drawLine(QPointF(0, y + t.rowHeight), QPointF(t.width(), y + t.rowHeight));
}

} // namespace

void printHistoryReport(Printer &printer, const QAbstractItemModel &model, const ReportPrint &r)
{
    charts::PrintJob job(printer, QPageLayout::Portrait, r.jobName);
    QPainter &p = job.painter();
    PageWriter w(p, job.printable());
    const Table t = tableLayout(w, model);
    const int rows = model.rowCount(), columns = model.columnCount();
    const int pages = html::pageCount(rows, html::kRowsPerPage);
    QStringList headings;
    for (int c = 0; c < columns; ++c)
        headings << model.headerData(c, Qt::Horizontal).toString();

    int row = 0;
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            job.newPage();
        double y = drawPageHead(w, p, r, page, pages);
        if (page == 1 && !r.caption.isEmpty()) {
            w.y = y;
            w.print(r.caption);
            y = w.y + 60;
        }
        const double top = y;
        const int last = std::min(rows, page * html::kRowsPerPage);
        p.fillRect(QRectF(0, y, t.width(), t.rowHeight), kHeadingFill);
        p.setPen(QPen(kGrid, 10));
        p.drawLine(QPointF(0, y), QPointF(t.width(), y));
        w.setFont(t.size, true);
        drawRow(p, t, y, headings);
        y += t.rowHeight;
        w.setFont(t.size);
        for (; row < last; ++row) {
            QStringList texts;
            for (int c = 0; c < columns; ++c)
                texts << cell(model, row, c);
            drawRow(p, t, y, texts);
            y += t.rowHeight;
            if (r.progress && (row + 1) % kProgressStep == 0)
                r.progress(row + 1);
        }
        double x = 0;
        for (int c = 0; c <= columns; ++c) {
            p.drawLine(QPointF(x, top), QPointF(x, y));
            if (c < columns)
                x += t.widths[static_cast<size_t>(c)];
        }
        const QString footer = html::historyPageFooter(page, pages, rows);
        if (!footer.isEmpty()) {
            w.setFont(9, true);
            w.y = y + 200;
            w.print(footer);
        }
    }
    job.end();
    if (r.progress)
        r.progress(rows);
}

} // namespace kavio
