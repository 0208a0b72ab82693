#include "PdfReadBack.h"

#include "platform/QtPrinters.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace kavio::test {

static QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

PdfPage readPdfPage(const QString &pdfPath)
{
    PdfPage page;
    const QString html =
        QString::fromUtf8(run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-l"),
                                                            QStringLiteral("1"), pdfPath, QStringLiteral("-")}));
    static const QRegularExpression pageRe(QStringLiteral(R"x(<page width="([\d.]+)" height="([\d.]+)")x"));
    const auto pm = pageRe.match(html);
    page.size = QSizeF(pm.captured(1).toDouble() * 20, pm.captured(2).toDouble() * 20);
    static const QRegularExpression wordRe(
        QStringLiteral(R"x(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)x"));
    for (auto it = wordRe.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        page.words.append({m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()) * 20,
                                                 QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()) * 20)});
    }
    // The PDF printer's margins are the same on opposite sides.
    QTemporaryDir dir;
    QtPrinter probe(dir.filePath(QStringLiteral("probe.pdf")));
    probe.begin(page.size.width() > page.size.height() ? QPageLayout::Landscape : QPageLayout::Portrait);
    page.printable = probe.printableSize();
    probe.end();
    page.origin = QPointF(page.size.width() - page.printable.width(), page.size.height() - page.printable.height()) / 2;
    return page;
}

QRectF PdfPage::line(const QString &text) const
{
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i + parts.size() <= words.size() && !parts.isEmpty(); ++i) {
        QRectF box = words[i].box;
        bool all = true;
        for (int k = 0; k < parts.size() && all; ++k) {
            // Same line: the words' tops agree within a few twips.
            all = words[i + k].text == parts[k] && qAbs(words[i + k].box.top() - words[i].box.top()) < 40;
            box = box.united(words[i + k].box);
        }
        if (all)
            return box.translated(-origin);
    }
    return {};
}

QString fillMismatch(const PdfPage &page, const QString &pdfPath, const QRectF &want, const QColor &colour)
{
    constexpr int dpi = 144;
    constexpr double px = 1440.0 / dpi, tolerance = 40; // twips per pixel; two points
    QTemporaryDir dir;
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-l"), QStringLiteral("1"),
         QStringLiteral("-singlefile"), QStringLiteral("-png"), pdfPath, dir.filePath(QStringLiteral("page"))});
    const QImage image(dir.filePath(QStringLiteral("page.png")));
    // Search a margin around the wanted place, on the page.
    const QRectF window = want.translated(page.origin).adjusted(-300, -300, 300, 300);
    int top = -1, bottom = -1, left = image.width(), right = -1;
    for (int y = qMax(0, int(window.top() / px)); y <= qMin(image.height() - 1, int(window.bottom() / px)); ++y)
        for (int x = qMax(0, int(window.left() / px)); x <= qMin(image.width() - 1, int(window.right() / px)); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAbs(qRed(p) - colour.red()) <= 3 && qAbs(qGreen(p) - colour.green()) <= 3 &&
                qAbs(qBlue(p) - colour.blue()) <= 3) {
                top = top < 0 ? y : top;
                bottom = y;
                left = qMin(left, x);
                right = qMax(right, x);
            }
        }
    const QRectF got =
        top < 0 ? QRectF()
                : QRectF(QPointF(left, top) * px, QPointF(right + 1, bottom + 1) * px).translated(-page.origin);
    if (!got.isNull() && qAbs(got.left() - want.left()) < tolerance && qAbs(got.top() - want.top()) < tolerance &&
        qAbs(got.right() - want.right()) < tolerance && qAbs(got.bottom() - want.bottom()) < tolerance)
        return {};
    const auto text = [](const QRectF &r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
    };
    return QStringLiteral("fill at %1, want %2").arg(text(got), text(want));
}

} // namespace kavio::test
