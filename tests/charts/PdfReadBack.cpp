#include "PdfReadBack.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace kavio::test {

PdfPage readPdfText(const QString &pdfPath)
{
    PdfPage page;
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                                          QStringLiteral("-l"), QStringLiteral("1"), pdfPath, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return page;
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression pageRe(QString::fromLatin1(R"x(<page width="([\d.]+)" height="([\d.]+)")x"));
    const auto pm = pageRe.match(html);
    if (pm.hasMatch())
        page.size = QSizeF(pm.captured(1).toDouble() * 20, pm.captured(2).toDouble() * 20);
    static const QRegularExpression wordRe(QString::fromLatin1(
        R"x(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)x"));
    for (auto it = wordRe.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        const double x0 = m.captured(1).toDouble() * 20, y0 = m.captured(2).toDouble() * 20;
        const double x1 = m.captured(3).toDouble() * 20, y1 = m.captured(4).toDouble() * 20;
        QString text = m.captured(5);
        text.replace(QStringLiteral("&amp;"), QStringLiteral("&"))
            .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""));
        page.words.append({text, QRectF(QPointF(x0, y0), QPointF(x1, y1))});
    }
    return page;
}

QRectF PdfPage::lineStartingWith(const QString &text) const
{
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i + parts.size() <= words.size(); ++i) {
        bool all = true;
        for (int k = 0; k < parts.size() && all; ++k) {
            const PdfWord &w = words[i + k];
            // Same line: the words' tops agree within a few twips.
            all = w.text == parts[k] && qAbs(w.box.top() - words[i].box.top()) < 40;
        }
        if (all && !parts.isEmpty()) {
            QRectF box = words[i].box;
            for (int k = 1; k < parts.size(); ++k)
                box = box.united(words[i + k].box);
            return box;
        }
    }
    return {};
}

QImage renderPdf(const QString &pdfPath, int dpi)
{
    QTemporaryDir dir;
    const QString base = dir.path() + QStringLiteral("/page");
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                                         QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                                         QStringLiteral("-singlefile"), QStringLiteral("-png"), pdfPath, base});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QImage(base + QStringLiteral(".png"));
}

QRectF findFill(const QImage &page, int dpi, const QRectF &window, const QColor &colour)
{
    const double px = 1440.0 / dpi; // twips per pixel
    const int x0 = qMax(0, int(window.left() / px)), x1 = qMin(page.width() - 1, int(window.right() / px));
    const int y0 = qMax(0, int(window.top() / px)), y1 = qMin(page.height() - 1, int(window.bottom() / px));
    auto near = [&](QRgb p) {
        return qAbs(qRed(p) - colour.red()) <= 3 && qAbs(qGreen(p) - colour.green()) <= 3 &&
               qAbs(qBlue(p) - colour.blue()) <= 3;
    };
    int top = -1, bottom = -1, left = page.width(), right = -1;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (near(page.pixel(x, y))) {
                if (top < 0)
                    top = y;
                bottom = y;
                left = qMin(left, x);
                right = qMax(right, x);
            }
    if (top < 0)
        return {};
    return QRectF(QPointF(left * px, top * px), QPointF((right + 1) * px, (bottom + 1) * px));
}

} // namespace kavio::test
