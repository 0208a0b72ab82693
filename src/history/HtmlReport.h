#pragma once

#include "history/Export.h"

#include <functional>
#include <optional>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

class QAbstractItemModel;

namespace kavio::html {

// Rows of the table on one report page. With the page header, the heading block and the
// table header this fills one A4 portrait page at the report's font size.
constexpr int kRowsPerPage = 35;

// What goes on top of one page: the header text, whose "|>" separates the part shown at
// the left from the part shown at the right, and HTML fragments placed below it in order.
struct PageHeader {
    QString text;
    QStringList fragments;
};

struct ReportSettings {
    QString title;   // the document's title
    QString caption; // shown above the table of the first page
    int rowsPerPage = kRowsPerPage;
    std::function<PageHeader(int page, int pages)> pageHeader;
    // Text below the page's table (empty: none); page numbers count from 1.
    std::function<QString(int page, int pages, int records)> pageFooter;
    ExportProgress progress;
};

// A complete HTML document of the model's rows, one page section per rowsPerPage rows
// (one page for an empty table); sections break to a new page when printed. Header and
// footer texts and every cell are escaped; fragments are inserted as they are.
QString reportDocument(const QAbstractItemModel &model, const ReportSettings &settings);

// Number of pages for a row count.
int pageCount(int rows, int rowsPerPage);

// Writes the document (UTF-8) under a temporary name and renames it when complete.
std::optional<ExportError> writeReport(const QString &path, const QAbstractItemModel &model,
                                       const ReportSettings &settings);

// ---- The history report's own texts ---------------------------------------------------

// The person shown in the heading block of every page.
struct PersonLines {
    QString vorname, name, gebDat, alter, patientNr;
};

// The texts of the history report's page head, shared by report.htm and the printed report.
QString pageNumberText(int page, int pages); // "Seite 2 von 3"
QString standText(const QDate &today);       // "Stand: 06.12.2026"
QString makerNotice(int year);               // "© 2026 Vendrik GmbH – alle Rechte vorbehalten"
inline QString reportHeading()
{
    return QStringLiteral("Gliederanalyse");
}
QList<std::pair<QString, QString>> personFields(const PersonLines &person); // ("Vorname: ", "Anna"), ...

// "Seite n von m|>Stand: dd.mm.yyyy" and the seven fragments: the maker's notice, the
// heading and the five person lines (values escaped).
PageHeader historyPageHeader(int page, int pages, const QDate &today, const PersonLines &person);

// "Anzahl Datensätze: " + count with German digit grouping on the last page; empty on
// the others.
QString historyPageFooter(int page, int pages, int records);

} // namespace kavio::html
