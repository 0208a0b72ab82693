#include "PdfPages.h"

#include "platform/QtPrinters.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace kavio::test {

QRectF PdfPage::line(const QString &text) const
{
    const QStringList parts = text.split(QLatin1Char(' '));
    QRectF box;
    for (int i = 0; i + parts.size() <= words.size() && box.isNull(); ++i)
        if (words.mid(i, parts.size()) == parts)
            for (int k = i; k < i + parts.size(); ++k)
                box |= boxes[k];
    return box.isNull() ? box : box.translated(-origin);
}

QStringList PdfPage::outside() const
{
    QStringList out;
    const QRectF area(origin, printable);
    for (int i = 0; i < words.size(); ++i)
        if (!area.adjusted(-20, -20, 20, 20).contains(boxes[i])) // glyph boxes may pass the pen a little
            out << QStringLiteral("%1 at %2,%3-%4,%5")
                       .arg(words[i])
                       .arg(boxes[i].left() - origin.x())
                       .arg(boxes[i].top() - origin.y())
                       .arg(boxes[i].right() - origin.x())
                       .arg(boxes[i].bottom() - origin.y());
    return out;
}

QList<PdfPage> readPdf(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {"-bbox", path, "-"});
    p.waitForFinished(120000);
    static const QRegularExpression re(QStringLiteral(R"x(<(page|word) (?:xMin="([\d.]+)" yMin="([\d.]+)" )?)x"
                                                      R"x((?:width|xMax)="([\d.]+)" (?:height|yMax)="([\d.]+)">)x"
                                                      R"x(([^<]*))x"));
    QList<PdfPage> pages;
    for (auto it = re.globalMatch(QString::fromUtf8(p.readAllStandardOutput())); it.hasNext();) {
        const auto m = it.next();
        const auto at = [&](int i) { return m.captured(i).toDouble() * 20; }; // points to twips
        if (m.captured(1) == QLatin1String("page")) {
            pages.append(PdfPage());
            pages.last().size = QSizeF(at(4), at(5));
        } else if (!pages.isEmpty()) {
            pages.last().words << m.captured(6).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            pages.last().boxes << QRectF(QPointF(at(2), at(3)), QPointF(at(4), at(5)));
        }
    }
    QTemporaryDir dir;
    for (PdfPage &page : pages) {
        QtPrinter probe(dir.filePath(QStringLiteral("probe.pdf")));
        probe.begin(page.landscape() ? QPageLayout::Landscape : QPageLayout::Portrait);
        // The probe is A4; the margins are the same on every paper.
        const QSizeF margins =
            QSizeF(page.landscape() ? QSizeF(297, 210) : QSizeF(210, 297)) / 25.4 * 1440 - probe.printableSize();
        page.printable = page.size - margins;
        page.origin = QPointF(margins.width(), margins.height()) / 2;
    }
    return pages;
}

QImage renderFirstPage(const QString &path)
{
    QTemporaryDir dir;
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {"-r", "144", "-l", "1", "-singlefile", "-png", path, dir.filePath("page")});
    return QImage(dir.filePath(QStringLiteral("page.png")));
}

QRectF painted(const QImage &picture, const QColor &colour, const PdfPage &page)
{
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    QRect got;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] & 0xffffff) == (colour.rgb() & 0xffffff))
                got |= QRect(x, y, 1, 1);
    }
    return QRectF(QPointF(got.topLeft()) * 10, QSizeF(got.size()) * 10).translated(-page.origin);
}

} // namespace kavio::test
