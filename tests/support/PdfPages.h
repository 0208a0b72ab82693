#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QStringList>

namespace kavio::test {

// A PDF read back in twips: each page's words by pdftotext -bbox, from the top left of the
// printable area of this program's PDF printer (its margins are the same on opposite sides).
struct PdfPage {
    QSizeF size, printable;
    QPointF origin; // top left of the printable area on the page
    QStringList words;
    QList<QRectF> boxes; // from the page's top left

    bool landscape() const { return size.width() > size.height(); }
    // The box of the first words reading `text`, from the printable area's top left; null
    // when the page has no such words.
    QRectF line(const QString &text) const;
    // Words not inside the printable area (a point of slack for the font's glyph boxes).
    QStringList outside() const;
};

QList<PdfPage> readPdf(const QString &path);

// The first page at 144 dpi (10 twips a pixel).
QImage renderFirstPage(const QString &path);

// Where colour is painted on the image, in twips from the printable area's top left.
QRectF painted(const QImage &image, const QColor &colour, const PdfPage &page);

} // namespace kavio::test
