#include "charts/PagePrinter.h"

#include "app/Errors.h"
#include "app/frmSplash.h"
#include "charts/ChartView.h"
#include "charts/PageWriter.h"
#include "platform/Platform.h"
#include "platform/Printer.h"

#include <memory>
#include <QPainter>

namespace kavio::charts {

namespace {

// One print job: begins the page or throws, ends it or throws.
class Job {
public:
    Job(PrinterFactory &printers, QPageLayout::Orientation orientation, const QString &name)
        : m_printer(printers.create())
    {
        if (!m_printer)
            throw KavioError(RunError::PrinterError);
        m_printer->setJobName(name);
        m_painter = m_printer->begin(orientation);
        if (!m_painter)
            fail();
    }
    QPainter &painter() { return *m_painter; }
    QSizeF printable() const { return m_printer->printableSize(); }
    void end()
    {
        if (!m_printer->end())
            fail();
    }

private:
    [[noreturn]] void fail()
    {
        const QString reason = m_printer->errorText();
        throw KavioError(static_cast<int>(RunError::PrinterError),
                         reason.isEmpty() ? describe(RunError::PrinterError) : reason);
    }
    std::unique_ptr<Printer> m_printer;
    QPainter *m_painter = nullptr;
};

void drawPicture(QPainter &painter, double x, double y, const PagePicture &picture)
{
    if (!picture.pixmap.isNull())
        painter.drawPixmap(QRectF(QPointF(x, y), picture.size), picture.pixmap, QRectF(picture.pixmap.rect()));
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

void printChartPage(PrinterFactory &printers, const ChartPage &page)
{
    // Fails on a picture without height before a job is opened.
    const QSizeF picture = page.chartSize;
    fittedChartRect(picture, {1, 1});

    Job job(printers, QPageLayout::Portrait, page.jobName);
    QPainter &p = job.painter();
    const QRectF target = fittedChartRect(picture, job.printable());
    renderChart(page.chart, picture, p, target);
    drawPicture(p, 600, 400, page.companyLogo);
    drawPicture(p, 9400, 400, page.programLogo);

    PageWriter w(p, job.printable());
    // 10 pt, or smaller where a legend line would run past the printable width.
    for (int size = 10; size >= 6; --size) {
        w.setFont(size);
        bool fits = true;
        for (const QString &line : page.legend)
            fits = fits && 3300 + w.textWidth(line) <= job.printable().width();
        if (fits)
            break;
    }
    w.y = 1000;
    w.printCentred(creditLine());
    w.blankLines(10);
    // A long name wraps within the room left of the chart instead of running into it; the
    // legend keeps its place.
    const double headerTop = w.y;
    for (const QString &line : page.header)
        for (const QString &part : w.wrapped(line, target.left() - 500 - 200)) {
            w.x = 500;
            w.print(part);
        }
    w.y = headerTop + page.header.size() * w.lineHeight();
    w.blankLines(21);
    for (const QString &line : page.legend) {
        w.x = 3300;
        w.print(line);
    }
    job.end();
}

void printComparisonPage(PrinterFactory &printers, const ComparisonPage &page)
{
    Job job(printers, QPageLayout::Landscape, page.jobName);
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

    const double captionY = w.y;
    w.x = 1440;
    w.print(page.rightCaption);
    w.y = captionY;
    w.x = printable.width() / 2;
    w.print(page.leftCaption);

    const double chartY = w.y;
    renderChart(page.rightChart, page.chartSize, p, QRectF(QPointF(1440, chartY), page.chartSize));
    renderChart(page.leftChart, page.chartSize, p,
                QRectF(QPointF(page.windowWidth / 2 + 1440, chartY), page.chartSize));

    w.y = 7000;
    for (const QString &line : page.person) {
        w.x = 1440;
        w.print(line);
    }
    job.end();
}

} // namespace kavio::charts
