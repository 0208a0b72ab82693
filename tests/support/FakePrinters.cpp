#include "FakePrinters.h"

namespace kavio::test {

namespace {

// The preview's printer: its orientation is the page set-up's, not the print-out's.
class PreviewPrinter final : public Printer {
public:
    PreviewPrinter(const QString &path, QPageSize::PageSizeId paper, std::optional<QPageLayout::Orientation> turned)
        : m_job(path, nullptr, paper), m_turned(turned)
    {}
    void setJobName(const QString &name) override { m_job.setJobName(name); }
    QPainter *begin(QPageLayout::Orientation orientation) override
    {
        return m_job.begin(m_turned.value_or(orientation));
    }
    QSizeF printableSize() const override { return m_job.printableSize(); }
    bool newPage() override { return m_job.newPage(); }
    bool end() override { return m_job.end(); }
    QString errorText() const override { return m_job.errorText(); }

private:
    QtPrinter m_job;
    std::optional<QPageLayout::Orientation> m_turned;
};

} // namespace

QString FakePrinters::preview(const QString &jobName, QPageLayout::Orientation orientation, const PageDrawing &draw)
{
    previews << jobName + (orientation == QPageLayout::Landscape ? QStringLiteral("|landscape")
                                                                 : QStringLiteral("|portrait"));
    PreviewPrinter shown(previewPath(), paper, previewOrientation);
    return draw(shown);
}

} // namespace kavio::test
