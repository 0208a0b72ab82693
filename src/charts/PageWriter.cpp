#include "charts/PageWriter.h"

#include "app/Errors.h"

#include <algorithm>
#include <QFontMetricsF>
#include <QPainter>

namespace kavio::charts {

PageWriter::PageWriter(QPainter &painter, QSizeF printable) : m_painter(painter), m_printable(printable)
{
    setFont(10);
}

void PageWriter::setFont(int pointSize, bool bold)
{
    m_font = QFont(QStringLiteral("Arial"));
    // No ligatures: "ff" stays two letters, so the PDF is found by what it says.
    m_font.setStyleHint(QFont::SansSerif, QFont::PreferNoShaping);
    // Pixel size, not point size: the painter's units are twips, 20 to the point.
    m_font.setPixelSize(pointSize * 20);
    m_font.setBold(bold);
    m_painter.setFont(m_font);
}

double PageWriter::lineHeight() const
{
    return QFontMetricsF(m_font).height();
}

double PageWriter::textWidth(const QString &text) const
{
    return QFontMetricsF(m_font).horizontalAdvance(text);
}

QStringList PageWriter::wrapped(const QString &text, double width) const
{
    QStringList lines;
    QString line;
    qsizetype i = 0;
    while (i < text.size()) {
        // The next piece: up to and including a blank or hyphen.
        qsizetype end = i;
        while (end < text.size() && text[end] != QLatin1Char(' ') && text[end] != QLatin1Char('-'))
            ++end;
        const QString piece = text.mid(i, std::min(end + 1, text.size()) - i);
        i += piece.size();
        if (textWidth(line + piece) <= width) {
            line += piece;
            continue;
        }
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
        line.clear();
        for (const QChar c : piece) {
            if (!line.isEmpty() && textWidth(line + c) > width) {
                lines << line;
                line.clear();
            }
            line += c;
        }
    }
    if (!line.trimmed().isEmpty() || lines.isEmpty())
        lines << line.trimmed();
    return lines;
}

void PageWriter::print(const QString &text)
{
    m_painter.setPen(Qt::black);
    m_painter.drawText(QPointF(x, y + QFontMetricsF(m_font).ascent()), text);
    x = 0;
    y += lineHeight();
}

void PageWriter::printCentred(const QString &text)
{
    x = m_printable.width() / 2 - textWidth(text) / 2;
    print(text);
}

void PageWriter::blankLines(int count)
{
    for (int i = 0; i < count; ++i)
        print(QStringLiteral(" "));
}

QRectF fittedChartRect(QSizeF picture, QSizeF printable, double bottom)
{
    if (picture.height() <= 0 || picture.width() <= 0 || printable.height() <= 0)
        throw KavioError(RunError::DivisionByZero);
    const QPointF topLeft(3000, 2000);
    const QSizeF room(std::max(0.0, printable.width() - topLeft.x()), std::max(0.0, bottom - topLeft.y()));
    QSizeF size = picture.scaled(printable * 0.75, Qt::KeepAspectRatio);
    if (size.width() > room.width() || size.height() > room.height())
        size = picture.scaled(room, Qt::KeepAspectRatio);
    return {topLeft, size};
}

QString creditLine()
{
    return QStringLiteral("Erstellt mit KavioSegment · © 2026 Vendrik GmbH");
}

} // namespace kavio::charts
