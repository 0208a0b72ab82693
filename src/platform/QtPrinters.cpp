#include "platform/QtPrinters.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPrintPreviewDialog>
#include <QSaveFile>
#include <QScreen>

namespace kavio {

namespace {

// What a PDF keeps free at each edge, as a printer would.
constexpr double kPdfMarginMm = 10;

} // namespace

QPageSize::PageSizeId localePaper()
{
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4;
}

QtPrinter::QtPrinter(QString pdfPath, PrintSystem *system, QPageSize::PageSizeId paper)
    : m_pdfPath(std::move(pdfPath)), m_system(system), m_paper(paper)
{}

QtPrinter::QtPrinter(QPrinter &borrowed) : m_borrowed(&borrowed) {}

QtPrinter::~QtPrinter()
{
    // An unfinished PDF goes with its temporary file: the target is never touched.
    if (m_painter && m_painter->isActive())
        m_painter->end();
}

QPagedPaintDevice *QtPrinter::openPdf(QPageLayout::Orientation orientation)
{
    const QFileInfo target(m_pdfPath);
    const QString folder = QDir::toNativeSeparators(target.absolutePath());
    if (target.isDir()) {
        m_error = QStringLiteral("„%1“ ist ein Ordner; die PDF-Datei braucht einen anderen Namen")
                      .arg(QDir::toNativeSeparators(m_pdfPath));
        return nullptr;
    }
    if (!QFileInfo(target.absolutePath()).isDir()) {
        m_error = QStringLiteral("Den Ordner „%1“ gibt es nicht").arg(folder);
        return nullptr;
    }
    m_file = std::make_unique<QSaveFile>(m_pdfPath);
    if (!QFileInfo(target.absolutePath()).isWritable() || !m_file->open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("In den Ordner „%1“ darf nicht geschrieben werden").arg(folder);
        return nullptr;
    }
    m_pdf = std::make_unique<QPdfWriter>(m_file.get());
    m_pdf->setTitle(m_jobName);
    m_pdf->setCreator(QApplication::applicationName());
    m_pdf->setPageLayout(QPageLayout(QPageSize(m_paper), orientation,
                                     QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                                     QPageLayout::Millimeter));
    return m_pdf.get();
}

QPagedPaintDevice *QtPrinter::openDevice(QPageLayout::Orientation orientation)
{
    if (m_borrowed)
        return m_borrowed; // its orientation and paper are the preview's
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
    if (!m_pdfPath.isEmpty())
        return openPdf(orientation);
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    m_printer->setDocName(m_jobName);
    m_printer->setFullPage(false);
    m_printer->setPageOrientation(orientation);
    return m_printer.get();
}

QPainter *QtPrinter::begin(QPageLayout::Orientation orientation)
{
    m_device = openDevice(orientation);
    if (!m_device)
        return nullptr;
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_device)) {
        m_error = QStringLiteral("Der Druckauftrag konnte nicht begonnen werden");
        m_painter.reset();
        return nullptr;
    }
    // Work in twips from the top left corner of the printable area.
    const qreal scale = m_device->logicalDpiX() / 1440.0;
    m_painter->scale(scale, scale);
    return m_painter.get();
}

QSizeF QtPrinter::printableSize() const
{
    if (!m_device)
        return {};
    const QRectF r = m_device->pageLayout().paintRect(QPageLayout::Inch);
    return {r.width() * 1440.0, r.height() * 1440.0};
}

bool QtPrinter::newPage()
{
    if (!m_painter || !m_painter->isActive() || !m_device->newPage()) {
        m_error = QStringLiteral("Es konnte keine neue Seite begonnen werden");
        return false;
    }
    return true;
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
    if (m_file) {
        m_pdf.reset(); // the document is complete once its painter has ended
        if (!m_file->commit()) {
            m_error = QStringLiteral("Die Datei „%1“ konnte nicht geschrieben werden (%2)")
                          .arg(QDir::toNativeSeparators(m_pdfPath), m_file->errorString());
            return false;
        }
    }
    if (m_system)
        m_error = m_system->handOverFailure();
    return m_error.isEmpty();
}

bool SystemPrinterFactory::hasPrinter()
{
    return !QPrinterInfo::defaultPrinter().isNull();
}

QString SystemPrinterFactory::preview(const QString &jobName, QPageLayout::Orientation orientation,
                                      const PageDrawing &draw)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(jobName);
    printer.setFullPage(false);
    printer.setPageOrientation(orientation);
    QPrintPreviewDialog dialog(&printer, QApplication::activeWindow());
    dialog.setWindowTitle(QStringLiteral("Druckvorschau – ") + jobName);
    // Large enough to read a page without zooming first.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        dialog.resize(screen->availableSize() * 0.8);
    QString failure;
    // Asked again whenever the operator changes the paper or orientation.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *shown) {
        QtPrinter job(*shown);
        job.setJobName(jobName);
        failure = draw(job);
        if (!failure.isEmpty())
            dialog.reject();
    });
    dialog.exec();
    return failure;
}

} // namespace kavio
