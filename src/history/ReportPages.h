#pragma once

#include "history/Export.h"
#include "history/HtmlReport.h"

#include <QDate>
#include <QPixmap>
#include <QString>

class QAbstractItemModel;

namespace kavio {

class Printer;

// What the printed history report shows besides the model's rows.
struct ReportPrint {
    QString jobName;
    QDate today;
    html::PersonLines person;
    QString caption; // above the first page's table
    QPixmap logo;    // the company logo, top left of every page
    ExportProgress progress;
};

// The history report on paper, A4 portrait: the pages of report.htm (html::kRowsPerPage
// rows a page with the column headings repeated, the page head with the person on every
// page, the count of records on the last), drawn as text and lines so the pages stay
// small and searchable. The columns are the model's, as wide as their widest text; a font
// smaller than 9 pt (down to 6 pt) where they would not fit the page, then cut texts.
// Throws KavioError when the printer fails.
void printHistoryReport(Printer &printer, const QAbstractItemModel &model, const ReportPrint &report);

} // namespace kavio
