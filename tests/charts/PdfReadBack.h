#pragma once

#include <QColor>
#include <QList>
#include <QRectF>
#include <QString>

namespace kavio::test {

// The first page of a PDF as pdftotext -bbox reads it, in twips (the tool's points
// times 20), with the PDF printer's printable area for the page's orientation.
struct PdfPage {
    struct Word {
        QString text;
        QRectF box; // from the page's top left
    };
    QSizeF size, printable;
    QPointF origin; // top left of the printable area on the page
    QList<Word> words;
    // The box, from the printable area's top left, of the first run of words on one line
    // that reads `text`; empty when there is none.
    QRectF line(const QString &text) const;
    bool contains(const QString &text) const { return !line(text).isNull(); }
};

PdfPage readPdfPage(const QString &pdfPath);

// Empty when the page, rendered by pdftoppm, shows `colour` filling `want` (twips of the
// printable area) to within two points on every side; otherwise what it shows instead.
QString fillMismatch(const PdfPage &page, const QString &pdfPath, const QRectF &want, const QColor &colour);

} // namespace kavio::test
