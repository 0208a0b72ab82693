#pragma once

#include <QPixmap>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include "charts/ChartModel.h"

namespace kavio {
class Printer;
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
    QStringList figures; // figures of the measurements shown, printed under the legend
    QString jobName;     // as the print system lists the job
};

// The left/right comparison page (landscape).
struct ComparisonPage {
    ChartData rightChart; // printed on the left half
    ChartData leftChart;
    QSizeF chartSize; // twips, as the window shows each chart
    QString rightCaption, leftCaption;
    PagePicture companyLogo, programLogo;
    QStringList person;     // Name, Vorname, Geburtsdatum lines
    QStringList ratio;      // the left/right ratio, its judgement (first, in bold) and notes
    double windowWidth = 0; // the comparison window's width in twips
    QString jobName;
};

// Both print one page on a job that has not begun and end it. A printer that fails throws
// KavioError (RunError::PrinterError with the printer's own reason); so does a chart
// picture without height, before anything reaches the printer. Nothing leaves the
// printable area of A4 or Letter in either orientation.
void printChartPage(Printer &printer, const ChartPage &page);
void printComparisonPage(Printer &printer, const ComparisonPage &page);

// "KavioSegment – <what> – <Name>, <Vorname>": how the print system lists a print-out.
QString printJobName(const QString &what, const QString &name, const QString &vorname);

// The legend lines of the chart page for the quantity named by the chart's legend label.
QStringList chartPageLegend(const QString &quantityCaption);

} // namespace kavio::charts
