#include "charts/PagePrinter.h"

#include "app/Errors.h"
#include "app/frmSplash.h"
#include "charts/ChartView.h"
#include "charts/PageWriter.h"
#include "charts/PrintJob.h"

#include <algorithm>
#include <QPainter>

namespace kavio::charts {

namespace {

void drawPicture(QPainter &painter, double x, double y, const PagePicture &picture)
{
    if (!picture.pixmap.isNull())
        painter.drawPixmap(QRectF(QPointF(x, y), picture.size), picture.pixmap, QRectF(picture.pixmap.rect()));
}

// Where the legend lines begin.
constexpr double kLegendLeft = 3300;

// The largest font up to 10 pt in which every line fits from x to the right edge.
void fitFont(PageWriter &w, const QStringList &lines, double x)
{
    for (int size = 10; size >= 6; --size) {
        w.setFont(size);
        if (std::all_of(lines.begin(), lines.end(),
                        [&](const QString &line) { return x + w.textWidth(line) <= w.printable().width(); }))
            return;
    }
}

} // namespace

QString printJobName(const QString &what, const QString &name, const QString &vorname)
{
    return applicationTitle() + QStringLiteral(" – ") + what + QStringLiteral(" – ") + name + QStringLiteral(", ") +
           vorname;
}

QStringList chartPageLegend(const QString &quantityCaption)
{
    if (quantityCaption == QLatin1String("Xc/R"))
        return {QStringLiteral("Die Balkenhöhe zeigt den Index Xc/R auf und gibt indirekt Auskunft über den "
                               "Phasenwinkel")};
    return {QStringLiteral("grüne Balken: nach Therapie"), QStringLiteral("rote Balken: vor Therapie"),
            QStringLiteral("Die Balkenhöhe zeigt die prozentuale Wasserveränderung vor und nach der Therapie.")};
}

void printChartPage(Printer &printer, const ChartPage &page)
{
    // Fails on a picture without height before a job is opened.
    const QSizeF picture = page.chartSize;
    fittedChartRect(picture, {1, 1}, 1);

    PrintJob job(printer, QPageLayout::Portrait, page.jobName);
    QPainter &p = job.painter();
    const QSizeF printable = job.printable();
    PageWriter w(p, printable);
    const QStringList legend = page.legend + page.figures;
    fitFont(w, legend, kLegendLeft);
    // The legend 36 lines below the credit line, higher where the page is too short for it;
    // the chart keeps a line clear above it.
    const double legendTop = std::min(1000 + 36 * w.lineHeight(), printable.height() - legend.size() * w.lineHeight());
    const QRectF target = fittedChartRect(picture, printable, legendTop - w.lineHeight());
    renderChart(page.chart, picture, p, target);
    drawPicture(p, 600, 400, page.companyLogo);
    // At the right edge as on A4 portrait, so the credit line stays clear of it on a wider page.
    drawPicture(p, printable.width() - page.programLogo.size.width() - 300, 400, page.programLogo);

    w.y = 1000;
    w.printCentred(creditLine());
    w.blankLines(10);
    // A long name wraps within the room left of the chart instead of running into it; the
    // legend keeps its place.
    for (const QString &line : page.header)
        for (const QString &part : w.wrapped(line, target.left() - 500 - 200)) {
            w.x = 500;
            w.print(part);
        }
    w.y = legendTop;
    for (const QString &line : legend) {
        w.x = kLegendLeft;
        w.print(line);
    }
    job.end();
}

void printComparisonPage(Printer &printer, const ComparisonPage &page)
{
    PrintJob job(printer, QPageLayout::Landscape, page.jobName);
    QPainter &p = job.painter();
    const QSizeF printable = job.printable();
    PageWriter w(p, printable);
    w.setFont(9);
    drawPicture(p, 600, 400, page.companyLogo);
    drawPicture(p, printable.width() - page.programLogo.size.width() - 600, 400, page.programLogo);

    w.y = 1000;
    w.blankLines(1);
    w.printCentred(creditLine());
    w.setFont(12, true);
    w.blankLines(2);
    w.printCentred(QStringLiteral("Vergleich von Segmenten"));
    w.setFont(9);

    // The charts side by side as the window shows them, smaller where the paper is narrower
    // than the window (portrait chosen in the preview).
    const double k = std::min(1.0, printable.width() / (page.windowWidth / 2 + 1440 + page.chartSize.width()));
    const QSizeF chartSize = page.chartSize * k;
    const double rightX = 1440 * k, leftX = (page.windowWidth / 2 + 1440) * k;
    const double captionY = w.y;
    w.x = rightX;
    w.print(page.rightCaption);
    w.y = captionY;
    w.x = leftX;
    w.print(page.leftCaption);

    const double chartY = w.y;
    renderChart(page.rightChart, page.chartSize, p, QRectF(QPointF(rightX, chartY), chartSize));
    renderChart(page.leftChart, page.chartSize, p, QRectF(QPointF(leftX, chartY), chartSize));

    w.y = std::max(7000.0, chartY + chartSize.height() + w.lineHeight());
    for (const QString &line : page.person) {
        w.x = 1440;
        w.print(line);
    }
    w.blankLines(1);
    for (qsizetype i = 0; i < page.ratio.size(); ++i) {
        w.setFont(9, i == 0); // the judgement first, in bold
        for (const QString &part : w.wrapped(page.ratio[i], printable.width() - 1440)) {
            w.x = 1440;
            w.print(part);
        }
    }
    job.end();
}

} // namespace kavio::charts
