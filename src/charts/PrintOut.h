#pragma once

#include <functional>
#include <optional>
#include <QDate>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>

namespace kavio {

class Printer;
struct Platform;

namespace charts {

// A print-out as the windows offer it: on the default printer, in the print preview, or
// as a PDF file.
struct PrintOut {
    QString jobName; // as the print system lists the job, and the PDF's title
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    std::optional<QPageSize::PageSizeId> pdfPaper; // a PDF's paper when the print-out has its own
    QString pdfName;                               // proposed PDF file name, without folder
    // Draws the pages on a job that has not begun; throws KavioError when it fails.
    std::function<void(Printer &)> draw;
    QString procedure, form; // where a printer's failure is reported from
};

// On the default printer; a failure is shown as the error form. With no printer installed
// the operator is offered the PDF instead.
void printOut(const Platform &platform, const PrintOut &out);
// In the print preview; a failure to draw the pages is shown.
void previewOut(const Platform &platform, const PrintOut &out);
// Asks where to save the PDF, proposing pdfName in the documents folder, and writes it
// complete or not at all. Cancelled: nothing written, nothing said. A failure is shown,
// naming why. True when the file was written.
bool savePdf(const Platform &platform, const PrintOut &out);

// "Mustermann_Anna_2026-12-06_Arm_rechts.pdf": the parts joined by "_", each with blanks
// and characters not allowed in file names on Linux or Windows replaced by "_"; empty
// parts are left out.
QString pdfFileName(const QStringList &parts);
// The usual parts: name, first name, the day as yyyy-MM-dd, then what is printed.
QString pdfFileName(const QString &name, const QString &firstName, const QDate &day, const QString &what);

} // namespace charts
} // namespace kavio
