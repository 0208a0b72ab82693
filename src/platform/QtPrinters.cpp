#include "platform/QtPrinters.h"

#include <QPrinterInfo>

namespace kavio {

QtPrinter::QtPrinter(QString pdfPath, PrintSystem *system) : m_pdfPath(std::move(pdfPath)), m_system(system) {}

QtPrinter::~QtPrinter()
{
    if (m_painter && m_painter->isActive())
        m_painter->end();
}

QPainter *QtPrinter::begin(QPageLayout::Orientation orientation)
{
    QString target = m_pdfPath;
    if (m_pdfPath.isEmpty()) {
        const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
        if (printer.isNull()) {
            m_error = QStringLiteral("Es ist kein Drucker installiert");
            return nullptr;
        }
        target = printer.printerName();
    }
    if (m_system) {
        m_error = m_system->refusal(target);
        if (!m_error.isEmpty())
            return nullptr;
    }
    if (m_pdfPath.isEmpty()) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    } else {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(m_pdfPath);
        m_printer->setPageSize(QPageSize(QPageSize::A4));
    }
    m_printer->setDocName(m_jobName);
    m_printer->setFullPage(false);
    m_printer->setPageOrientation(orientation);
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_printer.get())) {
        m_error = QStringLiteral("Der Druckauftrag konnte nicht begonnen werden");
        m_painter.reset();
        return nullptr;
    }
    // Work in twips from the top left corner of the printable area.
    const qreal scale = m_printer->resolution() / 1440.0;
    m_painter->scale(scale, scale);
    return m_painter.get();
}

QSizeF QtPrinter::printableSize() const
{
    if (!m_printer)
        return {};
    const QRectF r = m_printer->pageLayout().paintRect(QPageLayout::Inch);
    return {r.width() * 1440.0, r.height() * 1440.0};
}

bool QtPrinter::end()
{
    if (!m_painter || !m_painter->isActive()) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("Kein Druckauftrag offen");
        return false;
    }
    if (!m_painter->end()) {
        m_error = QStringLiteral("Der Druckauftrag konnte nicht abgeschlossen werden");
        return false;
    }
    if (m_system)
        m_error = m_system->handOverFailure();
    return m_error.isEmpty();
}

} // namespace kavio
