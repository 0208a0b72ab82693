#pragma once

#include <functional>
#include <QPageLayout>
#include <QSizeF>
#include <QString>

class QPainter;

namespace kavio {

// One print job of one or more pages. Coordinates of the painter are twips (1/1440 inch)
// from the top left corner of the printable area.
class Printer {
public:
    virtual ~Printer() = default;
    // The name the print system lists the job under; set before begin().
    virtual void setJobName(const QString &name) = 0;
    // Starts the job; nullptr when no printer is available or the page cannot begin
    // (errorText() then says why).
    virtual QPainter *begin(QPageLayout::Orientation orientation) = 0;
    // Printable area in twips; valid after begin().
    virtual QSizeF printableSize() const = 0;
    // Ends the page and starts the next one; false when that failed.
    virtual bool newPage() = 0;
    // Ends the document and sends it; false when that failed.
    virtual bool end() = 0;
    virtual QString errorText() const = 0;
};

// Draws a print-out's pages on a job that has not begun (begin to end); the reason when it
// failed, empty when it went through.
using PageDrawing = std::function<QString(Printer &)>;

} // namespace kavio
