#include "FakePrinters.h"

namespace kavio::test {

QString FakePrinters::preview(const QString &jobName, QPageLayout::Orientation orientation, const PageDrawing &draw)
{
    previews << jobName + (orientation == QPageLayout::Landscape ? QStringLiteral("|landscape")
                                                                 : QStringLiteral("|portrait"));
    QtPrinter shown(previewPath(), nullptr, paper);
    return draw(shown);
}

} // namespace kavio::test
