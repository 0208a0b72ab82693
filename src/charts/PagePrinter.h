#pragma once

#include <QPixmap>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include "charts/ChartModel.h"

namespace kavio {
class PrinterFactory;
}

namespace kavio::charts {

// A picture as the window shows it: the pixmap and the control's size in twips.
struct PagePicture {
    QPixmap pixmap;
    QSizeF size;
};

// The two pictures of every page's header.
struct PageLogos {
    PagePicture company, program;
};

// The chart page of the main window (portrait).
struct ChartPage {
    ChartData chart;
    QSizeF chartSize; // twips, as the window shows the chart
    PagePicture companyLogo, programLogo;
    QStringList header; // Name, Vorname, Geburtsdatum, Segment lines
    QStringList legend;
    QString jobName; // as the print system lists the job
};

// The left/right comparison page (landscape).
struct ComparisonPage {
    ChartData rightChart; // printed on the left half
    ChartData leftChart;
    QSizeF chartSize; // twips, as the window shows each chart
    QString rightCaption, leftCaption;
    PagePicture companyLogo, programLogo;
    QStringList person;     // Name, Vorname, Geburtsdatum lines
    double windowWidth = 0; // the comparison window's width in twips
    QString jobName;
};

// Both print one page through a fresh print job and end it. A printer that is missing or
// fails throws KavioError (RunError::PrinterError with the printer's own reason); so does
// a chart picture without height, before anything reaches the printer.
void printChartPage(PrinterFactory &printers, const ChartPage &page);
void printComparisonPage(PrinterFactory &printers, const ComparisonPage &page);

// "KavioSegment – <what> – <Name>, <Vorname>": how the print system lists a print-out.
QString printJobName(const QString &what, const QString &name, const QString &vorname);

// The legend lines of the chart page for the quantity named by the chart's legend label.
QStringList chartPageLegend(const QString &quantityCaption);

} // namespace kavio::charts
