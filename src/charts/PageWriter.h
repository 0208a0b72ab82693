#pragma once

#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QPainter;

namespace kavio::charts {

// Writes text on a page the way a line printer cursor does: each line at (x, y) from the
// top of the text, then x back to 0 and y one line height further. Painter units are
// twips of the printable area.
class PageWriter {
public:
    PageWriter(QPainter &painter, QSizeF printable);

    // Font sizes in points; under the twips painter a point is 20 units.
    void setFont(int pointSize, bool bold = false);
    const QFont &font() const { return m_font; }
    double lineHeight() const;
    double textWidth(const QString &text) const;

    // The text in lines no wider than width: broken after blanks and hyphens, a part
    // that is wider on its own between characters.
    QStringList wrapped(const QString &text, double width) const;

    void print(const QString &text);
    // x = half the printable width minus half the text's width.
    void printCentred(const QString &text);
    void blankLines(int count);

    QSizeF printable() const { return m_printable; }
    double x = 0;
    double y = 0;

private:
    QPainter &m_painter;
    QSizeF m_printable;
    QFont m_font;
};

// Part of the page the chart picture gets, from (3000, 2000) with the picture's
// proportions: three quarters of the largest size that fits the printable area, smaller
// where that would pass the right edge or reach below `bottom`.
// Throws KavioError when the picture has no height or width.
QRectF fittedChartRect(QSizeF picture, QSizeF printable, double bottom);

// The notice on both print-outs naming the maker and the year.
QString creditLine();

} // namespace kavio::charts
