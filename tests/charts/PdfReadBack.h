#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace kavio::test {

// Words of a PDF page as pdftotext -bbox reports them, in twips from the top left of
// the page (the tool's points times 20).
struct PdfWord {
    QString text;
    QRectF box;
};

struct PdfPage {
    QSizeF size; // twips
    QList<PdfWord> words;
    // The box of the first run of words that reads `text` (words split at blanks) on one
    // line; an empty box when there is none.
    QRectF lineStartingWith(const QString &text) const;
    bool contains(const QString &text) const { return !lineStartingWith(text).isNull(); }
};

PdfPage readPdfText(const QString &pdfPath);

// The first page rendered by pdftoppm at the given resolution.
QImage renderPdf(const QString &pdfPath, int dpi);

// The bounding box, in twips of the page, of the pixels inside `window` that have the
// given colour (a filled area such as a chart's plot background).
QRectF findFill(const QImage &page, int dpi, const QRectF &window, const QColor &colour);

} // namespace kavio::test
